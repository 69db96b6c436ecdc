#include "sim/dish/dish_sweep.h"

#include <cmath>

#include "sim/dish/dish_level.h"
#include "sim/dish/dish_network.h"
#include "tuner/lnb_rules.h"

// The downlink that reaches the tuner at an intermediate frequency through
// the practice dish's combined feed: C band from its 5150 MHz oscillator,
// Ku band from 9750 MHz, or 10600 MHz with the tone (where the tone reaches
// the LNB).
static int32_t receivedMHz(const DishModel& model, const SweepPlan& plan, int32_t intermediateMHz)
{
    if (plan.oscillatorAbove) return cBandLnbMHz - intermediateMHz;
    return intermediateMHz + (plan.toneOn && !model.toneLost ? highBandLnbMHz : lowBandLnbMHz);
}

// Horizontal needs 18 V at the LNB.
static int32_t receivedPolarization(const DishModel& model, const SweepPlan& plan)
{
    return plan.request.polarization == 0 && !model.eighteenLost ? 0 : 1;
}

// Each step's measure errs a little, as the tuner's does.
static double stepWanderDb(uint32_t step)
{
    uint32_t h = step * 0x85EBCA6Bu + 0x27D4EB2Fu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return levelWanderDb * ((static_cast<int>(h % 2001) - 1000) / 1000.0);
}

static double stepLevelDbm(const DishModel& model, const SweepPlan& plan, int32_t downlinkMHz, uint32_t nowMs)
{
    const double width = channelWidthMHz(plan.symbolRate);
    if (!(model.lnbPorts & diseqcPortBit(plan.request.diseqcCode)))
        return tunerNoiseDbmPerMHz + 10.0 * std::log10(width);
    const int32_t received = receivedMHz(model, plan, intermediateMHzOf(plan, downlinkMHz));
    if (!lnbCovers(received)) return channelNoiseDbm(received, width);
    return channelPowerDbm(model, received, width, receivedPolarization(model, plan), nowMs);
}

// A tuning of the peak at one symbol rate, as the program would send it.
static void tryPeak(const DishModel& model, const SweepPlan& plan, SweepPeak& peak, uint32_t nowMs)
{
    peak.tried = true;
    // Tuned as the program would tune it: a fault then plays as it does for a start.
    const int32_t intermediate = intermediateMHzOf(plan, peak.frequencyMHz);
    const int32_t received = plan.oscillatorAbove ? cBandLnbMHz - intermediate
                                                  : intermediate + (plan.toneOn ? highBandLnbMHz : lowBandLnbMHz);
    for (int32_t rate : symbolRatesToTry(peak)) {
        DishModel trial = model;
        trial.cable = DishCable();  // the sweep's levels see the LNB straight, and so do its tries
        recordTuning(trial, SetLnbSelectionCall, lnbSelectionFor(received));
        recordTuning(trial, SetLnbFrequencyCall, lnbFrequencyFor(received));
        recordTuning(trial, SetPolarityCall, plan.request.polarization);
        recordTuning(trial, SetSymbolRateCall, rate);
        recordTuning(trial, SetTransponderFrequencyCall, received);
        recordTuning(trial, SetDiseqcCall, plan.request.diseqcCode);
        const DishSignal signal = dishSignal(trial, nowMs);
        if (signal.verdict != Locked) continue;
        const Satellite& satellite = model.sky[static_cast<size_t>(signal.satellite)];
        peak.locked = true;
        peak.symbolRate = rate;
        peak.hasModcod = true;
        peak.modcod = satellite.transponders[static_cast<size_t>(signal.transponder)].modcod;
        peak.network = satelliteNetwork(satellite);
        return;
    }
}

SweepResult sweepDish(const DishModel& model, const SweepPlan& plan, uint32_t nowMs)
{
    SweepResult result;
    result.unit = LevelDbm;
    uint32_t step = 0;
    for (int32_t frequency : plan.frequenciesMHz) {
        const double level = stepLevelDbm(model, plan, frequency, nowMs) + stepWanderDb(step++);
        result.points.push_back(SweepPoint{frequency, true, std::round(level * 100.0) / 100.0});
    }
    findSweepPeaks(result);
    if (plan.request.tryPeaks)
        for (SweepPeak& peak : result.peaks) tryPeak(model, plan, peak, nowMs);
    return result;
}
