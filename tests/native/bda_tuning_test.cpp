// What reaches a BDA driver for the six calls the program sends: the calls
// come from the program's own tuning plan, and the driver's documented
// switch rule must land on the band and oscillator the program chose.
#include <cstring>
#include <gtest/gtest.h>

#include "bda/bda_tuning.h"
#include "cardbase/frontend_plan.h"
#include "tuner/lnb_rules.h"
#include "tuner/tuning_plan.h"

static CardTuning tuningFromProgram(int32_t frequencyMHz, int32_t polarization, int32_t diseqcCode)
{
    TuningParameters parameters;
    parameters.frequencyMHz = frequencyMHz;
    parameters.polarization = polarization;
    parameters.symbolRate = 27500;
    parameters.diseqcCode = diseqcCode;
    TuningStep steps[tuningStepCount];
    planTuning(parameters, steps);
    const CardSetCall callOf[] = {SetLnbSelectionCall, SetLnbFrequencyCall,         SetPolarityCall,
                                  SetSymbolRateCall,   SetTransponderFrequencyCall, SetDiseqcCall};
    CardTuning tuning;
    for (const TuningStep& step : steps) recordSetCall(tuning, callOf[step.call], step.argument);
    return tuning;
}

TEST(BdaTuning, TheDriverPicksTheProgramsBandAndOscillatorForEveryFrequency)
{
    for (int32_t f = 3399; f <= 15000; ++f) {
        if (f > 4201 && f < 10700) continue;  // the program takes nothing in between
        const CardTuning tuning = tuningFromProgram(f, 0, 0);
        const BdaTuneValues values = bdaTuneValuesFor(tuning);
        ASSERT_EQ(f * 1000, values.carrierKHz) << f;
        const bool driverHighBand = values.carrierKHz >= values.lnb.switchKHz;
        ASSERT_EQ(lnbSelectionFor(f) == 1, driverHighBand) << f;
        const int32_t oscillator = oscillatorForCarrierKHz(values.lnb, values.carrierKHz);
        ASSERT_EQ(lnbFrequencyFor(f) * 1000, oscillator) << f;
        ASSERT_EQ(oscillator, values.lnb.lowKHz) << f;  // for a driver that reads one field only
        // The intermediate frequency the driver then tunes is the one a Linux frontend gets.
        const int32_t difference = values.carrierKHz - oscillator;
        ASSERT_EQ(frontendPlanFor(tuning).intermediateKHz,
                  static_cast<uint32_t>(difference < 0 ? -difference : difference))
            << f;
    }
}

TEST(BdaTuning, BandEdgesDescribeTheLnbTheProgramChose)
{
    struct Case {
        int32_t frequencyMHz;
        LnbOscillators lnb;
    };
    // The one oscillator chosen in both fields: drivers that mishandle two
    // in one request use the right one either way.
    const LnbOscillators low{9750000, 9750000, 11700000};
    const LnbOscillators high{10600000, 10600000, 11700000};
    const LnbOscillators cBand{5150000, 5150000, 11700000};
    const Case cases[] = {{11699, low}, {11700, high}, {4200, cBand}, {4201, low}, {3400, cBand}, {15000, high}};
    for (const Case& c : cases) {
        const BdaTuneValues values = bdaTuneValuesFor(tuningFromProgram(c.frequencyMHz, 1, 0));
        EXPECT_EQ(c.lnb, values.lnb) << c.frequencyMHz;
        EXPECT_EQ(27500, values.symbolRate) << c.frequencyMHz;
    }
    EXPECT_EQ(3400000, bdaTuneValuesFor(tuningFromProgram(3400, 1, 0)).carrierKHz);
}

TEST(BdaTuning, PolarizationAndSwitchPortBecomeBdaValues)
{
    EXPECT_EQ(bdaPolarisationHorizontal, bdaTuneValuesFor(tuningFromProgram(12245, 0, 0)).polarisation);
    EXPECT_EQ(bdaPolarisationVertical, bdaTuneValuesFor(tuningFromProgram(12245, 1, 0)).polarisation);
    // A catalogue line without a letter powers the LNB as for vertical.
    EXPECT_EQ(bdaPolarisationVertical, bdaTuneValuesFor(tuningFromProgram(12245, 3, 0)).polarisation);

    // None, "A", "B", "AA", "BA", "AB", "BB": no source, then A, B, A, B, C, D,
    // and the command the Linux bridge sends for the same port.
    const int32_t sources[] = {bdaLnbSourceNotSet, 1, 2, 1, 2, 3, 4};
    for (int32_t code = 0; code <= 6; ++code) {
        const CardTuning tuning = tuningFromProgram(11720, 1, code);
        const BdaTuneValues values = bdaTuneValuesFor(tuning);
        EXPECT_EQ(sources[code], values.lnbSource) << code;
        const FrontendPlan plan = frontendPlanFor(tuning);
        EXPECT_EQ(plan.switchPort, values.switchPort) << code;
        if (code > 0) EXPECT_EQ(0, memcmp(plan.diseqc, values.switchCommand, 4)) << code;
    }
    EXPECT_EQ(bdaLnbSourceNotSet, bdaTuneValuesFor(tuningFromProgram(11720, 1, 9)).lnbSource);
    const BdaTuneValues ab = bdaTuneValuesFor(tuningFromProgram(12245, 0, 5));
    const uint8_t expected[] = {0xE0, 0x10, 0x38, 0xFB};
    EXPECT_EQ(0, memcmp(expected, ab.switchCommand, 4));
}

static SwitchMeans meansOf(bool maker, bool commands, bool lnbSource, bool range)
{
    SwitchMeans means;
    means.maker = maker;
    means.commands = commands;
    means.lnbSource = lnbSource;
    means.spaceRange = range;
    means.rangeProperty = range;
    return means;
}

TEST(BdaTuning, TheSwitchIsReachedByTheCommandElseTheLnbSourceElseTheInputRange)
{
    const BdaTuneValues withPort = bdaTuneValuesFor(tuningFromProgram(11720, 1, 5));
    const SwitchMeans everything = meansOf(false, true, true, true);
    EXPECT_EQ(SwitchByCommand, switchRouteAfter(withPort.switchPort, NoSwitchAsked, everything));
    // A refused command falls back to the LNB source, which nothing follows:
    // whether the driver acted on it cannot be told.
    EXPECT_EQ(SwitchByLnbSource, switchRouteAfter(withPort.switchPort, SwitchByCommand, everything));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(withPort.switchPort, SwitchByLnbSource, everything));
    // Without the locator's LNB source (before Windows 7) the input range is
    // tried before refusing: the tuning space's, then the RF tuner's own.
    const SwitchMeans noSource = meansOf(false, true, false, true);
    EXPECT_EQ(SwitchBySpaceRange, switchRouteAfter(withPort.switchPort, SwitchByCommand, noSource));
    EXPECT_EQ(SwitchByRangeProperty, switchRouteAfter(withPort.switchPort, SwitchBySpaceRange, noSource));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(withPort.switchPort, SwitchByRangeProperty, noSource));
    const SwitchMeans rangeOnly = meansOf(false, false, false, true);
    EXPECT_EQ(SwitchBySpaceRange, switchRouteAfter(withPort.switchPort, NoSwitchAsked, rangeOnly));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(withPort.switchPort, NoSwitchAsked, SwitchMeans{}));
    // The request carries the source only on its own route: after a command
    // the driver must not send one of its own.
    EXPECT_EQ(bdaLnbSourceNotSet, lnbSourceFor(withPort, SwitchByCommand));
    EXPECT_EQ(bdaLnbSourceNotSet, lnbSourceFor(withPort, SwitchByMaker));
    EXPECT_EQ(bdaLnbSourceNotSet, lnbSourceFor(withPort, SwitchBySpaceRange));
    EXPECT_EQ(3, lnbSourceFor(withPort, SwitchByLnbSource));

    const BdaTuneValues withoutPort = bdaTuneValuesFor(tuningFromProgram(11720, 1, 0));
    EXPECT_EQ(NoSwitchAsked, switchRouteAfter(withoutPort.switchPort, NoSwitchAsked, SwitchMeans{}));
    EXPECT_EQ(bdaLnbSourceNotSet, lnbSourceFor(withoutPort, NoSwitchAsked));
}

// A known maker's tuner whose filter answers for the maker's set is
// switched through it before IBDA_DiseqCommand; a refusal falls back to the
// command, then the LNB source, as for any tuner.
TEST(BdaTuning, AMakersOwnSetComesBeforeTheCommand)
{
    const int port = bdaTuneValuesFor(tuningFromProgram(12245, 0, 6)).switchPort;
    const SwitchMeans all = meansOf(true, true, true, true);
    EXPECT_EQ(SwitchByMaker, switchRouteAfter(port, NoSwitchAsked, all));
    EXPECT_EQ(SwitchByCommand, switchRouteAfter(port, SwitchByMaker, all));
    EXPECT_EQ(SwitchBySpaceRange, switchRouteAfter(port, SwitchByMaker, meansOf(true, false, false, true)));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(port, SwitchByMaker, meansOf(true, false, false, false)));
}

// bdacard.ini's "switch=" leaves one way open, and only where the tuner offers it.
TEST(BdaTuning, TheSettingsForceOneRoute)
{
    const int port = bdaTuneValuesFor(tuningFromProgram(12245, 0, 5)).switchPort;
    const SwitchMeans all = meansOf(true, true, true, true);
    EXPECT_EQ(SwitchByCommand, switchRouteAfter(port, NoSwitchAsked, all, SwitchOnlyCommand));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(port, SwitchByCommand, all, SwitchOnlyCommand));
    EXPECT_EQ(SwitchByMaker, switchRouteAfter(port, NoSwitchAsked, all, SwitchOnlyMaker));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(port, SwitchByMaker, all, SwitchOnlyMaker));
    EXPECT_EQ(SwitchByLnbSource, switchRouteAfter(port, NoSwitchAsked, all, SwitchOnlyLnbSource));
    EXPECT_EQ(SwitchBySpaceRange, switchRouteAfter(port, NoSwitchAsked, all, SwitchOnlyRange));
    EXPECT_EQ(SwitchByRangeProperty, switchRouteAfter(port, SwitchBySpaceRange, all, SwitchOnlyRange));
    EXPECT_EQ(SwitchUnreachable, switchRouteAfter(port, SwitchByRangeProperty, all, SwitchOnlyRange));
    EXPECT_EQ(SwitchUnreachable,
              switchRouteAfter(port, NoSwitchAsked, meansOf(false, true, true, true), SwitchOnlyMaker));
    EXPECT_EQ(NoSwitchAsked, switchRouteAfter(noSwitchPort, NoSwitchAsked, all, SwitchOnlyMaker));
}

static std::string lineOf(const std::string& card, SwitchRoute served, BdaMaker maker)
{
    BdaCardFacts facts;
    facts.served = served;
    facts.maker = maker;
    return bdaCardLine(card, facts);
}

// The phone page and its window say which way the latest start reached the
// port or the single-cable device, or why single cable was refused.
TEST(BdaTuning, TheCardLineNamesTheRouteThatServed)
{
    EXPECT_EQ("BDA tuner", lineOf("BDA tuner", NoSwitchAsked, NoMaker));
    EXPECT_EQ("BDA tuner X; switch: TurboSight's property set", lineOf("BDA tuner X", SwitchByMaker, MakerTurboSight));
    EXPECT_EQ("BDA tuner; switch: Conexant's property set", lineOf("BDA tuner", SwitchByMaker, MakerConexant));
    EXPECT_EQ("BDA tuner; switch: DiSEqC command", lineOf("BDA tuner", SwitchByCommand, MakerConexant));
    EXPECT_EQ("BDA tuner; switch: LNB source", lineOf("BDA tuner", SwitchByLnbSource, NoMaker));
    EXPECT_EQ("BDA tuner; switch: input range", lineOf("BDA tuner", SwitchBySpaceRange, NoMaker));
    EXPECT_EQ("BDA tuner; switch: RF tuner's range", lineOf("BDA tuner", SwitchByRangeProperty, NoMaker));

    BdaCardFacts facts;
    facts.served = SwitchByMaker;
    facts.maker = MakerTurboSight;
    facts.singleCable = true;
    EXPECT_EQ("BDA tuner; single cable by TurboSight's property set", bdaCardLine("BDA tuner", facts));
    // A set forced on a tuner whose name fits another maker.
    facts.singleCable = false;
    facts.otherMaker = "Prof";
    EXPECT_EQ("BDA tuner Prof 7500; switch: TurboSight's property set; the tuner's name fits Prof, not TurboSight",
              bdaCardLine("BDA tuner Prof 7500", facts));
    facts.served = SwitchByCommand;
    EXPECT_EQ("BDA tuner; switch: DiSEqC command", bdaCardLine("BDA tuner", facts));
    // A refusal says why, whatever served before.
    facts.refusal = "user band 9 is not 1-8 for EN 50494";
    EXPECT_EQ("BDA tuner; single cable refused: user band 9 is not 1-8 for EN 50494", bdaCardLine("BDA tuner", facts));
}

// "A" and "B" add the tone burst of a simple switch; the input range counts the ports from 1.
TEST(BdaTuning, EachPortHasItsToneBurstAndInputRange)
{
    const ToneBurst bursts[] = {NoToneBurst, ToneBurstA,  ToneBurstB, NoToneBurst,
                                NoToneBurst, NoToneBurst, NoToneBurst};
    const int32_t ranges[] = {bdaRangeNotSet, 1, 2, 1, 2, 3, 4};
    for (int32_t code = 0; code <= 6; ++code) {
        const BdaTuneValues values = bdaTuneValuesFor(tuningFromProgram(11720, 1, code));
        EXPECT_EQ(bursts[code], values.toneBurst) << code;
        EXPECT_EQ(ranges[code], values.inputRange) << code;
    }
}

// The tune that powers the LNB for the command goes out without the tone,
// on the same oscillator and so the same intermediate frequency.
TEST(BdaTuning, ATuneWithoutToneKeepsTheIntermediateFrequency)
{
    for (int32_t f : {10700, 11699, 11700, 12750, 3400, 4200}) {
        const BdaTuneValues values = bdaTuneValuesFor(tuningFromProgram(f, 0, 5));
        const LnbOscillators quiet = lnbWithoutTone(values);
        EXPECT_LT(values.carrierKHz, quiet.switchKHz) << f;
        EXPECT_EQ(oscillatorForCarrierKHz(values.lnb, values.carrierKHz),
                  oscillatorForCarrierKHz(quiet, values.carrierKHz))
            << f;
        if (values.carrierKHz < values.lnb.switchKHz) EXPECT_EQ(values.lnb, quiet) << f;
    }
    BdaTuneValues top = bdaTuneValuesFor(tuningFromProgram(12245, 0, 5));
    top.carrierKHz = INT32_MAX;
    EXPECT_EQ(INT32_MAX, lnbWithoutTone(top).switchKHz);
}

TEST(BdaTuning, ValuesNoProgramSendsStayWithinRange)
{
    CardTuning odd;
    odd.lnbFrequencyMHz = 3000000;  // would overflow as kHz
    odd.frequencyMHz = -5;
    const BdaTuneValues values = bdaTuneValuesFor(odd);
    EXPECT_EQ(INT32_MAX, values.lnb.lowKHz);
    EXPECT_EQ(values.lnb.lowKHz, values.lnb.highKHz);
    EXPECT_EQ(0, values.carrierKHz);
}
