// The six calls that tune the card to one transponder, in the order they
// are issued, with the message shown when a call fails.
#pragma once
#include "app/app_types.h"

enum TunerCall : int {
    CallLnbSelection,
    CallLnbFrequency,
    CallPolarity,
    CallSymbolRate,
    CallTransponderFrequency,
    CallDiseqc,
};

struct TuningStep {
    TunerCall call;
    int32_t argument;
    const char* failureMessage;
};

constexpr int tuningStepCount = 6;

void planTuning(const TuningParameters& tuning, TuningStep steps[tuningStepCount]);
