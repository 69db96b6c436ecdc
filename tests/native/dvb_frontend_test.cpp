// What reaches a DVB-S/S2 frontend when the program tunes through
// azimora-dvb: the real helper, libdvbv5 and, beneath it, the simulated
// kernel frontend, which records every request that reaches the hardware
// and behaves as real drivers do where they differ (systems, automatic
// values, statistics, slow calls, failing calls). The calls come from the
// program's own tuning plan.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "cardbase/signal_scale.h"
#include "tests/native/dvb_frontend_session.h"

namespace {

class DvbFrontendTest : public DvbFrontendSession {};

static std::vector<std::string> lines(std::initializer_list<std::string> list) { return list; }

TEST_F(DvbFrontendTest, EveryLnbCaseGivesTheIntermediateFrequencyAndToneOfTheProgramsOscillator)
{
    serve("0 lock 10\n");
    struct Case {
        int32_t frequencyMHz;
        const char* tone;
        uint32_t intermediateKHz;
    };
    const Case reachable[] = {
        {11699, "tone off", 1949000},  // low band: 9750 MHz below
        {11700, "tone on", 1100000},   // high band: 10600 MHz below, 22 kHz on
        {10700, "tone off", 950000},   // the bottom of the L band
        {12750, "tone on", 2150000},   // its top
        {4200, "tone off", 950000},    // C band: 5150 MHz above the downlink
        {3400, "tone off", 1750000},
    };
    for (const Case& c : reachable) {
        const std::string tune =
            "tune if_khz=" + std::to_string(c.intermediateKHz) + " symbol_rate=27500000 system=DVB-S2";
        const Tuned tuned = start(c.frequencyMHz, Horizontal);
        EXPECT_EQ("ok", tuned.reply) << c.frequencyMHz;
        EXPECT_EQ(lines({"voltage 18", c.tone, tune}), tuned.log) << c.frequencyMHz;
        EXPECT_EQ(
            lines({"voltage 18", c.tone, "tune DVB-S2 auto/auto " + std::to_string(c.intermediateKHz) + " 27500000"}),
            tuned.trace)
            << c.frequencyMHz;
    }
    // The program sends 4201 MHz to the 9750 MHz oscillator and 12751 MHz
    // leaves the L band: refused before anything reaches the frontend, in
    // one line of the log and in the reply to the last call.
    for (int32_t frequency : {4201, 12751}) {
        const Tuned tuned = start(frequency, Vertical);
        EXPECT_EQ("fail refused: the frontend tunes 950000 - 2150000 kHz", tuned.reply);
        EXPECT_EQ(lines({std::string("refused tune if_khz=") + (frequency == 4201 ? "5549000" : "2151000") +
                         " symbol_rate=27500000: the frontend tunes 950000 - 2150000 kHz"}),
                  tuned.log);
        EXPECT_TRUE(tuned.trace.empty());
    }
}

TEST_F(DvbFrontendTest, EveryDiseqcCodeSendsItsCommittedSwitchCommandInBothPolarizationsAndBands)
{
    serve("0 lock 10\n");
    const char* const dataBytes[7][4] = {
        // vertical low, vertical high, horizontal low, horizontal high
        {},
        {"F0", "F1", "F2", "F3"},  // "A": position A, option A
        {"F4", "F5", "F6", "F7"},  // "B"
        {"F0", "F1", "F2", "F3"},  // "AA"
        {"F4", "F5", "F6", "F7"},  // "BA"
        {"F8", "F9", "FA", "FB"},  // "AB": position A, option B
        {"FC", "FD", "FE", "FF"},  // "BB"
    };
    for (int32_t code = 1; code <= 6; ++code) {
        int i = 0;
        for (int32_t polarization : {Vertical, Horizontal}) {
            for (int32_t frequency : {11344, 12245}) {
                const bool high = frequency == 12245;
                const std::string voltage = polarization == Horizontal ? "voltage 18" : "voltage 13";
                const std::string command = std::string("diseqc E0 10 38 ") + dataBytes[code][i++];
                const std::string tone = high ? "tone on" : "tone off";
                const uint32_t intermediate = high ? 1645000 : 1594000;
                const Tuned tuned = start(frequency, polarization, 27500, code);
                const std::string where = "code " + std::to_string(code) + " at " + std::to_string(frequency) +
                                          (polarization == Horizontal ? " H" : " V");
                EXPECT_EQ("ok", tuned.reply) << where;
                // The command twice; a simple A/B switch also hears the burst.
                std::vector<std::string> sent{voltage, "tone off", command, command};
                if (code == 1 || code == 2) sent.push_back(code == 1 ? "burst A" : "burst B");
                sent.push_back(tone);
                std::vector<std::string> logged = sent;
                logged.push_back("tune if_khz=" + std::to_string(intermediate) + " symbol_rate=27500000 system=DVB-S2");
                sent.push_back("tune DVB-S2 auto/auto " + std::to_string(intermediate) + " 27500000");
                EXPECT_EQ(logged, tuned.log) << where;
                EXPECT_EQ(sent, tuned.trace) << where;
            }
        }
    }
    // Without a letter the LNB still gets its supply, at 13 V.
    EXPECT_EQ(lines({"voltage 13", "tone on", "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2"}),
              start(12245, 3).log);
}

TEST_F(DvbFrontendTest, ReadingsComeFromTheDriversStatisticsInWhateverFormItOffers)
{
    serve("statistics decibel\n0 lock 10.07\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measureUntil("ok"));  // the first reading may come after the tune
    EXPECT_EQ("ok unit decibel", ask(helper_, "RefreshSignalReadings"));
    EXPECT_EQ("ok 55", ask(helper_, "GetSignalQuality"));
    EXPECT_EQ("ok 10070", ask(helper_, "GetSignalNoiseRatio"));

    // Relative figures (v5 statistics, or the older 16-bit reads): 10 dB is
    // half of the simulated frontend's full scale, and the s/n shown is the
    // C/N that the quality scale gives for that percentage.
    for (const char* kind : {"relative", "legacy"}) {
        reconnect(std::string("statistics ") + kind + "\n0 lock 10\n");
        start(12245, Horizontal);
        EXPECT_EQ("ok", measureUntil("ok")) << kind;
        EXPECT_EQ("ok unit derived", ask(helper_, "RefreshSignalReadings")) << kind;
        EXPECT_EQ("ok 50", ask(helper_, "GetSignalQuality")) << kind;
        EXPECT_EQ("ok " + std::to_string(static_cast<int>(carrierToNoiseFromQuality(50) * 1000 + 0.5)),
                  ask(helper_, "GetSignalNoiseRatio"))
            << kind;
    }
    // The older reads in tenths of a dB are a C/N, though of a unit guessed: no margin from it.
    reconnect("statistics legacy-tenths\n0 lock 10.07\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measureUntil("ok"));
    EXPECT_EQ("ok unit derived", ask(helper_, "RefreshSignalReadings"));
    EXPECT_EQ("ok 55", ask(helper_, "GetSignalQuality"));
    EXPECT_EQ("ok 10100", ask(helper_, "GetSignalNoiseRatio"));
    // A lock without any figure is the lowest quality.
    reconnect("statistics none\n0 lock 10\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measureUntil("ok"));
    ask(helper_, "RefreshSignalReadings");
    EXPECT_EQ("ok 1", ask(helper_, "GetSignalQuality"));
}

TEST_F(DvbFrontendTest, AnOlderFigureOfUnknownUnitStillFollowsTheDish)
{
    serve("statistics legacy-negative\n0 lock 8\n2500 lock 14\n5000 lock 11\n");
    start(12245, Horizontal);
    const std::vector<int> qualities = settledQualities(3);
    ASSERT_EQ(3u, qualities.size());
    EXPECT_LT(qualities[0], qualities[1]);  // the dish gains
    EXPECT_LT(qualities[2], qualities[1]);  // and loses again
    EXPECT_GT(qualities[2], qualities[0]);
}

TEST_F(DvbFrontendTest, TheLockIsLoggedWhenItChangesAndStatusCallsArePaced)
{
    serve("0 nolock\n400 lock 12\n");
    start(12245, Horizontal);
    EXPECT_EQ("fail no lock", measure());
    const auto begin = std::chrono::steady_clock::now();
    std::string status;
    for (int i = 0; i < 10; ++i) status = measure();
    // About ten readings a second, however fast they are asked for.
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(900));
    EXPECT_EQ("ok", status);
    const std::vector<std::string> log = fileLines(helper_.files.log);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(lines({"nolock", "lock"}), std::vector<std::string>(log.end() - 2, log.end()));

    // Another start: the lock is logged again after its tune, at its first reading.
    start(11344, Vertical);
    EXPECT_EQ("fail no lock", measure());
    for (int i = 0; i < 100 && fileLines(helper_.files.log).back() != "nolock"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ("nolock", fileLines(helper_.files.log).back());
}

// The DVB-S2 attempts and what each asked of the driver, from the trace.
static std::vector<std::string> tunesOf(const std::vector<std::string>& trace)
{
    std::vector<std::string> tunes;
    for (const std::string& line : trace)
        if (line.compare(0, 5, "tune ") == 0) tunes.push_back(line.substr(5, line.find(' ', 12) - 5));
    return tunes;
}

TEST_F(DvbFrontendTest, ADriverThatTakesAutomaticValuesInSilenceIsSearchedSystemBySystemAndItIsRemembered)
{
    serve("modulation explicit\ntransponder DVB-S2 8PSK\n0 lock 9\n");
    const Tuned tuned = start(12245, Horizontal);
    EXPECT_EQ("ok", tuned.reply);  // the kernel took the automatic values
    EXPECT_EQ("fail no lock", measure());
    EXPECT_EQ("ok", measureUntil("ok"));
    // Each in turn, DVB-S with its own values, not those of an earlier tune.
    EXPECT_EQ((std::vector<std::string>{"DVB-S2 auto/auto", "DVB-S QPSK/0.35", "DVB-S2 QPSK/0.35", "DVB-S2 8PSK/0.35"}),
              tunesOf(fileLines(helper_.files.trace)));
    // The next start of that transponder asks for what locked it first.
    EXPECT_EQ((std::vector<std::string>{"DVB-S2 8PSK/0.35"}), tunesOf(start(12245, Horizontal).trace));
    EXPECT_EQ("ok", measureUntil("ok"));
}

TEST_F(DvbFrontendTest, ADriverThatLocksOnlyTheSystemAskedForFindsADvbSTransponderInTurn)
{
    serve("system strict\ntransponder DVB-S\n0 lock 9\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measureUntil("ok"));
    EXPECT_EQ((std::vector<std::string>{"DVB-S2 auto/auto", "DVB-S QPSK/0.35"}),
              tunesOf(fileLines(helper_.files.trace)));
    // A frontend without DVB-S2 is asked for DVB-S alone.
    reconnect("systems DVB-S\n0 lock 9\n");
    EXPECT_EQ(lines({"voltage 18", "tone on", "tune DVB-S QPSK/0.35 1645000 27500000"}),
              start(12245, Horizontal).trace);
}

TEST_F(DvbFrontendTest, ASlowFrontendNeitherEndsTheSessionNorSwitchesTheLnbOff)
{
    // Each reading takes longer than the card waits for any call.
    serve("slow 2500\n0 lock 10\n");
    start(12245, Horizontal);
    // While a reading waits for the driver, it says how long none came.
    for (int i = 0; i < 8; ++i) {
        const std::string status = measure();
        EXPECT_TRUE(status == "ok" || status == "fail no lock" || status.find("fail searching ") == 0) << status;
    }
    EXPECT_EQ("ok", measureUntil("ok", 200));
    for (const std::string& line : fileLines(helper_.files.log)) EXPECT_NE("voltage off", line);
}

TEST_F(DvbFrontendTest, ASupplyToneOrSwitchCallTheDriverFailsFailsTheStartAndSaysWhich)
{
    const std::pair<const char*, const char*> cases[] = {
        {"fail voltage\n", "fail LNB supply refused: Input/output error"},
        {"fail diseqc\n", "fail DiSEqC command refused: Input/output error"},
        {"fail burst\n", "fail tone burst refused: Input/output error"},
        {"fail tone\n", "fail tone refused: Input/output error"},
    };
    serve("0 lock 9\n");
    for (const auto& c : cases) {
        reconnect(c.first);
        const Tuned tuned = start(12245, Horizontal, 27500, 1);
        EXPECT_EQ(c.second, tuned.reply);
        ASSERT_FALSE(tuned.log.empty());
        EXPECT_EQ(0u, tuned.log.back().find("refused ")) << tuned.log.back();
        for (const std::string& line : tuned.trace) EXPECT_NE(0u, line.find("tune")) << line;
    }
}

TEST_F(DvbFrontendTest, TheFrontendIsLetGoWhenTheProgramGoesAndASecondProgramIsTurnedAway)
{
    serve("0 lock 9\n");
    start(12245, Horizontal);
    ServingHelper second = helper_;
    second.socket = -1;
    ASSERT_TRUE(connectToHelper(second));
    EXPECT_EQ("fail busy: another program is measuring", readReply(second));
    disconnect(second);
    EXPECT_EQ("ok", measureUntil("ok"));  // the first goes on

    disconnect(helper_);
    for (int i = 0; i < 100 && fileLines(helper_.files.log).back() != "voltage off"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::vector<std::string> log = fileLines(helper_.files.log);
    EXPECT_EQ(lines({"tone off", "voltage off"}), std::vector<std::string>(log.end() - 2, log.end()));
    EXPECT_EQ("voltage off", fileLines(helper_.files.trace).back());
}

TEST_F(DvbFrontendTest, AFrontendThatRefusesToTuneFailsTheCallThatCompletesTheSetInOneLine)
{
    serve("fail tune\n");
    const Tuned tuned = start(12245, Horizontal);
    EXPECT_EQ("fail tune refused: Input/output error", tuned.reply);
    EXPECT_EQ(lines({"voltage 18", "tone on",
                     "refused tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2: Input/output error"}),
              tuned.log);
    EXPECT_EQ("fail not tuned", measure());
}

}  // namespace
