// When the sun stands at a given azimuth: at that moment a dish turned to
// face the sun (its shadow straight behind it) points at that azimuth.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/pointing/sun_position.h"

struct SunCrossing {
    int64_t atMs;
    double elevationDeg;
    int32_t zoneMinutes = 0;  // the time zone's offset then, east of UTC, for its clock (see pointing_figures.h)
};

// How finely the day is looked at, and how closely a crossing is pinned down.
constexpr int64_t sunSearchStepMs = 2 * 60000;
constexpr int64_t sunCrossingPrecisionMs = 1000;

// The moments between `fromMs` and `toMs` at which the sun, above the
// horizon, passes the azimuth: none where it never gets there in daylight
// (high latitudes in winter, or an azimuth on the far side of the tropics'
// sun), two where it turns back through it (between the tropics, when the
// sun culminates on the far side of the zenith), in time order.
std::vector<SunCrossing> sunAtAzimuth(const DishSite& site, double azimuthDeg, int64_t fromMs, int64_t toMs);
