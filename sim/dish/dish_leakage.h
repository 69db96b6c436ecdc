// What leaks into the wanted transponder's channel of the other
// polarization on the same satellite: a feed turned ε off the wanted
// polarization lets the other in −20·log10(tan ε) below the wanted, and the
// LNB's own discrimination (30 dB) adds to that by power sum, so that a
// transponder of the other polarization sharing the wanted one's frequency
// lowers its C/N by power sum with the noise (about 0.8 dB at 5° off for
// 14 dB C/N): where the skew can be judged by the C/N. Platform-neutral.
#pragma once

#include "cardbase/sky/link_budget.h"
#include "cardbase/sky/sky.h"

// The power of the other polarization's carriers of `satellite` within the
// noise bandwidth of `wanted` (its symbol rate about its frequency), as it
// reaches the LNB along `wantedPath` (dBW; -infinity where none overlaps).
double crossPolarLeakageDbw(const Satellite& satellite, const Transponder& wanted, const LinkPath& wantedPath);

// The carrier over the noise and the leakage together.
double carrierToNoiseWithLeakageDb(const LinkPath& path, double leakageDbw);
