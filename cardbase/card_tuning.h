// What a card substitute receives from the program at each start: the six
// set calls, each with one value, issued in a fixed order. A card tunes
// once all six have arrived. Platform-neutral.
#pragma once
#include <cstdint>

enum CardSetCall : uint8_t {
    SetLnbSelectionCall,
    SetLnbFrequencyCall,
    SetPolarityCall,
    SetSymbolRateCall,
    SetTransponderFrequencyCall,
    SetDiseqcCall,
};
constexpr int cardSetCallCount = 6;

struct CardTuning {
    int32_t lnbSelection = 0;     // 1 high band, 0 low band
    int32_t lnbFrequencyMHz = 0;  // local oscillator: 9750, 10600 or 5150
    int32_t polarization = 0;     // 0 horizontal, 1 vertical, 3 no letter
    int32_t symbolRate = 0;       // kS/s
    int32_t frequencyMHz = 0;     // downlink
    int32_t diseqcCode = 0;       // 0 none, 1 "A", 2 "B", 3 "AA", 4 "BA", 5 "AB", 6 "BB"
    uint8_t received = 0;         // one bit per call since the last complete set
    bool tuned = false;           // a transponder frequency has been set at least once
};

// Stores the value of one set call. True when this call completes a set
// (all six have arrived since the last complete one): the card tunes now.
bool recordSetCall(CardTuning& tuning, CardSetCall call, int32_t value);
