#include "sim/dish/dish_level.h"

#include <cmath>

#include "cardbase/sky/link_budget.h"

static double milliwattsOf(double dbm) { return std::pow(10.0, dbm / 10.0); }

double channelNoiseDbm(double centreMHz, double widthMHz)
{
    return noisePowerDbw(centreMHz, widthMHz) + 30.0 + lnbGainDb;
}

double channelPowerDbm(const DishModel& model, double centreMHz, double widthMHz, int32_t polarization, uint32_t nowMs)
{
    double milliwatts = milliwattsOf(channelNoiseDbm(centreMHz, widthMHz));
    const double low = centreMHz - widthMHz / 2.0, high = centreMHz + widthMHz / 2.0;
    const double reach = sideLobesEndDeg(centreMHz, model.diameterM);
    for (const Satellite& satellite : model.sky) {
        const LookAngles angles = lookAngles(model.site, satellite.longitudeDeg);
        if (angles.direction.elevationDeg <= 0.0) continue;
        const double off = pointingErrorDeg(model.pointing, angles.direction);
        if (off > reach) continue;
        const double fade = scintillationDb(nowMs, satellite.longitudeDeg);
        const double skewError = skewErrorDeg(model.pointing.skewDeg, angles.direction.skewDeg);
        for (const Transponder& t : satellite.transponders) {
            if (t.polarization != 0 && t.polarization != 1) continue;
            const double share =
                carrierShareWithin(low - t.frequencyMHz, high - t.frequencyMHz, t.symbolRate / 1000.0, rolloffOf(t));
            if (share <= 0.0) continue;
            const LinkPath path{static_cast<double>(t.frequencyMHz), t.symbolRate, t.eirpDbw, angles.rangeKm,
                                angles.direction.elevationDeg,       off,          skewError, model.diameterM};
            const double dbm = carrierPowerDbw(path, t.polarization != polarization) + fade + 30.0 + lnbGainDb;
            milliwatts += milliwattsOf(dbm) * share;
        }
    }
    return 10.0 * std::log10(milliwatts);
}

// What reaches the tuner for the tuning: an empty switch port (or a tune
// the card never sent) brings no LNB noise at all, a band the LNB does not
// pass or a single-cable device that puts nothing there brings the noise
// alone, and an installation fault the band or polarization the LNB really
// gives.
static double tunedPowerDbm(const DishModel& model, uint32_t nowMs)
{
    const CardTuning& tuning = model.tuning;
    const double width = channelWidthMHz(tuning.symbolRate);
    bool toneMissed = false, supplyMissed = false;
    CardTuning reached;
    switch (lnbReached(model, &reached, &toneMissed, &supplyMissed)) {
    case NoLnbOnPort:
    case ScrRefused: return tunerNoiseDbmPerMHz + 10.0 * std::log10(width);
    case WrongLnbBand:
    case NoScrAnswer:
    case ScrNotAsked: return channelNoiseDbm(tuning.frequencyMHz, width);
    default: break;
    }
    // Without a letter the LNB gets 13 V: the vertical polarization.
    const int32_t polarization = reached.polarization == 0 ? 0 : 1;
    return channelPowerDbm(model, reached.frequencyMHz, width, polarization, nowMs);
}

// Each measure's own small error, the same for the same moment.
static double wanderDb(uint32_t slot)
{
    uint32_t h = slot * 0x9E3779B1u + 0x632BE5ABu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return levelWanderDb * ((static_cast<int>(h % 2001) - 1000) / 1000.0);
}

SignalLevel readDishLevel(DishModel& model, uint32_t nowMs)
{
    SignalLevel level;
    if (!model.tuning.tuned) return level;
    const uint32_t slot = nowMs / model.refreshMs;
    if (!model.levelHeld || slot != model.levelSlot) {
        model.levelHeld = true;
        model.levelSlot = slot;
        model.levelMeasuredAtMs = nowMs;
        model.levelDbm = std::round((tunedPowerDbm(model, nowMs) + wanderDb(slot)) * 100.0) / 100.0;
    }
    level.state = LevelLive;
    level.unit = LevelDbm;
    level.value = model.levelDbm;
    level.ageMs = nowMs - model.levelMeasuredAtMs;
    level.refreshMs = model.refreshMs;
    const DishSignal signal = dishSignal(model, nowMs);
    const bool carrier = signal.verdict == TooWeak || signal.verdict == Locked;
    level.present = carrier && signal.carrierToNoiseDb >= carrierPresentDb ? 1 : 0;
    return level;
}
