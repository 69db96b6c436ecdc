#include "tuner/tuning_plan.h"

#include "tuner/lnb_rules.h"

void planTuning(const TuningParameters& tuning, TuningStep steps[tuningStepCount])
{
    const int32_t f = tuning.frequencyMHz;
    // The card is given the downlink frequency itself, not an intermediate one.
    steps[0] = {CallLnbSelection, lnbSelectionFor(f), "Set LNB selection failed"};
    steps[1] = {CallLnbFrequency, lnbFrequencyFor(f), "Set LNB frequency failed"};
    steps[2] = {CallPolarity, tuning.polarization, "Set polarity failed"};
    steps[3] = {CallSymbolRate, tuning.symbolRate, "Set symbol rate failed"};
    steps[4] = {CallTransponderFrequency, f, "Set transponder frequency failed"};
    steps[5] = {CallDiseqc, tuning.diseqcCode, "Set DiSEqC failed"};
}
