// Whether the LNB's turn (the skew) can be judged on a transponder. A turned
// LNB lets the other polarization in, −20·log10(tan ε) below it: 29 dB at
// 2°, under the noise of any ordinary C/N, unless a transponder of the other
// polarization shares the wanted one's frequency, where its leakage lowers
// the wanted C/N by power sum (about 0.8 dB at 5° off for 14 dB C/N). From
// the network's own list of its transponders. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/network/network_watch.h"

// Transponders this close in frequency share it.
constexpr int32_t coFrequencyWithinMHz = 3;

enum SkewChanceKind : uint8_t {
    SkewNotYet,     // the network's list is still being read
    SkewNoList,     // this card does not read the network's list
    SkewNoNetwork,  // locked, and no network table came
    SkewCircular,   // the transponder is not H or V (a circular polarization has no skew)
    SkewHere,       // a transponder of the other polarization shares the tuned frequency
    SkewElsewhere,  // not here, but on another transponder of the satellite
    SkewNowhere,    // no transponders of both polarizations share a frequency on this satellite
};

struct SkewChance {
    SkewChanceKind kind = SkewNotYet;
    // SkewHere: the other polarization's transponder; SkewElsewhere: the
    // transponder to tune.
    int32_t frequencyMHz = 0;
    int32_t polarization = 0;  // 0 horizontal, 1 vertical
};

// For the transponder tuned (downlink MHz, polarization as the program sends
// it: 0 H, 1 V, 3 none), from what the card knows of the network now.
SkewChance judgeSkewChance(const NetworkReport& network, int32_t frequencyMHz, int32_t polarization);
