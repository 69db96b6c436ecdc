// What the six calls the program sends ask of a real frontend: the calls
// come from the program's own tuning plan, so the two cannot drift apart.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "cardbase/frontend_plan.h"
#include "tuner/tuning_plan.h"

// The card's side of one measurement start, fed by the program's plan.
static FrontendPlan planFromProgram(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, int32_t diseqcCode,
                                    bool* completed = nullptr)
{
    TuningParameters parameters;
    parameters.frequencyMHz = frequencyMHz;
    parameters.polarization = polarization;
    parameters.symbolRate = symbolRate;
    parameters.diseqcCode = diseqcCode;
    TuningStep steps[tuningStepCount];
    planTuning(parameters, steps);

    const CardSetCall callOf[] = {SetLnbSelectionCall, SetLnbFrequencyCall,         SetPolarityCall,
                                  SetSymbolRateCall,   SetTransponderFrequencyCall, SetDiseqcCall};
    CardTuning tuning;
    bool complete = false;
    for (const TuningStep& step : steps) {
        EXPECT_FALSE(complete) << "the set completed before its last call";
        complete = recordSetCall(tuning, callOf[step.call], step.argument);
    }
    if (completed) *completed = complete;
    return frontendPlanFor(tuning);
}

static std::string hex(const uint8_t bytes[4])
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

TEST(FrontendPlan, EveryBandEdgeGivesItsIntermediateFrequencyAndTone)
{
    struct Case {
        int32_t frequencyMHz;
        uint32_t intermediateKHz;
        bool toneOn;
    };
    const Case cases[] = {
        {11699, 1949000, false},  // low band, 9750 below
        {11700, 1100000, true},   // high band, 10600 below, tone on
        {10700, 950000, false},   // the Ku band's lowest
        {15000, 4400000, true},   // its highest
        {4200, 950000, false},    // C band: 5150 above the downlink
        {3400, 1750000, false},
        {4201, 5549000, false},  // a typed 4201 goes to the low Ku oscillator, as the program tunes it
        {3399, 1751000, false},
    };
    for (const Case& c : cases) {
        bool completed = false;
        const FrontendPlan plan = planFromProgram(c.frequencyMHz, 0, 27500, 0, &completed);
        EXPECT_TRUE(completed) << c.frequencyMHz;
        EXPECT_EQ(c.intermediateKHz, plan.intermediateKHz) << c.frequencyMHz;
        EXPECT_EQ(c.toneOn, plan.toneOn) << c.frequencyMHz;
        EXPECT_EQ(27500000u, plan.symbolsPerSecond) << c.frequencyMHz;
        EXPECT_EQ(noSwitchPort, plan.switchPort) << c.frequencyMHz;
    }
}

TEST(FrontendPlan, PolarizationPicksTheSupplyVoltage)
{
    EXPECT_EQ(Voltage18, planFromProgram(12245, 0, 27500, 0).voltage);
    EXPECT_EQ(Voltage13, planFromProgram(12245, 1, 27500, 0).voltage);
    // A catalogue line without H or V still powers the LNB, at 13 V.
    const FrontendPlan noLetter = planFromProgram(12245, 3, 27500, 0);
    EXPECT_EQ(Voltage13, noLetter.voltage);
    EXPECT_FALSE(noLetter.horizontal);
}

TEST(FrontendPlan, EveryDiseqcCodeSelectsItsPortWithPolarizationAndBandBits)
{
    // Data byte for vertical low, vertical high, horizontal low, horizontal high.
    struct Case {
        int32_t code;
        int port;
        const char* commands[4];
    };
    const Case cases[] = {
        {1, 0, {"E0 10 38 F0", "E0 10 38 F1", "E0 10 38 F2", "E0 10 38 F3"}},  // "A" = AA
        {2, 1, {"E0 10 38 F4", "E0 10 38 F5", "E0 10 38 F6", "E0 10 38 F7"}},  // "B" = BA
        {3, 0, {"E0 10 38 F0", "E0 10 38 F1", "E0 10 38 F2", "E0 10 38 F3"}},  // "AA"
        {4, 1, {"E0 10 38 F4", "E0 10 38 F5", "E0 10 38 F6", "E0 10 38 F7"}},  // "BA"
        {5, 2, {"E0 10 38 F8", "E0 10 38 F9", "E0 10 38 FA", "E0 10 38 FB"}},  // "AB"
        {6, 3, {"E0 10 38 FC", "E0 10 38 FD", "E0 10 38 FE", "E0 10 38 FF"}},  // "BB"
    };
    for (const Case& c : cases) {
        int i = 0;
        for (int32_t polarization : {1, 0}) {
            for (int32_t frequency : {11344, 12245}) {
                const FrontendPlan plan = planFromProgram(frequency, polarization, 27500, c.code);
                EXPECT_EQ(c.port, plan.switchPort) << c.code;
                EXPECT_EQ(c.commands[i], hex(plan.diseqc))
                    << "code " << c.code << " at " << frequency << " pol " << polarization;
                ++i;
            }
        }
    }
    EXPECT_EQ(noSwitchPort, planFromProgram(12245, 0, 27500, 0).switchPort);
    EXPECT_EQ(noSwitchPort, switchPortFor(7));
    EXPECT_EQ(noSwitchPort, switchPortFor(-1));
    // Only the single letters "A" and "B" speak to a simple tone-burst switch as well.
    const ToneBurst bursts[] = {NoToneBurst, ToneBurstA,  ToneBurstB, NoToneBurst,
                                NoToneBurst, NoToneBurst, NoToneBurst};
    for (int32_t code = 0; code <= 6; ++code)
        EXPECT_EQ(bursts[code], planFromProgram(12245, 0, 27500, code).toneBurst) << code;
}

TEST(FrontendPlan, ASetCompletesOnlyWhenAllSixHaveArrived)
{
    CardTuning tuning;
    EXPECT_FALSE(recordSetCall(tuning, SetDiseqcCall, 5));
    EXPECT_FALSE(recordSetCall(tuning, SetDiseqcCall, 6));  // a repeat does not count twice
    EXPECT_FALSE(recordSetCall(tuning, SetLnbSelectionCall, 1));
    EXPECT_FALSE(recordSetCall(tuning, SetLnbFrequencyCall, 10600));
    EXPECT_FALSE(recordSetCall(tuning, SetPolarityCall, 0));
    EXPECT_FALSE(recordSetCall(tuning, SetSymbolRateCall, 27500));
    EXPECT_FALSE(tuning.tuned);
    EXPECT_TRUE(recordSetCall(tuning, SetTransponderFrequencyCall, 12245));
    EXPECT_TRUE(tuning.tuned);
    EXPECT_EQ(6, tuning.diseqcCode);
    // The next start begins a new set.
    EXPECT_FALSE(recordSetCall(tuning, SetTransponderFrequencyCall, 11344));
}

TEST(FrontendPlan, ValuesNoFrontendTakesStayInRange)
{
    CardTuning tuning;
    tuning.frequencyMHz = INT32_MIN;
    tuning.lnbFrequencyMHz = INT32_MAX;
    tuning.symbolRate = -5;
    const FrontendPlan plan = frontendPlanFor(tuning);
    EXPECT_EQ(UINT32_MAX, plan.intermediateKHz);
    EXPECT_EQ(0u, plan.symbolsPerSecond);
}
