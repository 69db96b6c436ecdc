#include "cardbase/card_tuning.h"

bool recordSetCall(CardTuning& tuning, CardSetCall call, int32_t value)
{
    switch (call) {
    case SetLnbSelectionCall: tuning.lnbSelection = value; break;
    case SetLnbFrequencyCall: tuning.lnbFrequencyMHz = value; break;
    case SetPolarityCall: tuning.polarization = value; break;
    case SetSymbolRateCall: tuning.symbolRate = value; break;
    case SetTransponderFrequencyCall:
        tuning.frequencyMHz = value;
        tuning.tuned = true;
        break;
    case SetDiseqcCall: tuning.diseqcCode = value; break;
    default: return false;
    }
    constexpr uint8_t allCalls = (1u << cardSetCallCount) - 1;
    tuning.received = static_cast<uint8_t>(tuning.received | (1u << call));
    if (tuning.received != allCalls) return false;
    tuning.received = 0;
    return true;
}
