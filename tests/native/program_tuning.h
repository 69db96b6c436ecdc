// A transponder as the program tunes it: the band and the local oscillator
// by the program's own rule (tuner/lnb_rules.h), 27500 kS/s unless said.
#pragma once
#include <cstdint>

#include "cardbase/card_tuning.h"
#include "tuner/lnb_rules.h"

inline CardTuning programTuning(int32_t frequencyMHz, int32_t polarization, int32_t diseqcCode = 0,
                                int32_t symbolRate = 27500)
{
    CardTuning tuning;
    tuning.frequencyMHz = frequencyMHz;
    tuning.lnbSelection = lnbSelectionFor(frequencyMHz);
    tuning.lnbFrequencyMHz = lnbFrequencyFor(frequencyMHz);
    tuning.polarization = polarization;
    tuning.symbolRate = symbolRate;
    tuning.diseqcCode = diseqcCode;
    return tuning;
}
