// The values a transponder may have, whether read from the catalogue or
// typed on the keypad (all bounds inclusive). Platform-neutral.
#pragma once
#include <cstdint>

struct ValueRange {
    int32_t low, high;
    constexpr bool holds(int32_t value) const { return value >= low && value <= high; }
};

constexpr ValueRange symbolRateRange{1000, 45000};  // kS/s
constexpr ValueRange kuBandRange{10700, 15000};     // MHz
constexpr ValueRange catalogueCBandRange{3400, 4200};
// A typed C band frequency is taken one MHz wider at each end than the catalogue allows.
constexpr ValueRange typedCBandRange{3399, 4201};
