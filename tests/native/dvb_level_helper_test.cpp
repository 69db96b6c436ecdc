// The level before the lock through azimora-dvb on the simulated frontend,
// each driver's by its own arithmetic and decoding, as QueryLevel hands it
// to dvbcard.dll and the phone page: stb0899 none unless locked, stv0900's
// stretch and clamp said so, ts2020 with dont_poll refreshed by the older
// call and called a gain; and the sweep of a driver that gives no level
// refused at once.
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "tests/native/dvb_helper_process.h"

namespace {

// The level, asked after each status as the card asks it, once it settles.
std::string levelAfterStart(const std::string& simulation, const std::function<bool(const std::string&)>& settled)
{
    return askAfterStart(simulation, "QueryLevel", settled, "QuerySignalStatus");
}

bool startsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

}  // namespace

TEST(DvbLevelHelper, Stb0899GivesNoLevelBeforeTheLockNotALiveZero)
{
    const std::string stb0899 = "name STB0899 Multistandard\nstatistics stb0899\n";
    EXPECT_EQ("ok level none-before-lock", levelAfterStart(stb0899 + "0 nolock\n", [](const std::string& answer) {
                  return answer == "ok level none-before-lock";
              }));
    // Locked at 10 dB: -60 dBm through its DVB-S table, in tenths of a dBm.
    const std::string locked =
        levelAfterStart(stb0899 + "transponder DVB-S\nsystem strict\n0 lock 10\n",
                        [](const std::string& answer) { return startsWith(answer, "ok level live"); });
    EXPECT_TRUE(startsWith(locked, "ok level live dbm -60")) << locked;
}

TEST(DvbLevelHelper, Stv0900sStretchAndClampTravelAsTheDriverCannotTellThemApart)
{
    const std::string stv0900 = "name STV0900 frontend\nstatistics stv0900\n";
    // -65 dBm (locked at 5 dB): its table reads -70 or -69, anywhere up to -60.
    const std::string stretch = levelAfterStart(stv0900 + "0 lock 5\n", [](const std::string& answer) {
        return answer.find(" to -60000") != std::string::npos;
    });
    EXPECT_TRUE(stretch == "ok level live dbm -70000 to -60000" || stretch == "ok level live dbm -69000 to -60000")
        << stretch;
    // -85 dBm unlocked: below its table.
    EXPECT_EQ("ok level live dbm -70000 or-less",
              levelAfterStart(stv0900 + "0 nolock\n",
                              [](const std::string& answer) { return answer == "ok level live dbm -70000 or-less"; }));
}

TEST(DvbLevelHelper, ATs2020ThatIsNotPolledIsAskedForItsStrengthAndGivesItsGain)
{
    const std::string answer =
        levelAfterStart("name Montage Technology DS3000\nstatistics ds3000\npersonality dont-poll\n0 nolock\n",
                        [](const std::string& level) { return startsWith(level, "ok level refreshed gain "); });
    EXPECT_TRUE(startsWith(answer, "ok level refreshed gain -85000")) << answer;
}

TEST(DvbLevelHelper, ASweepOfADriverWithoutAnyLevelIsRefusedAtOnce)
{
    for (const char* name : {"Montage Technology M88RS6000", "NXP TDA10071", "STB0899 Multistandard"}) {
        HelperFiles files = helperFiles(std::string("lnb 9750 10600\ncarrier 11220H27500 13\nname ") + name +
                                        (name[0] == 'M' ? "\nstatistics m88rs6000\n" : "\n"));
        const uint64_t began = monotonicMs();
        const HelperResult result = runHelper({"--simulate", files.simulation, "--sweep"}, files);
        EXPECT_EQ(ExitFailure, result.exitCode) << name;
        EXPECT_NE(std::string::npos,
                  result.output.find(name[0] == 'M' ? "gives no level at all" : "gives no level until it locks"))
            << result.output;
        EXPECT_LT(monotonicMs() - began, 3000u) << name;
    }
}
