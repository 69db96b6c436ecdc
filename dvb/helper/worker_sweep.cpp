// The frontend worker's sweep of a band: the LNB's supply, tone and switch
// set once as a start sets them, then one bare tune a step (no switching,
// so no switching pace), the level read once the tuner has settled (and,
// for a tuner that measures only every few seconds, once it has measured
// again); the peaks found, and with --try each tuned as a start would be at
// the likeliest symbol rates until one locks and its network has spoken.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cardbase/reading_pace.h"
#include "dvb/helper/frontend_worker.h"
#include "dvb/helper/tuned_report.h"

// A step's tuner settles at least this long before its level is read.
static constexpr uint32_t sweepSettleMs = 20;
// After this many steps, a frontend whose level never came, or never moved
// by a single count, is said to give none without a lock.
static constexpr size_t sweepProbeSteps = 8;

FrontendWorker::Pending FrontendWorker::startSweep(const SweepPlan& plan)
{
    std::lock_guard<std::mutex> hold(mutex_);
    Command command{CommandSweep, CardTuning(), nullptr};
    command.sweep = plan;
    // Under way from now on, for whoever asks before the thread takes it up.
    sweep_ = SweepStatus();
    sweep_.state = SweepRunning;
    sweep_.plan = plan;
    sweep_.steps = static_cast<uint32_t>(plan.frequenciesMHz.size());
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

// One step: a bare tune, the settling, the level.
bool FrontendWorker::sweepStep(const SweepPlan& plan, int32_t frequencyMHz, const FrontendAbilities& abilities,
                               SweepPoint* point, RawFigures* raw, std::string* reason)
{
    if (!tuneSweepStep(sweepStepTuning(plan, frequencyMHz, plan.symbolRate), abilities, reason)) return false;
    const FrontendLevelTraits levels = frontendLevelTraitsFor(abilities.name);
    const uint32_t waitMs = std::max(sweepSettleMs, abilities.traits.tunerMs) +
                            (levels.source == LevelRefreshedEvery ? levels.refreshMs : 0);
    if (!pauseFor(waitMs)) {
        *reason = "helper is ending";
        return false;
    }
    *raw = RawFigures();
    if (!device_.readLevel(raw)) {
        *reason = "the frontend does not answer";
        return false;
    }
    *point = SweepPoint{frequencyMHz, false, 0.0};
    if (raw->strengthScale == ScaleDecibel) *point = SweepPoint{frequencyMHz, true, raw->strength / 1000.0};
    else if (raw->strengthScale == ScaleRelative)
        *point = SweepPoint{
            frequencyMHz, true,
            static_cast<double>(percentOfRelative(static_cast<uint32_t>(std::max<int64_t>(raw->strength, 0))))};
    return true;
}

void FrontendWorker::carryOutSweep(const SweepPlan& plan, WorkerOutcome* outcome)
{
    tuned_ = false;
    restartNetworkReader(network_, device_);
    SweepStatus status = sweepBegun(plan);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_ = LatestReading();
        sweep_ = status;
    }
    const auto fail = [&](const std::string& problem) {
        status.state = SweepFailed;
        status.problem = problem;
        updateSweep(status);
        log("sweep " + sweepTitle(plan) + " ended: " + problem);
        outcome->reason = problem;
    };
    if (!open_) return fail("frontend not open");
    const FrontendAbilities abilities = device_.abilities();
    if (frontendLevelTraitsFor(abilities.name).source == LevelOnlyWithCarrier)
        return fail(abilities.name + " gives no level until it locks: a sweep cannot see the band");
    if (plan.symbolRate * 1000u < abilities.lowestSymbolRate)
        status.plan.symbolRate = abilities.lowestSymbolRate / 1000;
    const uint64_t began = monotonicMs();
    log("sweep " + sweepTitle(plan) + ": " + std::to_string(status.steps) + " steps");
    if (!runSteps(sweepStart(status.plan, abilities), outcome)) return fail(outcome->reason);
    RawFigures first, raw;
    bool moved = false;
    for (int32_t frequency : plan.frequenciesMHz) {
        if (commandWaiting()) return fail("interrupted");
        SweepPoint point{};
        std::string reason;
        if (!sweepStep(status.plan, frequency, abilities, &point, &raw, &reason)) return fail(reason);
        if (status.stepsDone == 0) first = raw;
        moved = moved || raw.strengthScale != first.strengthScale || raw.strength != first.strength;
        status.result.unit = raw.strengthScale == ScaleRelative ? LevelPercent : LevelDbm;
        status.result.points.push_back(point);
        ++status.stepsDone;
        updateSweep(status);
        if (status.stepsDone == sweepProbeSteps && first.strengthScale == ScaleNone && !moved)
            return fail("the frontend gives no level without a lock: a sweep cannot see the band");
        if (status.stepsDone == sweepProbeSteps && !moved)
            return fail("the frontend repeats one level wherever it is tuned: it gives none without a lock");
    }
    findSweepPeaks(status.result);
    updateSweep(status);
    if (plan.request.tryPeaks)
        for (SweepPeak& peak : status.result.peaks) {
            if (commandWaiting()) return fail("interrupted");
            tryPeak(status.plan, peak);
            updateSweep(status);
        }
    tuned_ = false;
    status.state = SweepDone;
    updateSweep(status);
    char took[32];
    std::snprintf(took, sizeof took, "%.1f s", static_cast<double>(monotonicMs() - began) / 1000.0);
    log("sweep " + sweepTitle(plan) + " done: " + std::to_string(status.result.peaks.size()) + " peaks in " + took);
    outcome->ok = true;
}

// A start's tune at each likely symbol rate until one locks, then the
// network's word there.
void FrontendWorker::tryPeak(const SweepPlan& plan, SweepPeak& peak)
{
    peak.tried = true;
    for (int32_t rate : symbolRatesToTry(peak)) {
        WorkerOutcome tuned;
        carryOutTune(sweepStepTuning(plan, peak.frequencyMHz, rate), &tuned);
        if (!tuned.ok) return;
        const uint64_t lockBy = monotonicMs() + tunedLockWaitMs(sequence_);
        bool locked = false;
        while (!locked && monotonicMs() < lockBy) {
            if (!pauseFor(readingIntervalMs) || commandWaiting()) return;
            takeReading();
            locked = latest().reading.locked;
        }
        if (!locked) continue;
        const uint64_t networkBy = monotonicMs() + networkInformationWaitMs;
        LatestReading now = latest();
        while (!networkSettled(now.network) && now.reading.locked && monotonicMs() < networkBy) {
            if (!pauseFor(readingIntervalMs) || commandWaiting()) break;
            takeReading();
            now = latest();
        }
        peak.locked = true;
        peak.symbolRate = rate;
        const ModcodWord own = now.network.identity.modcod;
        if (now.tunerModcod.known || own.known) {
            peak.hasModcod = true;
            peak.modcod = now.tunerModcod.known ? now.tunerModcod.modcod : own.modcod;
        }
        if (now.network.state == NetworkKnown) peak.network = now.network.identity;
        tuned_ = false;
        return;
    }
    tuned_ = false;
}
