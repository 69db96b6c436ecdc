// Pointing a dish "roughly" at a satellite, as someone does by eye and
// compass: a degree or two off in some direction, the rest left to find by
// ear. The draws come from a small seeded generator, so a run repeats.
// Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/pointing/look_angles.h"

struct AimDraws {
    uint32_t state;
};
AimDraws aimDrawsFrom(uint32_t seed);
// Uniform in [0, 1).
double nextDraw(AimDraws& draws);

constexpr double roughAimLeastDeg = 1.0;
constexpr double roughAimMostDeg = 2.0;

// A pointing `roughAimLeastDeg` .. `roughAimMostDeg` off `satellite` (the
// angle between the two), in a direction drawn at random; the skew is kept.
DishPointing roughlyAt(const DishPointing& satellite, double skewDeg, AimDraws& draws);
