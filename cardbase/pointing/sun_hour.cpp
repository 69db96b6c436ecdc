#include "cardbase/pointing/sun_hour.h"

#include <cmath>

// The sun's azimuth against the wanted one, -180 .. 180.
static double offsetAt(const DishSite& site, double azimuthDeg, int64_t atMs)
{
    return azimuthDifferenceDeg(sunDirection(site, atMs).azimuthDeg, azimuthDeg);
}

std::vector<SunCrossing> sunAtAzimuth(const DishSite& site, double azimuthDeg, int64_t fromMs, int64_t toMs)
{
    std::vector<SunCrossing> crossings;
    int64_t before = fromMs;
    double offsetBefore = offsetAt(site, azimuthDeg, before);
    while (before < toMs) {
        const int64_t after = before + sunSearchStepMs < toMs ? before + sunSearchStepMs : toMs;
        const double offsetAfter = offsetAt(site, azimuthDeg, after);
        // A change of sign across the wanted azimuth, not across the one
        // opposite it (where the offset jumps between +180 and -180).
        const bool across = (offsetBefore < 0) != (offsetAfter < 0) && offsetAfter != 0 &&
                            std::fabs(offsetBefore) + std::fabs(offsetAfter) < 180.0;
        if (across || offsetBefore == 0) {
            int64_t low = before, high = after;
            double offsetLow = offsetBefore;
            while (high - low > sunCrossingPrecisionMs && offsetLow != 0) {
                const int64_t middle = low + (high - low) / 2;
                const double offsetMiddle = offsetAt(site, azimuthDeg, middle);
                if ((offsetMiddle < 0) == (offsetLow < 0) && offsetMiddle != 0) {
                    low = middle;
                    offsetLow = offsetMiddle;
                } else {
                    high = middle;
                }
            }
            const int64_t at = offsetLow == 0 ? low : low + (high - low) / 2;
            const double elevation = sunDirection(site, at).elevationDeg;
            if (elevation > 0) crossings.push_back(SunCrossing{at, elevation});
        }
        before = after;
        offsetBefore = offsetAfter;
    }
    return crossings;
}
