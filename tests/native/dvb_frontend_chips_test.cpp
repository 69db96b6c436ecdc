// Drivers of common boards where they differ from what the kernel's API
// promises, acted out by the simulated frontend under the real libdvbv5 and
// the real azimora-dvb: one with no automatic DVB-S2 code rate, one that
// ignores modulation and needs longer than an attempt gave it, tuners that
// fill in a v5 strength and hide the demodulator's s/n, and a driver without
// tone burst. The frontend's name is the driver's, as the helper knows
// drivers by it.
#include <chrono>
#include <gtest/gtest.h>
#include <sstream>

#include "dvb/helper/exit_codes.h"
#include "tests/native/dvb_frontend_session.h"

namespace {

class DvbChipTest : public DvbFrontendSession {
protected:
    // The qualities read until `count` different ones came in a row (at most
    // about ten seconds of readings).
    std::vector<int> distinctQualities(size_t count)
    {
        std::vector<int> qualities;
        for (int i = 0; i < 100 && qualities.size() < count; ++i) {
            if (measure() != "ok") continue;
            ask(helper_, "RefreshSignalReadings");
            const int quality = std::atoi(ask(helper_, "GetSignalQuality").c_str() + 3);
            if (qualities.empty() || qualities.back() != quality) qualities.push_back(quality);
        }
        return qualities;
    }
};

// Each tune as the driver got it: "DVB-S2 8PSK/0.35 fec 3/4", "DVB-S QPSK/0.35".
static std::vector<std::string> tunesOf(const std::vector<std::string>& trace)
{
    std::vector<std::string> tunes;
    for (const std::string& line : trace) {
        std::istringstream words(line);
        std::string tune, system, modulation, frequency, symbolRate, fec, rate;
        words >> tune >> system >> modulation >> frequency >> symbolRate >> fec >> rate;
        if (tune == "tune") tunes.push_back(system + " " + modulation + (fec.empty() ? "" : " fec " + rate));
    }
    return tunes;
}

static const char cx24116[] = "name Conexant CX24116/CX24118\npersonality needs-code-rate\n";

TEST_F(DvbChipTest, ADriverWithoutAnAutomaticDvbS2CodeRateIsAskedForEachInTurnAndWhatLockedIsRemembered)
{
    serve(std::string(cx24116) + "transponder DVB-S2 8PSK 3/4\n0 lock 9\n");
    EXPECT_EQ("ok", start(12245, Horizontal).reply);
    EXPECT_EQ("ok", measureUntil("ok", 100));
    // DVB-S, then DVB-S2 with modulation and code rate named, the most
    // common first; never automatic values, which this driver takes without
    // a word and never locks.
    const std::vector<std::string> tunes = tunesOf(fileLines(helper_.files.trace));
    ASSERT_GE(tunes.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{"DVB-S QPSK/0.35", "DVB-S2 8PSK/0.35 fec 2/3", "DVB-S2 8PSK/0.35 fec 3/4"}),
              std::vector<std::string>(tunes.begin(), tunes.begin() + 3));
    bool logged = false;
    for (const std::string& line : fileLines(helper_.files.log))
        logged = logged || line == "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK "
                                   "code_rate=3/4 rolloff=0.35";
    EXPECT_TRUE(logged);
    // The next start of the transponder asks for what locked it first.
    EXPECT_EQ((std::vector<std::string>{"DVB-S2 8PSK/0.35 fec 3/4"}), tunesOf(start(12245, Horizontal).trace));
    EXPECT_EQ("ok", measureUntil("ok"));
}

TEST(DvbChipStatus, WithTuneItWaitsARoundOfCodeRatesAndNamesTheOneThatLocked)
{
    const HelperFiles files =
        helperFiles(std::string(cx24116) + "transponder DVB-S2 QPSK 3/4\n0 lock 9\nstream 0x0403 1\n"
                                           "nit actual 1 Astra\nentry 0x0403 1 19.2E\n");
    const HelperResult result =
        runHelper({"--simulate", files.simulation, "--log", files.log, "--status", "--tune", "12245H27500"}, files);
    EXPECT_EQ(ExitOk, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("lock: yes\nsystem: DVB-S2 QPSK 3/4\n")) << result.output;
}

TEST_F(DvbChipTest, AttemptsADriverCannotTellApartAreOneAndEachWaitsForTheTunerAndTheDemodulator)
{
    // As ds3000 with its ts2020 tuner: modulation, roll-off and code rate
    // unused, each system locking only itself, 0.58 s from each tune to a
    // lock at 16 MS/s (the tuner's 180 ms, the driver's own poll of up to
    // 300 ms, then the kernel's thread), where an attempt had 0.5 s.
    serve("name Montage Technology DS3000\npersonality ignores-modulation\nsystem strict\ntransponder DVB-S\n"
          "acquisition 580\n0 lock 9\n");
    start(12245, Horizontal, 16000);
    EXPECT_EQ("ok", measureUntil("ok", 60));
    const std::vector<std::string> tunes = tunesOf(fileLines(helper_.files.trace));
    ASSERT_GE(tunes.size(), 2u);
    // The two systems take turns; the same DVB-S2 tune is never sent thrice a round.
    for (size_t i = 0; i < tunes.size(); ++i)
        EXPECT_EQ(i % 2 == 0 ? "DVB-S2 auto/auto" : "DVB-S QPSK/0.35", tunes[i]) << i;
}

TEST_F(DvbChipTest, ATunerThatFillsInTheV5StrengthDoesNotHideTheDemodulatorsOlderSnr)
{
    // The v5 statistics carry a strength in dB and no C/N; the older s/n is
    // on a 16-bit scale where 20 dB is full: 8, 14 and 11 dB.
    serve("personality v5-strength-only\n0 lock 8\n1000 lock 14\n2000 lock 11\n");
    start(12245, Horizontal);
    EXPECT_EQ((std::vector<int>{40, 70, 55}), distinctQualities(3));
}

TEST_F(DvbChipTest, WithOnlyAStrengthInDbmTheQualityStillFollowsTheDish)
{
    serve("personality strength-only\n0 lock 8\n2500 lock 14\n5000 lock 11\n");
    start(12245, Horizontal);
    const std::vector<int> qualities = settledQualities(3);
    ASSERT_EQ(3u, qualities.size());
    EXPECT_LT(qualities[0], qualities[1]);  // the dish gains
    EXPECT_LT(qualities[2], qualities[1]);  // and loses again
    EXPECT_GT(qualities[2], qualities[0]);
}

// tda10071 (and cx24116) refuse an automatic roll-off: each DVB-S2 attempt
// goes with 0.35, then 0.20, then 0.25, and what locked is asked first next.
TEST_F(DvbChipTest, ADriverThatRefusesAnAutomaticRolloffIsAskedForEachInTurnAndWhatLockedIsRemembered)
{
    serve("name NXP TDA10071\npersonality needs-rolloff\ntransponder DVB-S2 QPSK\nrolloff 0.20\n0 lock 9\n");
    EXPECT_EQ("ok", start(12245, Horizontal).reply);
    EXPECT_EQ("ok", measureUntil("ok", 100));
    const std::vector<std::string> tunes = tunesOf(fileLines(helper_.files.trace));
    EXPECT_EQ((std::vector<std::string>{"DVB-S QPSK/0.35", "DVB-S2 QPSK/0.35", "DVB-S2 8PSK/0.35", "DVB-S2 QPSK/0.20"}),
              tunes);
    EXPECT_EQ((std::vector<std::string>{"DVB-S2 QPSK/0.20"}), tunesOf(start(12245, Horizontal).trace));
    EXPECT_EQ("ok", measureUntil("ok"));
    // cx24117 takes it automatic and tries the three itself.
    reconnect("name Conexant CX24117/CX24132\npersonality needs-rolloff\ntransponder DVB-S2 8PSK\n0 lock 9\n");
    EXPECT_EQ((std::vector<std::string>{"DVB-S QPSK/0.35"}), tunesOf(start(11344, Vertical).trace));
}

// stv090x, stv0900 and stb0899 search in the kernel's thread, which holds
// the frontend for seconds while unlocked: each status is still answered
// at once, saying how long no reading came, and the log how long reads waited.
TEST_F(DvbChipTest, WhileTheDriverSearchesInTheKernelsThreadReadingsSaySoAtTheirPace)
{
    serve("name STV090x Multistandard\nstatistics stv090x\nsearch 2000\n0 nolock\n6000 lock 10\n");
    start(12245, Horizontal);
    bool searching = false, locked = false;
    for (int i = 0; i < 120 && !locked; ++i) {
        const auto asked = std::chrono::steady_clock::now();
        const std::string status = measure();
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000)) << status;
        searching = searching || status.find("fail searching ") == 0;
        locked = status == "ok";
    }
    EXPECT_TRUE(searching);
    EXPECT_TRUE(locked);
    bool waited = false;
    for (const std::string& line : fileLines(helper_.files.log)) waited = waited || line.find("reading waited ") == 0;
    EXPECT_TRUE(waited);
}

TEST_F(DvbChipTest, ADriverWithoutToneBurstStillTunesOnTheCommittedCommandAndSaysSoOnce)
{
    serve("personality no-burst\n0 lock 9\n");
    const Tuned first = start(12245, Horizontal, 27500, 1);
    EXPECT_EQ("ok", first.reply);
    const std::string lacking = "burst A left out: the driver has no tone burst, the DiSEqC command selects the input";
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "tone off", "diseqc E0 10 38 F3", "diseqc E0 10 38 F3", lacking,
                                        "tone on", "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2"}),
              first.log);
    EXPECT_EQ("ok", measureUntil("ok"));
    // Not asked again while the frontend is open.
    const Tuned second = start(11344, Vertical, 27500, 2);
    EXPECT_EQ("ok", second.reply);
    for (const std::string& line : second.log) EXPECT_EQ(std::string::npos, line.find("burst")) << line;
    for (const std::string& line : second.trace) EXPECT_EQ(std::string::npos, line.find("burst")) << line;
}

}  // namespace
