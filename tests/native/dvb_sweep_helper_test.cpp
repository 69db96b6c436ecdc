// azimora-dvb --sweep on the simulated frontend, end to end: each carrier
// of the installation a hump where it is, locked with its network when
// tried; a frontend without a level before the lock said at once; and the
// sweep asked through the line protocol, the frontend held for it.
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "tests/native/dvb_helper_process.h"

namespace {

// Three horizontal carriers of the low band and a vertical one, listed by their network.
const char installation[] = "lnb 9750 10600\n"
                            "carrier 10723H29900 12 S2-8PSK-3/4 stream 1001 318\n"
                            "carrier 10930H22000 11 S-QPSK-3/4 stream 1002 318\n"
                            "carrier 11220H27500 14 S-QPSK-2/3 stream 1003 318\n"
                            "carrier 11034V27500 12 S2-8PSK-2/3 stream 1004 318\n"
                            "nit actual 318 Eutelsat\n"
                            "entry 1001 318 13.0E S2-8PSK-3/4 10723H29900\n"
                            "entry 1002 318 13.0E S-QPSK-3/4 10930H22000\n"
                            "entry 1003 318 13.0E S-QPSK-2/3 11220H27500\n"
                            "entry 1004 318 13.0E S2-8PSK-2/3 11034V27500\n";

std::vector<int> peaksIn(const std::string& output)
{
    std::vector<int> peaks;
    for (size_t at = output.find("peak: "); at != std::string::npos; at = output.find("peak: ", at + 1))
        peaks.push_back(std::atoi(output.c_str() + at + 6));
    return peaks;
}

bool peakNear(const std::vector<int>& peaks, int frequencyMHz)
{
    for (int peak : peaks)
        if (std::abs(peak - frequencyMHz) <= 3) return true;
    return false;
}

}  // namespace

TEST(DvbSweepHelper, EachCarrierIsAHumpWhereItIsAndLocksWhenTried)
{
    HelperFiles files = helperFiles(installation);
    const uint64_t began = monotonicMs();
    const HelperResult result = runHelper({"--simulate", files.simulation, "--log", files.log, "--sweep", "--step", "5",
                                           "--try", "--csv", files.folder + "/band.csv"},
                                          files);
    ASSERT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_LT(monotonicMs() - began, 15000u);
    const std::vector<int> peaks = peaksIn(result.output);
    ASSERT_EQ(3u, peaks.size()) << result.output;
    for (int carrier : {10723, 10930, 11220}) EXPECT_TRUE(peakNear(peaks, carrier)) << carrier << "\n" << result.output;
    EXPECT_NE(std::string::npos, result.output.find("sweep 10700-11695 MHz H, low band: 200 steps of 5 MHz"));
    EXPECT_NE(std::string::npos, result.output.find(" kS/s, DVB-S2 8PSK 3/4, network Eutelsat (0x013e), 13.0E"))
        << result.output;
    EXPECT_EQ(3, [&] {
        int locked = 0;
        for (size_t at = result.output.find(": locked at "); at != std::string::npos;
             at = result.output.find(": locked at ", at + 1))
            ++locked;
        return locked;
    }());
    // The steps in the CSV; the LNB set once, not at every step.
    const std::vector<std::string> csv = fileLines(files.folder + "/band.csv");
    ASSERT_EQ(201u, csv.size());
    EXPECT_EQ("10700,H,", csv[1].substr(0, 8));
    int supplies = 0, tunes = 0;
    for (const std::string& line : fileLines(files.trace)) {
        supplies += line.rfind("voltage 18", 0) == 0;
        tunes += line.rfind("tune ", 0) == 0;
    }
    EXPECT_GE(tunes, 200);
    EXPECT_LT(supplies, 8);  // once for the sweep, then only for the starts that try the peaks
}

// stv0900 reads the band's noise in its RF table's flat stretch (-70 or -69
// dBm, anywhere up to -60): a known live driver, so no "repeats one level";
// the carriers rise out of it in dBm, found by the coarse pass and the fine
// steps at their edges.
TEST(DvbSweepHelper, AKnownLiveDriversFlatStretchIsTheFloorItsCarriersRiseFrom)
{
    HelperFiles files = helperFiles(std::string(installation) + "name STV0900 frontend\nstatistics stv0900\n");
    const HelperResult result =
        runHelper({"--simulate", files.simulation, "--sweep", "--csv", files.folder + "/band.csv"}, files);
    ASSERT_EQ(ExitOk, result.exitCode) << result.output;
    const std::vector<int> peaks = peaksIn(result.output);
    ASSERT_EQ(3u, peaks.size()) << result.output;
    for (int carrier : {10723, 10930, 11220}) EXPECT_TRUE(peakNear(peaks, carrier)) << carrier << "\n" << result.output;
    EXPECT_NE(std::string::npos, result.output.find(" steps of 2 MHz, ")) << result.output;
    EXPECT_TRUE(result.output.find(" measured, floor -69.0 dBm") != std::string::npos ||
                result.output.find(" measured, floor -70.0 dBm") != std::string::npos)
        << result.output;
    // The steps the coarse pass measured off the carriers read the stretch.
    const std::vector<std::string> csv = fileLines(files.folder + "/band.csv");
    ASSERT_EQ(501u, csv.size());
    EXPECT_TRUE(csv[1].rfind("10700,H,-70.00,dBm", 0) == 0 || csv[1].rfind("10700,H,-69.00,dBm", 0) == 0) << csv[1];
}

TEST(DvbSweepHelper, AFrontendWithoutALevelBeforeTheLockIsSaidAtOnce)
{
    HelperFiles known = helperFiles(std::string(installation) + "name STV0910\n");
    const uint64_t began = monotonicMs();
    HelperResult result = runHelper({"--simulate", known.simulation, "--sweep"}, known);
    EXPECT_EQ(ExitFailure, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("STV0910 gives no level until it locks")) << result.output;
    EXPECT_LT(monotonicMs() - began, 3000u);
    // One the table does not know shows it in its first steps.
    HelperFiles none = helperFiles(std::string(installation) + "statistics none\n");
    result = runHelper({"--simulate", none.simulation, "--sweep"}, none);
    EXPECT_EQ(ExitFailure, result.exitCode);
    EXPECT_NE(std::string::npos, result.output.find("gives no level without a lock")) << result.output;
}

TEST(DvbSweepHelper, TheSweepAskedThroughTheProtocolHoldsTheFrontend)
{
    ServingHelper helper;
    ASSERT_TRUE(startServing(helper, installation));
    ASSERT_TRUE(connectToHelper(helper));
    EXPECT_EQ("ok", ask(helper, "Initialize"));
    EXPECT_EQ("ok", ask(helper, "Sweep band=low pol=H switch= lnb=universal step=10 try=0"));
    // Another program is told why it cannot have the frontend.
    ServingHelper other = helper;
    other.socket = -1;
    other.pending.clear();
    ASSERT_TRUE(connectToHelper(other));
    EXPECT_EQ("fail busy: the band is being swept", readReply(other));
    disconnect(other);
    std::string state;
    for (int waited = 0; waited < 10000; waited += 100) {
        state = ask(helper, "QuerySweep");
        if (state.rfind("ok sweep done", 0) == 0 || state.rfind("ok sweep failed", 0) == 0) break;
        usleep(100000);
    }
    ASSERT_EQ(0u, state.rfind("ok sweep done 100 3 dbm ", 0)) << state;
    EXPECT_EQ(0u, ask(helper, "SweepLevels 0").rfind("ok levels 0 -", 0));
    const std::string peak = ask(helper, "SweepPeak 0");
    ASSERT_EQ(0u, peak.rfind("ok peak ", 0)) << peak;
    EXPECT_LE(std::abs(std::atoi(peak.c_str() + 8) - 10723), 3) << peak;
    EXPECT_EQ("ok name", ask(helper, "SweepPeakName 0"));
    disconnect(helper);
    EXPECT_EQ(0, stopServing(helper));
}
