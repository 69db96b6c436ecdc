#include "cardbase/sky/motor_sky.h"

#include <cmath>

#include "cardbase/sky/link_budget.h"

// The tuned channel's power reaches the tuner through the LNB's gain less
// the cable's loss, as the practice dish has it.
static const double lnbGainDb = 50.0;

MotorSky newMotorSky(const DishSite& site, double diameterM, const MotorMountSetup& setup, std::vector<Satellite> sky,
                     uint32_t nowMs)
{
    MotorSky dish;
    dish.site = site;
    dish.diameterM = diameterM;
    dish.sky = std::move(sky);
    resetMotorMount(dish.mount, setup, site.latitudeDeg < 0.0, nowMs);
    return dish;
}

void motorSkyTune(MotorSky& dish, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate)
{
    dish.tuned = true;
    dish.frequencyMHz = frequencyMHz;
    dish.polarization = polarization;
    dish.symbolRate = symbolRate;
    dish.locked = false;
}

double clearSkyCarrierToNoiseDb(const MotorSky& dish, int satellite, int transponder)
{
    const Satellite& seen = dish.sky[static_cast<size_t>(satellite)];
    const LookAngles angles = lookAngles(dish.site, seen.longitudeDeg);
    return carrierToNoiseDb(
        linkPathTo(seen.transponders[static_cast<size_t>(transponder)], angles, angles.direction, dish.diameterM));
}

// The demodulator's estimate wanders by up to 0.1 dB, four times a second.
static double estimateNoiseDb(uint32_t nowMs)
{
    uint32_t h = (nowMs / 250) * 0x9E3779B1u + 0x5BD1E995u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return (static_cast<int>(h % 201) - 100) / 1000.0;
}

MotorSkyReading readMotorSky(MotorSky& dish, uint32_t nowMs)
{
    MotorSkyReading reading;
    if (!dish.tuned) return reading;
    const DishPointing pointing = motorMountPointing(dish.mount, dish.site, nowMs);
    const double noiseDbw = noisePowerDbw(dish.frequencyMHz, dish.symbolRate / 1000.0);
    reading.levelDbm = noiseDbw + 30.0 + lnbGainDb;

    // Of the visible satellites that carry the transponder, the one nearest the axis.
    double nearest = 0.0;
    int transponder = -1;
    for (size_t i = 0; i < dish.sky.size(); ++i) {
        const int found = findTransponder(dish.sky[i], dish.frequencyMHz, dish.polarization, dish.symbolRate);
        const LookAngles angles = lookAngles(dish.site, dish.sky[i].longitudeDeg);
        if (found < 0 || angles.direction.elevationDeg <= 0.0) continue;
        const double off = pointingErrorDeg(pointing, angles.direction);
        if (reading.satellite >= 0 && off >= nearest) continue;
        reading.satellite = static_cast<int>(i);
        transponder = found;
        nearest = off;
    }
    if (reading.satellite < 0) {
        dish.locked = false;
        return reading;
    }
    const Satellite& satellite = dish.sky[static_cast<size_t>(reading.satellite)];
    const Transponder& carrier = satellite.transponders[static_cast<size_t>(transponder)];
    const LinkPath path = linkPathTo(carrier, lookAngles(dish.site, satellite.longitudeDeg), pointing, dish.diameterM);
    const double fade = scintillationDb(nowMs, satellite.longitudeDeg);
    const double carrierDbw = carrierPowerDbw(path) + fade;
    reading.levelDbm =
        10.0 * std::log10(std::pow(10.0, carrierDbw / 10.0) + std::pow(10.0, noiseDbw / 10.0)) + 30.0 + lnbGainDb;
    const double cn = carrierDbw - noiseDbw;
    dish.locked = stillLocked(dish.locked, cn, lockThresholdDb(carrier.modcod));
    reading.locked = dish.locked;
    if (!reading.locked) return reading;
    reading.carrierToNoiseDb = cn + estimateNoiseDb(nowMs);
    reading.networkKnown = true;
    reading.networkLongitudeDeg = satellite.longitudeDeg;
    return reading;
}
