#include "sim/dish/dish_sweep.h"

#include <cmath>

#include "cardbase/reading_pace.h"
#include "cardbase/sweep/sweep_run.h"
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

// Each step's measure errs a little, as the tuner's does: the same for the same step.
static double stepWanderDb(int32_t frequencyMHz)
{
    uint32_t h = static_cast<uint32_t>(frequencyMHz) * 0x85EBCA6Bu + 0x27D4EB2Fu;
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

// A tuning of a peak at one symbol rate, as the program would send it:
// a fault then plays as it does for a start.
static DishModel trialOf(const DishModel& model, const SweepPlan& plan, int32_t frequencyMHz, int32_t rate)
{
    const int32_t intermediate = intermediateMHzOf(plan, frequencyMHz);
    const int32_t received = plan.oscillatorAbove ? cBandLnbMHz - intermediate
                                                  : intermediate + (plan.toneOn ? highBandLnbMHz : lowBandLnbMHz);
    DishModel trial = model;
    trial.cable = DishCable();  // the sweep's levels see the LNB straight, and so do its tries
    recordTuning(trial, SetLnbSelectionCall, lnbSelectionFor(received));
    recordTuning(trial, SetLnbFrequencyCall, lnbFrequencyFor(received));
    recordTuning(trial, SetPolarityCall, plan.request.polarization);
    recordTuning(trial, SetSymbolRateCall, rate);
    recordTuning(trial, SetTransponderFrequencyCall, received);
    recordTuning(trial, SetDiseqcCall, plan.request.diseqcCode);
    return trial;
}

SweepResult sweepDish(const DishModel& model, const SweepPlan& plan, uint32_t nowMs)
{
    // The practice dish answers at once: the loop's time is its own.
    uint64_t clock = nowMs;
    DishModel trial = model;
    SweepCard card;
    card.begin = [](std::string*) { return SweepCallOk; };
    card.measure = [&](int32_t frequency, SignalLevel* level, std::string*) {
        level->state = LevelLive;
        level->unit = LevelDbm;
        level->value =
            std::round((stepLevelDbm(model, plan, frequency, nowMs) + stepWanderDb(frequency)) * 100.0) / 100.0;
        return SweepCallOk;
    };
    card.tune = [&](int32_t frequency, int32_t rate, uint32_t* lockWaitMs) {
        trial = trialOf(model, plan, frequency, rate);
        *lockWaitMs = readingIntervalMs;
        return SweepCallOk;
    };
    card.read = [&](TryReading* reading) {
        const DishSignal signal = dishSignal(trial, nowMs);
        *reading = TryReading();
        if (signal.verdict != Locked) return SweepCallOk;
        const Satellite& satellite = model.sky[static_cast<size_t>(signal.satellite)];
        reading->locked = reading->settled = reading->hasModcod = true;
        reading->modcod = satellite.transponders[static_cast<size_t>(signal.transponder)].modcod;
        reading->network = satelliteNetwork(satellite);
        return SweepCallOk;
    };
    card.pause = [&](uint32_t ms) {
        clock += ms;
        return true;
    };
    card.interrupted = [] { return false; };
    card.report = [](const SweepStatus&) { return true; };
    card.nowMs = [&] { return clock; };
    return runSweepLoop(plan, card).result;
}
