#include "sim/dish/dish_leakage.h"

#include <cmath>

#include "cardbase/sweep/carrier_spectrum.h"

double crossPolarLeakageDbw(const Satellite& satellite, const Transponder& wanted, const LinkPath& wantedPath)
{
    const double halfWidthMHz = wanted.symbolRate / 2000.0;
    double watts = 0.0;
    for (const Transponder& other : satellite.transponders) {
        if ((other.polarization != 0 && other.polarization != 1) || other.polarization == wanted.polarization) continue;
        const double lowMHz = wanted.frequencyMHz - halfWidthMHz - other.frequencyMHz;
        const double share =
            carrierShareWithin(lowMHz, lowMHz + 2.0 * halfWidthMHz, other.symbolRate / 1000.0, rolloffOf(other));
        if (share <= 0.0) continue;
        LinkPath path = wantedPath;
        path.frequencyMHz = other.frequencyMHz;
        path.symbolRate = other.symbolRate;
        path.eirpDbw = other.eirpDbw;
        watts += std::pow(10.0, carrierPowerDbw(path, true) / 10.0) * share;
    }
    return watts > 0.0 ? 10.0 * std::log10(watts) : -INFINITY;
}

double carrierToNoiseWithLeakageDb(const LinkPath& path, double leakageDbw)
{
    const double noiseWatts = std::pow(10.0, noisePowerDbw(path.frequencyMHz, path.symbolRate / 1000.0) / 10.0);
    const double leakageWatts = std::isfinite(leakageDbw) ? std::pow(10.0, leakageDbw / 10.0) : 0.0;
    return carrierPowerDbw(path) - 10.0 * std::log10(noiseWatts + leakageWatts);
}
