// The arc check's work at each satellite: the motor sent to its USALS
// angle, then in sixteenths of a degree east and west along the arc to
// where its C/N (or, without a lock, its level) peaks, the peak's place
// from a parabola through the readings near it, and its C/N there read
// for a few seconds with the network's position. Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/motor/arc_check.h"

struct ArcScanner {
    const ArcOptions& options;
    const ArcCallbacks& callbacks;
    uint32_t* elapsedMs;
    bool motorKnown = false;  // the check has sent the motor somewhere
    double motorDeg = 0.0;
    std::vector<double> alongFound;  // where the satellites so far peaked
};

// The readings' pace, how long the motor and the demodulator are given
// after a move, and how long the C/N is read at the peak.
constexpr uint32_t arcReadingGapMs = 250;
constexpr uint32_t arcSettleMs = 200;
constexpr uint32_t arcLockWaitMs = 1000;
constexpr uint32_t arcDwellMs = 4000;
// The walk along the arc: three sixteenths a stride, at most 2.5° either
// way, on each side until the readings fall this far below the best (on a
// 2.4° beam about 0.8° from the peak: readings that wander by a tenth of a
// dB then still place it within a few hundredths of a degree).
constexpr int arcStride = 3;
constexpr int arcFarthestSixteenths = 40;
constexpr double arcFallDb = 1.5;

void scanArcPoint(ArcScanner& scanner, ArcPoint& point);
// Back to a satellite's peak, for the question there.
void turnToPeak(ArcScanner& scanner, const ArcPoint& point);
