// The tuning sequence as data: what a measurement start sends to the LNB
// and the switch, with its pauses, which delivery systems it tries and for
// how long each, what it refuses before anything reaches the frontend, and
// the search that moves from one system to the next.
#include <gtest/gtest.h>

#include "dvb/helper/delivery_search.h"
#include "dvb/helper/start_shape.h"
#include "dvb/helper/tuning_sequence.h"

namespace {

static CardTuning tuningFor(int32_t frequencyMHz, int32_t polarization, int32_t diseqc, int32_t symbolRate = 27500)
{
    CardTuning tuning;
    tuning.lnbSelection = frequencyMHz > 11699 ? 1 : 0;
    tuning.lnbFrequencyMHz = frequencyMHz > 11699 ? 10600 : frequencyMHz < 4201 ? 5150 : 9750;
    tuning.polarization = polarization;
    tuning.symbolRate = symbolRate;
    tuning.frequencyMHz = frequencyMHz;
    tuning.diseqcCode = diseqc;
    return tuning;
}

// The steps as the log writes them, pauses as "(N ms)".
static std::vector<std::string> described(const TuningSequence& sequence)
{
    std::vector<std::string> lines;
    for (const SequenceStep& step : sequence.steps)
        lines.push_back(step.kind == StepPause ? "(" + std::to_string(step.pauseMs) + " ms)" : stepLine(step));
    return lines;
}

TEST(DvbTuningSequence, TheSwitchCommandGoesTwiceAfterTheLnbHasPowerAndTheBurstFollowsForAOrB)
{
    const FrontendAbilities abilities;
    // No switch: the supply and the band's tone.
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "tone on"}),
              described(buildTuningSequence(tuningFor(12245, 0, 0), abilities, false, nullptr)));
    // "AB" on an LNB that had no supply: 100 ms before the first command.
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "(100 ms)", "tone off", "(15 ms)", "diseqc E0 10 38 FB",
                                        "(100 ms)", "diseqc E0 10 38 FB", "(15 ms)", "tone on"}),
              described(buildTuningSequence(tuningFor(12245, 0, 5), abilities, false, nullptr)));
    // Powered already: only DiSEqC's quiet.
    EXPECT_EQ("(15 ms)", described(buildTuningSequence(tuningFor(12245, 0, 5), abilities, true, nullptr))[1]);
    // "A" and "B" pick a simple switch's input with the burst; "AA" and "BA" do not.
    EXPECT_EQ((std::vector<std::string>{"voltage 13", "(15 ms)", "tone off", "(15 ms)", "diseqc E0 10 38 F0",
                                        "(100 ms)", "diseqc E0 10 38 F0", "(15 ms)", "burst A", "(15 ms)", "tone off"}),
              described(buildTuningSequence(tuningFor(11344, 1, 1), abilities, true, nullptr)));
    EXPECT_EQ("burst B", described(buildTuningSequence(tuningFor(11344, 1, 2), abilities, true, nullptr))[8]);
    for (int32_t code : {3, 4, 6})
        for (const std::string& line :
             described(buildTuningSequence(tuningFor(11344, 1, code), abilities, true, nullptr)))
            EXPECT_EQ(std::string::npos, line.find("burst")) << code;
}

TEST(DvbTuningSequence, ARemoteFrontendLogsWhatTheDaemonsLibraryDoes)
{
    FrontendAbilities remote;
    remote.remote = true;
    const TuningSequence ab = buildTuningSequence(tuningFor(12245, 0, 5), remote, false, nullptr);
    EXPECT_EQ((std::vector<std::string>{"voltage 13", "tone off", "diseqc E0 10 38 FB", "tone off"}), described(ab));
    EXPECT_EQ(12245000u, ab.frequencyKHz);
    EXPECT_EQ(1645000u, ab.intermediateKHz);
    EXPECT_EQ(2, ab.remoteSatellite);
    // Ports "A"/"AA" and "B"/"BA": libdvbv5 adds its burst.
    EXPECT_EQ("burst B", described(buildTuningSequence(tuningFor(12245, 0, 4), remote, false, nullptr))[3]);
}

TEST(DvbTuningSequence, SystemsAreTriedInTurnWithTheOneThatLockedFirstAndEachGetsTimeForItsSymbolRate)
{
    FrontendAbilities both;
    const TuningSequence sequence = buildTuningSequence(tuningFor(12245, 0, 0), both, false, nullptr);
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS, AttemptDvbS2Qpsk, AttemptDvbS2Psk8}),
              sequence.attempts);
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S", attemptLine(sequence, AttemptDvbS));
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK",
              attemptLine(sequence, AttemptDvbS2Psk8));
    const SystemAttempt qpsk = AttemptDvbS2Qpsk;
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Qpsk, AttemptDvbS2Automatic, AttemptDvbS, AttemptDvbS2Psk8}),
              buildTuningSequence(tuningFor(12245, 0, 0), both, false, &qpsk).attempts);
    FrontendAbilities dvbsOnly;
    dvbsOnly.dvbs2 = false;
    EXPECT_EQ(std::vector<SystemAttempt>{AttemptDvbS},
              buildTuningSequence(tuningFor(12245, 0, 0), dvbsOnly, false, &qpsk).attempts);

    // About 0.4 s above 20 MS/s, up to 4 s at 2 MS/s and below; a round
    // of attempts (a single one re-sent) takes at least 2 s.
    EXPECT_EQ(400u, lockWindowMs(27500000));
    EXPECT_EQ(400u, lockWindowMs(20000000));
    EXPECT_EQ(800u, lockWindowMs(10000000));
    EXPECT_EQ(4000u, lockWindowMs(2000000));
    EXPECT_EQ(4000u, lockWindowMs(1000000));
    EXPECT_EQ(500u, sequence.attemptWindowMs);
    EXPECT_EQ(2000u, buildTuningSequence(tuningFor(12245, 0, 0), dvbsOnly, false, nullptr).attemptWindowMs);
    EXPECT_EQ(4000u, buildTuningSequence(tuningFor(12245, 0, 0, 2000), both, false, nullptr).attemptWindowMs);
}

TEST(DvbTuningSequence, ValuesTheProgramNeverSendsAndRangesTheFrontendCannotTuneAreRefused)
{
    FrontendAbilities abilities;
    EXPECT_EQ("", tuningRefusal(tuningFor(12245, 0, 5), abilities));
    EXPECT_EQ("", tuningRefusal(tuningFor(12245, 3, 0), abilities));  // a catalogue line without a letter
    struct Case {
        CardTuning tuning;
        const char* refusal;
    };
    CardTuning band = tuningFor(12245, 0, 0), oscillator = band, polarization = band, diseqc = band, rate = band;
    band.lnbSelection = 7;
    oscillator.lnbFrequencyMHz = 2147483647;
    polarization.polarization = -1;
    diseqc.diseqcCode = 99;
    rate.symbolRate = -5;
    const Case cases[] = {
        {band, "band 7 is neither 0 nor 1"},
        {oscillator, "oscillator 2147483647 MHz is not 5150, 9750 or 10600"},
        {polarization, "polarization -1 is not 0, 1 or 3"},
        {diseqc, "DiSEqC code 99 is not 0 to 6"},
        {rate, "frequency and symbol rate must be above 0"},
        {tuningFor(4201, 0, 0), "the frontend tunes 950000 - 2150000 kHz"},  // 9750 MHz above 4201
        {tuningFor(12751, 0, 0), "the frontend tunes 950000 - 2150000 kHz"},
        {tuningFor(12245, 0, 0, 500), "the frontend takes symbol rates 1000000 - 45000000"},
        {tuningFor(12245, 0, 0, 2000000), "the frontend takes symbol rates 1000000 - 45000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.refusal, tuningRefusal(c.tuning, abilities));
    EXPECT_EQ("tune if_khz=5549000 symbol_rate=27500000", plannedTuneLine(tuningFor(4201, 0, 0)));
    EXPECT_EQ("refused voltage 18: Input/output error", refusedLine("voltage 18", "Input/output error"));

    FrontendAbilities remote;
    remote.remote = true;
    EXPECT_EQ("libdvbv5's EXTENDED LNB cannot give this band", tuningRefusal(tuningFor(4201, 0, 0), remote));
    FrontendAbilities noLimit;
    noLimit.highestKHz = 0;
    EXPECT_EQ("", tuningRefusal(tuningFor(12751, 0, 0), noLimit));
}

TEST(DvbStartBound, AStartIsGivenItsPausesAndAnAllowanceForEachCallAndNoneExceedsTheLongest)
{
    const FrontendAbilities abilities;
    const StartShape plain = startShapeOf(buildTuningSequence(tuningFor(12245, 0, 0), abilities, false, nullptr));
    EXPECT_EQ(0u, plain.pausesMs);
    EXPECT_EQ(3u, plain.frontendCalls);  // supply, tone, tune
    const StartShape burst = startShapeOf(buildTuningSequence(tuningFor(11344, 1, 1), abilities, false, nullptr));
    EXPECT_EQ(100u + 15 + 100 + 15 + 15, burst.pausesMs);
    EXPECT_EQ(7u, burst.frontendCalls);
    EXPECT_EQ(startBoundMs(plain) + 245 + 4 * frontendCallAllowanceMs, startBoundMs(burst));
    // Once longer than the second and a half a start was given, on any frontend.
    EXPECT_GT(startBoundMs(plain), frontendSearchHoldMs + 1500);
    // dvbcard.dll waits for the longest: no start the helper makes is longer.
    FrontendAbilities remote;
    remote.remote = true;
    for (const FrontendAbilities& each : {abilities, remote})
        for (int32_t frequency : {3700, 10800, 12245})
            for (int32_t polarization : {0, 1, 3})
                for (int32_t diseqc = 0; diseqc <= 6; ++diseqc)
                    for (bool powered : {false, true}) {
                        const StartShape shape = startShapeOf(
                            buildTuningSequence(tuningFor(frequency, polarization, diseqc), each, powered, nullptr));
                        EXPECT_LE(shape.pausesMs, longestStart().pausesMs) << frequency << " " << diseqc;
                        EXPECT_LE(shape.frontendCalls, longestStart().frontendCalls) << frequency << " " << diseqc;
                    }
}

TEST(DvbDeliverySearch, AttemptsTakeTurnsWhileUnlockedAndALockHoldsOne)
{
    const TuningSequence sequence = buildTuningSequence(tuningFor(12245, 0, 0), FrontendAbilities(), false, nullptr);
    const uint32_t window = sequence.attemptWindowMs;
    DeliverySearch search;
    startSearch(search, 1000);
    EXPECT_FALSE(searchMovesOn(search, sequence, false, 1000 + window - 1));
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 1000 + window));
    EXPECT_EQ(1u, search.current);
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 1000 + 2 * window));
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 1000 + 3 * window));
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 1000 + 4 * window));
    EXPECT_EQ(0u, search.current);  // round again
    // A lock holds the attempt; lost, the same is sent again after a round.
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 1000 + 5 * window));
    EXPECT_FALSE(searchMovesOn(search, sequence, true, 9000));
    EXPECT_FALSE(searchMovesOn(search, sequence, false, 9000 + minimumRoundMs - 1));
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 9000 + minimumRoundMs));
    EXPECT_EQ(1u, search.current);
    EXPECT_TRUE(searchMovesOn(search, sequence, false, 9000 + 2 * minimumRoundMs));
    EXPECT_EQ(1u, search.current);

    // One attempt: it is sent again after its window.
    FrontendAbilities dvbsOnly;
    dvbsOnly.dvbs2 = false;
    const TuningSequence single = buildTuningSequence(tuningFor(12245, 0, 0), dvbsOnly, false, nullptr);
    startSearch(search, 0);
    EXPECT_TRUE(searchMovesOn(search, single, false, single.attemptWindowMs));
    EXPECT_EQ(0u, search.current);
}

TEST(DvbDeliverySearch, WhatLockedIsRememberedPerTransponderForAFewDozen)
{
    TransponderMemory memory;
    const TransponderKey key = transponderKeyOf(tuningFor(12245, 0, 5));
    EXPECT_EQ(nullptr, rememberedAttempt(memory, key));
    rememberAttempt(memory, key, AttemptDvbS);
    rememberAttempt(memory, key, AttemptDvbS2Psk8);
    ASSERT_NE(nullptr, rememberedAttempt(memory, key));
    EXPECT_EQ(AttemptDvbS2Psk8, *rememberedAttempt(memory, key));
    EXPECT_EQ(1u, memory.entries.size());
    // The same frequency on another switch port or polarization is another transponder.
    EXPECT_EQ(nullptr, rememberedAttempt(memory, transponderKeyOf(tuningFor(12245, 0, 6))));
    EXPECT_EQ(nullptr, rememberedAttempt(memory, transponderKeyOf(tuningFor(12245, 1, 5))));
    for (int32_t frequency = 10700; frequency < 10700 + 40; ++frequency)
        rememberAttempt(memory, transponderKeyOf(tuningFor(frequency, 0, 0)), AttemptDvbS);
    EXPECT_EQ(rememberedTransponders, memory.entries.size());
    EXPECT_EQ(nullptr, rememberedAttempt(memory, key));  // the oldest went
}

}  // namespace
