// The tuning sequence as data: what a measurement start sends to the LNB
// and the switch, with its pauses, which delivery systems it tries and for
// how long each, what it refuses before anything reaches the frontend, and
// the search that moves from one system to the next.
#include <cerrno>
#include <gtest/gtest.h>

#include "dvb/helper/frontend/delivery_search.h"
#include "dvb/helper/frontend/start_shape.h"
#include "dvb/helper/frontend/tuned_report.h"
#include "dvb/helper/frontend/tuning_sequence.h"
#include "tests/native/program_tuning.h"

namespace {

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
              described(buildTuningSequence(programTuning(12245, 0, 0), abilities, false, nullptr)));
    // "AB" on an LNB that had no supply: 100 ms before the first command.
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "(100 ms)", "tone off", "(15 ms)", "diseqc E0 10 38 FB",
                                        "(100 ms)", "diseqc E0 10 38 FB", "(15 ms)", "tone on"}),
              described(buildTuningSequence(programTuning(12245, 0, 5), abilities, false, nullptr)));
    // Powered already: only DiSEqC's quiet.
    EXPECT_EQ("(15 ms)", described(buildTuningSequence(programTuning(12245, 0, 5), abilities, true, nullptr))[1]);
    // "A" and "B" pick a simple switch's input with the burst; "AA" and "BA" do not.
    EXPECT_EQ((std::vector<std::string>{"voltage 13", "(15 ms)", "tone off", "(15 ms)", "diseqc E0 10 38 F0",
                                        "(100 ms)", "diseqc E0 10 38 F0", "(15 ms)", "burst A", "(15 ms)", "tone off"}),
              described(buildTuningSequence(programTuning(11344, 1, 1), abilities, true, nullptr)));
    EXPECT_EQ("burst B", described(buildTuningSequence(programTuning(11344, 1, 2), abilities, true, nullptr))[8]);
    for (int32_t code : {3, 4, 6})
        for (const std::string& line :
             described(buildTuningSequence(programTuning(11344, 1, code), abilities, true, nullptr)))
            EXPECT_EQ(std::string::npos, line.find("burst")) << code;
}

TEST(DvbTuningSequence, ARemoteFrontendLogsWhatTheDaemonsLibraryDoes)
{
    FrontendAbilities remote;
    remote.remote = true;
    const TuningSequence ab = buildTuningSequence(programTuning(12245, 0, 5), remote, false, nullptr);
    EXPECT_EQ((std::vector<std::string>{"voltage 13", "tone off", "diseqc E0 10 38 FB", "tone off"}), described(ab));
    EXPECT_EQ(12245000u, ab.frequencyKHz);
    EXPECT_EQ(1645000u, ab.intermediateKHz);
    EXPECT_EQ(2, ab.remoteSatellite);
    // Ports "A"/"AA" and "B"/"BA": libdvbv5 adds its burst.
    EXPECT_EQ("burst B", described(buildTuningSequence(programTuning(12245, 0, 4), remote, false, nullptr))[3]);
}

TEST(DvbTuningSequence, SystemsAreTriedInTurnWithTheOneThatLockedFirstAndEachGetsTimeForItsSymbolRate)
{
    FrontendAbilities both;
    const TuningSequence sequence = buildTuningSequence(programTuning(12245, 0, 0), both, false, nullptr);
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS, AttemptDvbS2Qpsk, AttemptDvbS2Psk8}),
              sequence.attempts);
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S", attemptLine(sequence, AttemptDvbS));
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK",
              attemptLine(sequence, AttemptDvbS2Psk8));
    const SystemAttempt qpsk = AttemptDvbS2Qpsk;
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Qpsk, AttemptDvbS2Automatic, AttemptDvbS, AttemptDvbS2Psk8}),
              buildTuningSequence(programTuning(12245, 0, 0), both, false, &qpsk).attempts);
    FrontendAbilities dvbsOnly;
    dvbsOnly.dvbs2 = false;
    EXPECT_EQ(std::vector<SystemAttempt>{AttemptDvbS},
              buildTuningSequence(programTuning(12245, 0, 0), dvbsOnly, false, &qpsk).attempts);

    // About 0.4 s above 20 MS/s, up to 4 s at 2 MS/s and below; a round
    // of attempts (a single one re-sent) takes at least 2 s.
    EXPECT_EQ(400u, lockWindowMs(27500000));
    EXPECT_EQ(400u, lockWindowMs(20000000));
    EXPECT_EQ(800u, lockWindowMs(10000000));
    EXPECT_EQ(4000u, lockWindowMs(2000000));
    EXPECT_EQ(4000u, lockWindowMs(1000000));
    EXPECT_EQ(500u, sequence.attemptWindowMs);
    EXPECT_EQ(2000u, buildTuningSequence(programTuning(12245, 0, 0), dvbsOnly, false, nullptr).attemptWindowMs);
    EXPECT_EQ(4000u, buildTuningSequence(programTuning(12245, 0, 0, 2000), both, false, nullptr).attemptWindowMs);
}

static FrontendAbilities named(const char* frontendName)
{
    FrontendAbilities abilities;
    abilities.traits = frontendTraitsFor(frontendName);
    return abilities;
}

TEST(DvbFrontendTraits, KnownDriversAreFoundByTheirNamesAndTheRestGetTheCautiousDefault)
{
    EXPECT_STREQ("CX24116", frontendTraitsFor("Conexant CX24116/CX24118").nameContains);
    EXPECT_STREQ("M88DS3103", frontendTraitsFor("Montage Technology M88DS3103B").nameContains);
    EXPECT_STREQ("STV090x", frontendTraitsFor("stv090x multistandard").nameContains);
    EXPECT_EQ(nullptr, frontendTraitsFor("Simulated DVB-S/S2 frontend").nameContains);
    EXPECT_EQ(nullptr, frontendTraitsFor("").nameContains);
    // Whether what locked can be read back: m88ds3103 reads it from the
    // chip; ds3000, stv090x and vidtv give back what was asked.
    EXPECT_TRUE(hasTrait(frontendTraitsFor("Montage Technology M88DS3103"), TraitReadsBackLocked));
    EXPECT_FALSE(hasTrait(frontendTraitsFor("Montage Technology DS3000"), TraitReadsBackLocked));
    EXPECT_FALSE(hasTrait(frontendTraitsFor("STV090x Multistandard"), TraitReadsBackLocked));
    EXPECT_FALSE(hasTrait(frontendTraitsFor("Dummy demod for DVB-T/T2/C/S/S2"), TraitReadsBackLocked));
    // A call the driver lacks, as Linux 6.1's dvb-core, older kernels or a
    // missing request answer it; not a call that failed.
    EXPECT_TRUE(unsupportedByDriver(-524));
    EXPECT_TRUE(unsupportedByDriver(-EOPNOTSUPP));
    EXPECT_TRUE(unsupportedByDriver(-ENOTTY));
    EXPECT_FALSE(unsupportedByDriver(-EIO));
    EXPECT_FALSE(unsupportedByDriver(0));
}

TEST(DvbTuningSequence, EachDriverIsAskedOnlyWhatItCanTellApartAndWhatItCannotDoWithoutIsNamed)
{
    const CardTuning tuning = programTuning(12245, 0, 0);
    // No automatic DVB-S2 code rate nor roll-off: DVB-S, then every
    // modulation and code rate once with roll-off 0.35, the most common
    // first, then all again with 0.20 and with 0.25; no automatic attempt.
    const std::vector<SystemAttempt> rated =
        buildTuningSequence(tuning, named("Conexant CX24116/CX24118"), false, nullptr).attempts;
    ASSERT_EQ(1u + 3 * 14, rated.size());
    EXPECT_EQ(AttemptDvbS, rated[0]);
    EXPECT_EQ((SystemAttempt{true, Psk8Modulation, CodeRate2_3, Rolloff35}), rated[1]);
    EXPECT_EQ((SystemAttempt{true, QpskModulation, CodeRate1_2, Rolloff35}), rated[14]);
    EXPECT_EQ((SystemAttempt{true, Psk8Modulation, CodeRate2_3, Rolloff20}), rated[15]);
    EXPECT_EQ((SystemAttempt{true, QpskModulation, CodeRate1_2, Rolloff25}), rated[42]);
    for (size_t i = 1; i < rated.size(); ++i) {
        EXPECT_TRUE(rated[i].dvbs2 && rated[i].modulation != AutomaticModulation) << i;
        EXPECT_NE(AutomaticCodeRate, rated[i].codeRate) << i;
        EXPECT_NE(RolloffImplied, rated[i].rolloff) << i;
        EXPECT_NE(RolloffAutomatic, rated[i].rolloff) << i;
        for (size_t j = 1; j < i; ++j) EXPECT_NE(rated[j], rated[i]) << i;
    }
    const TuningSequence sequence = buildTuningSequence(tuning, named("Conexant CX24116/CX24118"), false, nullptr);
    EXPECT_EQ("tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=QPSK code_rate=9/10 rolloff=0.20",
              attemptLine(sequence, SystemAttempt{true, QpskModulation, CodeRate9_10, Rolloff20}));
    EXPECT_EQ("DVB-S2 8PSK 3/5", attemptSystemText(SystemAttempt{true, Psk8Modulation, CodeRate3_5}));
    // What locked this transponder is asked for first, its code rate and roll-off too.
    const SystemAttempt locked{true, QpskModulation, CodeRate5_6, Rolloff25};
    EXPECT_EQ(locked, buildTuningSequence(tuning, named("Conexant CX24116/CX24118"), false, &locked).attempts[0]);
    // The modulation named, the code rate left to it, and the roll-off to
    // cx24117's own search of the three; tda10071 wants the roll-off named.
    const SystemAttempt qpskAuto{true, QpskModulation, AutomaticCodeRate, RolloffAutomatic};
    const SystemAttempt psk8Auto{true, Psk8Modulation, AutomaticCodeRate, RolloffAutomatic};
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS, qpskAuto, psk8Auto}),
              buildTuningSequence(tuning, named("Conexant CX24117/CX24132"), false, nullptr).attempts);
    std::vector<SystemAttempt> tda10071{AttemptDvbS};
    for (AttemptRolloff rolloff : {Rolloff35, Rolloff20, Rolloff25})
        for (AttemptModulation modulation : {QpskModulation, Psk8Modulation})
            tda10071.push_back(SystemAttempt{true, modulation, AutomaticCodeRate, rolloff});
    EXPECT_EQ(tda10071, buildTuningSequence(tuning, named("NXP TDA10071"), false, nullptr).attempts);
    // One that is not known, or of no rule on it (vidtv), keeps the roll-off its modulation implies.
    for (const FrontendAbilities& each : {FrontendAbilities(), named("Dummy demod for DVB-T/T2/C/S/S2")})
        EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS, AttemptDvbS2Qpsk, AttemptDvbS2Psk8}),
                  buildTuningSequence(tuning, each, false, nullptr).attempts);
    // Modulation, roll-off and code rate unused: one DVB-S2 tune beside DVB-S.
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS}),
              buildTuningSequence(tuning, named("Montage Technology DS3000"), false, nullptr).attempts);
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS}),
              buildTuningSequence(tuning, named("Montage Technology M88RS6000"), false, nullptr).attempts);
    // One search finds either system.
    for (const char* either : {"STV090x Multistandard", "STV0900 frontend", "ST STV0910"})
        EXPECT_EQ(std::vector<SystemAttempt>{AttemptDvbS2Automatic},
                  buildTuningSequence(tuning, named(either), false, nullptr).attempts)
            << either;
    // stb0899 searches the system it was set to alone, the rest its own.
    EXPECT_EQ((std::vector<SystemAttempt>{AttemptDvbS2Automatic, AttemptDvbS}),
              buildTuningSequence(tuning, named("STB0899 Multistandard"), false, nullptr).attempts);
    FrontendAbilities dvbsOnly = named("STV090x Multistandard");
    dvbsOnly.dvbs2 = false;
    EXPECT_EQ(std::vector<SystemAttempt>{AttemptDvbS}, buildTuningSequence(tuning, dvbsOnly, false, nullptr).attempts);
    // vidtv and frontends not in the table: every attempt.
    EXPECT_EQ(4u,
              buildTuningSequence(tuning, named("Dummy demod for DVB-T/T2/C/S/S2"), false, nullptr).attempts.size());
}

TEST(DvbTuningSequence, EachAttemptWaitsForTheTunerAndTheDemodulatorAtItsSymbolRate)
{
    // ds3000: its tuner's 180 ms, then the longer of its own 300 ms poll
    // and the demodulator's search.
    const FrontendTraits ds3000 = frontendTraitsFor("Montage Technology DS3000");
    EXPECT_EQ(580u, attemptTimeMs(ds3000, 27500000));
    EXPECT_EQ(680u, attemptTimeMs(ds3000, 16000000));
    EXPECT_EQ(4180u, attemptTimeMs(ds3000, 2000000));
    // stv090x: its settling, then its cold search's own timeouts.
    const FrontendTraits stv090x = frontendTraitsFor("STV090x Multistandard");
    EXPECT_EQ(500u, attemptTimeMs(stv090x, 27500000));
    EXPECT_EQ(630u, attemptTimeMs(stv090x, 20000000));
    EXPECT_EQ(1650u, attemptTimeMs(stv090x, 3000000));
    EXPECT_EQ(3700u, attemptTimeMs(stv090x, 2000000));
    EXPECT_EQ(6300u, attemptTimeMs(stv090x, 1000000));
    // cx24116: pilots off, then on, 500 ms each, or the search if longer.
    const FrontendTraits cx24116 = frontendTraitsFor("Conexant CX24116/CX24118");
    EXPECT_EQ(1000u, attemptTimeMs(cx24116, 27500000));
    EXPECT_EQ(4000u, attemptTimeMs(cx24116, 2000000));
    // Unknown ones: the usual time.
    EXPECT_EQ(lockWindowMs(16000000), attemptTimeMs(frontendTraitsFor(""), 16000000));

    // The windows of whole sequences: at 16 MS/s ds3000 had half a second
    // for each of four attempts; now the time it needs, for each of two.
    EXPECT_EQ(680u,
              buildTuningSequence(programTuning(12245, 0, 0, 16000), named("Montage Technology DS3000"), false, nullptr)
                  .attemptWindowMs);
    EXPECT_EQ(3700u,
              buildTuningSequence(programTuning(12245, 0, 0, 2000), named("STV090x Multistandard"), false, nullptr)
                  .attemptWindowMs);
    // vidtv's row gives no times: its attempts share a round of 2 s, as unknown ones do.
    EXPECT_EQ(500u,
              buildTuningSequence(programTuning(12245, 0, 0), named("Dummy demod for DVB-T/T2/C/S/S2"), false, nullptr)
                  .attemptWindowMs);
    // --status --tune waits one round: 42 code rates and roll-offs take a while.
    const TuningSequence rated =
        buildTuningSequence(programTuning(12245, 0, 0), named("Conexant CX24116/CX24118"), false, nullptr);
    EXPECT_EQ(1000u, rated.attemptWindowMs);
    EXPECT_EQ(43200u, tunedLockWaitMs(rated));
    EXPECT_EQ(tunedLockWaitLimitMs,
              tunedLockWaitMs(buildTuningSequence(programTuning(12245, 0, 0, 2000), named("Conexant CX24116/CX24118"),
                                                  false, nullptr)));
}

TEST(DvbTuningSequence, ValuesTheProgramNeverSendsAndRangesTheFrontendCannotTuneAreRefused)
{
    FrontendAbilities abilities;
    EXPECT_EQ("", tuningRefusal(programTuning(12245, 0, 5), abilities));
    EXPECT_EQ("", tuningRefusal(programTuning(12245, 3, 0), abilities));  // a catalogue line without a letter
    struct Case {
        CardTuning tuning;
        const char* refusal;
    };
    CardTuning band = programTuning(12245, 0, 0), oscillator = band, polarization = band, diseqc = band, rate = band;
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
        {programTuning(4201, 0, 0), "the frontend tunes 950000 - 2150000 kHz"},  // 9750 MHz above 4201
        {programTuning(12751, 0, 0), "the frontend tunes 950000 - 2150000 kHz"},
        {programTuning(12245, 0, 0, 500), "the frontend takes symbol rates 1000000 - 45000000"},
        {programTuning(12245, 0, 0, 2000000), "the frontend takes symbol rates 1000000 - 45000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.refusal, tuningRefusal(c.tuning, abilities));
    EXPECT_EQ("tune if_khz=5549000 symbol_rate=27500000", plannedTuneLine(programTuning(4201, 0, 0)));
    EXPECT_EQ("refused voltage 18: Input/output error", refusedLine("voltage 18", "Input/output error"));

    FrontendAbilities remote;
    remote.remote = true;
    EXPECT_EQ("libdvbv5's EXTENDED LNB cannot give this band", tuningRefusal(programTuning(4201, 0, 0), remote));
    FrontendAbilities noLimit;
    noLimit.highestKHz = 0;
    EXPECT_EQ("", tuningRefusal(programTuning(12751, 0, 0), noLimit));
}

TEST(DvbStartBound, AStartIsGivenItsPausesAndAnAllowanceForEachCallAndNoneExceedsTheLongest)
{
    const FrontendAbilities abilities;
    const StartShape plain = startShapeOf(buildTuningSequence(programTuning(12245, 0, 0), abilities, false, nullptr));
    EXPECT_EQ(0u, plain.pausesMs);
    EXPECT_EQ(3u, plain.frontendCalls);  // supply, tone, tune
    const StartShape burst = startShapeOf(buildTuningSequence(programTuning(11344, 1, 1), abilities, false, nullptr));
    EXPECT_EQ(100u + 15 + 100 + 15 + 15, burst.pausesMs);
    EXPECT_EQ(7u, burst.frontendCalls);
    EXPECT_EQ(startBoundMs(plain) + 245 + 4 * frontendCallAllowanceMs, startBoundMs(burst));
    // Once longer than the second and a half a start was given, on any frontend.
    EXPECT_GT(startBoundMs(plain), frontendSearchHoldMs + 1500);
    // A first call may wait out the longest hold of a known driver: stv090x's
    // cold search at 1 MS/s, longer than cx24117's three roll-offs.
    EXPECT_EQ(6300u, longestKnownSearchMs());
    EXPECT_LE(longestKnownSearchMs(), frontendSearchHoldMs);
    // dvbcard.dll waits for the longest: no start the helper makes is longer.
    FrontendAbilities remote;
    remote.remote = true;
    for (const FrontendAbilities& each : {abilities, remote})
        for (int32_t frequency : {3700, 10800, 12245})
            for (int32_t polarization : {0, 1, 3})
                for (int32_t diseqc = 0; diseqc <= 6; ++diseqc)
                    for (bool powered : {false, true}) {
                        const StartShape shape = startShapeOf(buildTuningSequence(
                            programTuning(frequency, polarization, diseqc), each, powered, nullptr));
                        EXPECT_LE(shape.pausesMs, longestStart().pausesMs) << frequency << " " << diseqc;
                        EXPECT_LE(shape.frontendCalls, longestStart().frontendCalls) << frequency << " " << diseqc;
                    }
}

TEST(DvbDeliverySearch, AttemptsTakeTurnsWhileUnlockedAndALockHoldsOne)
{
    const TuningSequence sequence =
        buildTuningSequence(programTuning(12245, 0, 0), FrontendAbilities(), false, nullptr);
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
    const TuningSequence single = buildTuningSequence(programTuning(12245, 0, 0), dvbsOnly, false, nullptr);
    startSearch(search, 0);
    EXPECT_TRUE(searchMovesOn(search, single, false, single.attemptWindowMs));
    EXPECT_EQ(0u, search.current);
}

TEST(DvbDeliverySearch, WhatLockedIsRememberedPerTransponderForAFewDozen)
{
    TransponderMemory memory;
    const TransponderKey key = transponderKeyOf(programTuning(12245, 0, 5));
    EXPECT_EQ(nullptr, rememberedAttempt(memory, key));
    rememberAttempt(memory, key, AttemptDvbS);
    rememberAttempt(memory, key, AttemptDvbS2Psk8);
    ASSERT_NE(nullptr, rememberedAttempt(memory, key));
    EXPECT_EQ(AttemptDvbS2Psk8, *rememberedAttempt(memory, key));
    EXPECT_EQ(1u, memory.entries.size());
    // The same frequency on another switch port or polarization is another transponder.
    EXPECT_EQ(nullptr, rememberedAttempt(memory, transponderKeyOf(programTuning(12245, 0, 6))));
    EXPECT_EQ(nullptr, rememberedAttempt(memory, transponderKeyOf(programTuning(12245, 1, 5))));
    for (int32_t frequency = 10700; frequency < 10700 + 40; ++frequency)
        rememberAttempt(memory, transponderKeyOf(programTuning(frequency, 0, 0)), AttemptDvbS);
    EXPECT_EQ(rememberedTransponders, memory.entries.size());
    EXPECT_EQ(nullptr, rememberedAttempt(memory, key));  // the oldest went
}

}  // namespace
