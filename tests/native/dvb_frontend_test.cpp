// What reaches a DVB-S/S2 frontend when the program tunes through
// azimora-dvb: the real helper, libdvbv5 and, beneath it, the simulated
// kernel frontend, which records every request that reaches the hardware.
// The calls come from the program's own tuning plan.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "cardbase/signal_scale.h"
#include "tests/native/dvb_helper_process.h"
#include "tuner/tuning_plan.h"

namespace {

static const char* const callNames[] = {"SetLnbSelection", "SetLnbFrequency",         "SetPolarity",
                                        "SetSymbolRate",   "SetTransponderFrequency", "SetDiseqc"};

struct Tuned {
    std::string reply;  // to the call that completed the set
    std::vector<std::string> log;
    std::vector<std::string> trace;
};

class DvbFrontendTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, stopServing(helper_)); }

    void serve(const std::string& simulation)
    {
        ASSERT_TRUE(startServing(helper_, simulation)) << AZM_DVB_HELPER;
        ASSERT_TRUE(connectToHelper(helper_));
        ASSERT_EQ("ok", ask(helper_, "Initialize"));
        ASSERT_EQ("ok", ask(helper_, "SetFec 6"));
    }

    // One measurement start as the program makes it; what it added to the
    // helper's log and to the frontend's trace.
    Tuned start(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate = 27500, int32_t diseqc = 0)
    {
        TuningParameters parameters;
        parameters.frequencyMHz = frequencyMHz;
        parameters.polarization = polarization;
        parameters.symbolRate = symbolRate;
        parameters.diseqcCode = diseqc;
        TuningStep steps[tuningStepCount];
        planTuning(parameters, steps);
        const size_t logBefore = fileLines(helper_.files.log).size();
        const size_t traceBefore = fileLines(helper_.files.trace).size();
        Tuned tuned;
        for (const TuningStep& step : steps) {
            tuned.reply = ask(helper_, std::string(callNames[step.call]) + " " + std::to_string(step.argument));
            if (step.call != CallDiseqc) EXPECT_EQ("ok", tuned.reply) << callNames[step.call];
        }
        const std::vector<std::string> log = fileLines(helper_.files.log);
        const std::vector<std::string> trace = fileLines(helper_.files.trace);
        tuned.log.assign(log.begin() + static_cast<long>(logBefore), log.end());
        tuned.trace.assign(trace.begin() + static_cast<long>(traceBefore), trace.end());
        return tuned;
    }

    // Ends the connection (the helper lets the frontend go) and starts another.
    void reconnect(const std::string& simulation)
    {
        disconnect(helper_);
        std::ofstream(helper_.files.simulation) << simulation;
        ASSERT_TRUE(connectToHelper(helper_));
        ASSERT_EQ("ok", ask(helper_, "Initialize"));
    }

    std::string measure() { return ask(helper_, "QuerySignalStatus"); }

    ServingHelper helper_;
};

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
        const std::string tune = "tune if_khz=" + std::to_string(c.intermediateKHz) + " symbol_rate=27500000";
        const Tuned tuned = start(c.frequencyMHz, Horizontal);
        EXPECT_EQ("ok", tuned.reply) << c.frequencyMHz;
        EXPECT_EQ(lines({"voltage 18", c.tone, tune}), tuned.log) << c.frequencyMHz;
        EXPECT_EQ(lines({"voltage 18", c.tone, "tune DVB-S2 auto " + std::to_string(c.intermediateKHz) + " 27500000"}),
                  tuned.trace)
            << c.frequencyMHz;
    }
    // The program sends 4201 MHz to the 9750 MHz oscillator and 12751 MHz
    // leaves the L band: the kernel refuses both, and the last call says so.
    for (int32_t frequency : {4201, 12751}) {
        const Tuned tuned = start(frequency, Vertical);
        EXPECT_EQ(0u, tuned.reply.find("fail tune refused")) << tuned.reply;
        ASSERT_GE(tuned.log.size(), 3u);
        EXPECT_EQ(frequency == 4201 ? "tune if_khz=5549000 symbol_rate=27500000"
                                    : "tune if_khz=2151000 symbol_rate=27500000",
                  tuned.log[2]);
        for (const std::string& line : tuned.trace) EXPECT_NE(0u, line.find("tune")) << line;
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
                EXPECT_EQ(lines({voltage, "tone off", command, tone,
                                 "tune if_khz=" + std::to_string(intermediate) + " symbol_rate=27500000"}),
                          tuned.log)
                    << where;
                EXPECT_EQ(lines({voltage, "tone off", command, tone,
                                 "tune DVB-S2 auto " + std::to_string(intermediate) + " 27500000"}),
                          tuned.trace)
                    << where;
            }
        }
    }
    // Without a letter the LNB still gets its supply, at 13 V.
    EXPECT_EQ(lines({"voltage 13", "tone on", "tune if_khz=1645000 symbol_rate=27500000"}), start(12245, 3).log);
}

TEST_F(DvbFrontendTest, ReadingsComeFromTheDriversStatisticsInWhateverFormItOffers)
{
    serve("statistics decibel\n0 lock 10.07\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measure());
    EXPECT_EQ("ok", ask(helper_, "RefreshSignalReadings"));
    EXPECT_EQ("ok 55", ask(helper_, "GetSignalQuality"));
    EXPECT_EQ("ok 10070", ask(helper_, "GetSignalNoiseRatio"));

    // Relative figures (v5 statistics, or the older 16-bit reads): 10 dB is
    // half of the simulated frontend's full scale, and the s/n shown is the
    // C/N that the quality scale gives for that percentage.
    for (const char* kind : {"relative", "legacy"}) {
        reconnect(std::string("statistics ") + kind + "\n0 lock 10\n");
        start(12245, Horizontal);
        EXPECT_EQ("ok", measure()) << kind;
        ask(helper_, "RefreshSignalReadings");
        EXPECT_EQ("ok 50", ask(helper_, "GetSignalQuality")) << kind;
        EXPECT_EQ("ok " + std::to_string(static_cast<int>(carrierToNoiseFromQuality(50) * 1000 + 0.5)),
                  ask(helper_, "GetSignalNoiseRatio"))
            << kind;
    }
    // A lock without any figure is the lowest quality.
    reconnect("statistics none\n0 lock 10\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measure());
    ask(helper_, "RefreshSignalReadings");
    EXPECT_EQ("ok 1", ask(helper_, "GetSignalQuality"));
}

TEST_F(DvbFrontendTest, TheLockIsLoggedWhenItChangesAndStatusCallsArePaced)
{
    serve("0 nolock\n400 lock 12\n");
    start(12245, Horizontal);
    EXPECT_EQ("fail no lock", measure());
    const auto begin = std::chrono::steady_clock::now();
    std::string status;
    for (int i = 0; i < 10; ++i) status = measure();
    // At most about ten fresh readings a second, however fast they are asked for.
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(950));
    EXPECT_EQ("ok", status);
    const std::vector<std::string> log = fileLines(helper_.files.log);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(lines({"nolock", "lock"}), std::vector<std::string>(log.end() - 2, log.end()));

    // Another start: the lock is logged again after its tune.
    start(11344, Vertical);
    EXPECT_EQ("fail no lock", measure());
    EXPECT_EQ("nolock", fileLines(helper_.files.log).back());
}

TEST_F(DvbFrontendTest, ADriverThatWantsTheModulationNamedIsSearchedSystemBySystem)
{
    serve("modulation explicit\ntransponder DVB-S2\n0 lock 9\n");
    const Tuned tuned = start(12245, Horizontal);
    EXPECT_EQ("ok", tuned.reply);
    EXPECT_EQ(lines({"voltage 18", "tone on", "tune DVB-S 1645000 27500000"}), tuned.trace);
    EXPECT_EQ("fail no lock", measure());
    // No lock within the search window: DVB-S2 with QPSK next.
    std::string status;
    for (int i = 0; i < 80 && status != "ok"; ++i) status = measure();
    EXPECT_EQ("ok", status);
    EXPECT_EQ("tune DVB-S2 QPSK 1645000 27500000", fileLines(helper_.files.trace).back());
}

TEST_F(DvbFrontendTest, AFrontendFindsADvbSTransponderWhenTunedAsDvbS2WithAutomaticModulation)
{
    serve("transponder DVB-S\n0 lock 9\n");
    start(12245, Horizontal);
    EXPECT_EQ("ok", measure());
    reconnect("systems DVB-S\n0 lock 9\n");
    EXPECT_EQ(lines({"voltage 18", "tone on", "tune DVB-S 1645000 27500000"}), start(12245, Horizontal).trace);
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
    EXPECT_EQ("ok", measure());  // the first goes on

    disconnect(helper_);
    for (int i = 0; i < 100 && fileLines(helper_.files.log).back() != "voltage off"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ("voltage off", fileLines(helper_.files.log).back());
    EXPECT_EQ("voltage off", fileLines(helper_.files.trace).back());
}

TEST_F(DvbFrontendTest, AFrontendThatRefusesToTuneFailsTheCallThatCompletesTheSet)
{
    serve("fail tune\n");
    const Tuned tuned = start(12245, Horizontal);
    EXPECT_EQ(0u, tuned.reply.find("fail tune refused")) << tuned.reply;
    EXPECT_EQ("fail not tuned", measure());
}

}  // namespace
