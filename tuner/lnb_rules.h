// How a downlink frequency chooses the LNB band and local oscillator.
#pragma once
#include <cstdint>

constexpr int32_t fecCode = 6;
constexpr int32_t highBandLnbMHz = 10600;
constexpr int32_t lowBandLnbMHz = 9750;
constexpr int32_t cBandLnbMHz = 5150;

// 1 selects the high band (from 11700 MHz), 0 the low band.
inline int32_t lnbSelectionFor(int32_t frequencyMHz) { return frequencyMHz > 11699 ? 1 : 0; }

inline int32_t lnbFrequencyFor(int32_t frequencyMHz)
{
    if (frequencyMHz > 11699) return highBandLnbMHz;
    if (frequencyMHz < 4201) return cBandLnbMHz;
    return lowBandLnbMHz;
}
