// How a frequency tunes the card: the six calls and the LNB they choose.
#include <gtest/gtest.h>

#include "tuner/tuning_plan.h"

namespace {
struct Tuned {
    int32_t selection, lnb;
};

static Tuned tuneAt(int32_t frequency)
{
    TuningParameters tuning;
    tuning.frequencyMHz = frequency;
    TuningStep steps[tuningStepCount];
    planTuning(tuning, steps);
    return {steps[0].argument, steps[1].argument};
}
}  // namespace

TEST(TuningPlan, BandEdgesChooseTheLnb)
{
    EXPECT_EQ(0, tuneAt(11699).selection);
    EXPECT_EQ(9750, tuneAt(11699).lnb);
    EXPECT_EQ(1, tuneAt(11700).selection);
    EXPECT_EQ(10600, tuneAt(11700).lnb);
    EXPECT_EQ(0, tuneAt(4200).selection);
    EXPECT_EQ(5150, tuneAt(4200).lnb);
    EXPECT_EQ(0, tuneAt(4201).selection);
    EXPECT_EQ(9750, tuneAt(4201).lnb);
    EXPECT_EQ(5150, tuneAt(3400).lnb);
}

TEST(TuningPlan, SixCallsInOrderWithTheDownlinkFrequencyItself)
{
    TuningParameters tuning;
    tuning.frequencyMHz = 3400;
    tuning.symbolRate = 4167;
    tuning.polarization = 3;
    tuning.diseqcCode = 6;
    TuningStep steps[tuningStepCount];
    planTuning(tuning, steps);
    const TunerCall order[] = {CallLnbSelection, CallLnbFrequency,         CallPolarity,
                               CallSymbolRate,   CallTransponderFrequency, CallDiseqc};
    const int32_t arguments[] = {0, 5150, 3, 4167, 3400, 6};
    for (int i = 0; i < tuningStepCount; ++i) {
        EXPECT_EQ(order[i], steps[i].call);
        EXPECT_EQ(arguments[i], steps[i].argument);
    }
    EXPECT_STREQ("Set polarity failed", steps[2].failureMessage);
    EXPECT_STREQ("Set DiSEqC failed", steps[5].failureMessage);
}
