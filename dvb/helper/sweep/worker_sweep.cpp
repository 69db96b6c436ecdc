// The frontend worker's sweep of a band, carried out through the one
// sweep-and-try loop (cardbase/sweep/sweep_run.h): the LNB's supply, tone
// and switch set once as a start sets them, then one bare tune a step (no
// switching, so no switching pace), the level read once the tuner has
// settled (and, for a tuner that measures only every few seconds, once it
// has measured again) by the driver's own decoding; with --try each peak
// tuned as a start would be. A command queued meanwhile (the program's own
// start) interrupts it.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cardbase/reading_pace.h"
#include "cardbase/sweep/sweep_run.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/tuned_report.h"

// A step's tuner settles at least this long before its level is read.
static constexpr uint32_t sweepSettleMs = 20;

FrontendWorker::Pending FrontendWorker::startSweep(const SweepPlan& plan, bool showUserBands)
{
    std::lock_guard<std::mutex> hold(mutex_);
    Command command{CommandSweep, CardTuning(), nullptr};
    command.sweep = plan;
    command.showUserBands = showUserBands;
    // Under way from now on, for whoever asks before the thread takes it up.
    sweep_ = sweepBegun(plan);
    return queue(command);
}

SweepStatus FrontendWorker::sweepStatus()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return sweep_;
}

void FrontendWorker::updateSweep(const SweepStatus& status)
{
    std::lock_guard<std::mutex> hold(mutex_);
    sweep_ = status;
}

bool FrontendWorker::commandWaiting()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return !commands_.empty() || quitting_;
}

// One step: a bare tune (through a single-cable device, its command first), the settling, the level by the driver's own
// decoding.
SweepCall FrontendWorker::sweepStep(const SweepPlan& plan, int32_t frequencyMHz, const FrontendAbilities& abilities,
                                    SignalLevel* level, std::string* reason)
{
    if (!tuneSweepStep(sweepStepTuning(plan, frequencyMHz, plan.symbolRate), abilities, reason)) return SweepCallFailed;
    const FrontendLevelTraits levels = frontendLevelTraitsFor(abilities.name);
    const uint32_t waitMs = std::max(sweepSettleMs, abilities.traits.tunerMs) +
                            (levels.source == LevelRefreshedEvery ? levels.refreshMs : 0);
    if (!pauseFor(waitMs)) return SweepCallInterrupted;
    RawFigures raw;
    if (!device_.readLevel(&raw)) {
        *reason = "the frontend does not answer";
        return SweepCallFailed;
    }
    // Each step is tuned as DVB-S: its scales are that system's.
    *level = strengthLevel(figureScalesFor(abilities.traits, false, abilities.scaleParameterSet).strength, raw);
    return SweepCallOk;
}

void FrontendWorker::carryOutSweep(const SweepPlan& plan, WorkerOutcome* outcome)
{
    tuned_ = false;
    restartNetworkReader(network_, device_);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_ = LatestReading();
        sweep_ = sweepBegun(plan);
    }
    const uint64_t began = monotonicMs();
    const auto fail = [&](const std::string& problem) {
        SweepStatus status = sweepBegun(plan);
        status.state = SweepFailed;
        status.problem = problem;
        updateSweep(status);
        log("sweep " + sweepTitle(plan) + " ended: " + problem);
        outcome->reason = problem;
    };
    if (!open_) return fail("frontend not open");
    const FrontendAbilities abilities = device_.abilities();
    const FrontendLevelTraits levels = frontendLevelTraitsFor(abilities.name);
    if (!levelBeforeLock(levels))
        return fail(abilities.name +
                    (levels.source == LevelNever ? " gives no level at all" : " gives no level until it locks") +
                    ": a sweep cannot see the band");
    SweepPlan swept = plan;
    if (plan.symbolRate * 1000u < abilities.lowestSymbolRate) swept.symbolRate = abilities.lowestSymbolRate / 1000;
    log("sweep " + sweepTitle(plan) + ": " + std::to_string(plan.frequenciesMHz.size()) + " steps");

    SweepCard card;
    card.begin = [&](std::string* problem) {
        if (runSteps(sweepStart(swept, abilities), outcome)) return SweepCallOk;
        *problem = outcome->reason;
        return SweepCallFailed;
    };
    card.measure = [&](int32_t frequency, SignalLevel* level, std::string* problem) {
        return sweepStep(swept, frequency, abilities, level, problem);
    };
    card.tune = [&](int32_t frequency, int32_t rate, uint32_t* lockWaitMs) {
        WorkerOutcome tuned;
        carryOutTune(sweepStepTuning(swept, frequency, rate), &tuned);
        *lockWaitMs = tunedLockWaitMs(sequence_);
        return tuned.ok ? SweepCallOk : SweepCallFailed;
    };
    card.read = [&](TryReading* reading) {
        takeReading();
        const LatestReading now = latest();
        reading->locked = now.reading.locked;
        reading->settled = networkSettled(now.network);
        const ModcodWord own = now.network.identity.modcod;
        reading->hasModcod = now.tunerModcod.known || own.known;
        if (reading->hasModcod) reading->modcod = now.tunerModcod.known ? now.tunerModcod.modcod : own.modcod;
        reading->network = now.network.state == NetworkKnown ? now.network.identity : NetworkIdentity();
        return SweepCallOk;
    };
    card.pause = [&](uint32_t ms) { return pauseFor(ms); };
    card.interrupted = [&] { return commandWaiting(); };
    card.report = [&](const SweepStatus& status) {
        updateSweep(status);
        return true;
    };
    card.nowMs = monotonicMs;
    card.networkWaitMs = networkInformationWaitMs;
    card.probeLevel = levels.source == LevelAsReported;
    const SweepStatus status = runSweepLoop(swept, card);
    tuned_ = false;
    if (status.state != SweepDone) {
        log("sweep " + sweepTitle(plan) + " ended: " + status.problem);
        outcome->reason = status.problem;
        return;
    }
    size_t measured = 0;
    for (const SweepPoint& point : status.result.points) measured += point.measured ? 1 : 0;
    char took[32];
    std::snprintf(took, sizeof took, "%.1f s", static_cast<double>(monotonicMs() - began) / 1000.0);
    log("sweep " + sweepTitle(plan) + " done: " + std::to_string(status.result.peaks.size()) + " peaks, " +
        std::to_string(measured) + " steps measured, in " + took);
    outcome->ok = true;
}
