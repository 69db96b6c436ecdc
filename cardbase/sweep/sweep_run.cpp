#include "cardbase/sweep/sweep_run.h"

#include "cardbase/reading_pace.h"
#include "cardbase/sweep/sweep_refine.h"

namespace {

struct Run {
    const SweepPlan& plan;
    const SweepCard& card;
    SweepStatus status;
    std::vector<bool> tried;
    size_t measured = 0;
    bool moved = false;
    SignalLevel first;
};

SweepStatus ended(Run& run, SweepCall call, const std::string& problem)
{
    run.status.state = SweepFailed;
    run.status.problem = call == SweepCallInterrupted ? run.card.interruptedProblem : problem;
    run.card.report(run.status);
    return run.status;
}

// One step measured; a problem where the probe shows the level is none.
SweepCall measureStep(Run& run, size_t index, std::string* problem)
{
    if (run.card.interrupted()) return SweepCallInterrupted;
    const int32_t frequency = run.plan.frequenciesMHz[index];
    SignalLevel level;
    const SweepCall call = run.card.measure(frequency, &level, problem);
    if (call != SweepCallOk) return call;
    run.tried[index] = true;
    const bool has = levelHasValue(level);
    if (has) run.status.result.unit = level.unit;
    run.status.result.points[index] = SweepPoint{frequency, has, has ? level.value : 0.0};
    if (run.measured == 0) run.first = level;
    run.moved = run.moved || levelHasValue(run.first) != has || (has && level.value != run.first.value);
    ++run.measured;
    if (!run.card.probeLevel || run.measured != sweepProbeSteps || run.moved) return SweepCallOk;
    *problem = levelHasValue(run.first)
                   ? "the frontend repeats one level wherever it is tuned: it gives none without a lock"
                   : "the frontend gives no level without a lock: a sweep cannot see the band";
    return SweepCallFailed;
}

// A start's tune at each likely symbol rate until one locks, then the
// network's word there.
SweepCall tryPeak(Run& run, SweepPeak& peak)
{
    const SweepCard& card = run.card;
    peak.tried = true;
    for (int32_t rate : symbolRatesToTry(peak)) {
        if (card.interrupted()) return SweepCallInterrupted;
        uint32_t lockWaitMs = 0;
        const SweepCall tuned = card.tune(peak.frequencyMHz, rate, &lockWaitMs);
        if (tuned != SweepCallOk) return tuned == SweepCallInterrupted ? tuned : SweepCallOk;
        const uint64_t lockBy = card.nowMs() + lockWaitMs;
        TryReading reading;
        do {
            if (!card.pause(readingIntervalMs) || card.interrupted()) return SweepCallInterrupted;
            const SweepCall read = card.read(&reading);
            if (read == SweepCallInterrupted) return read;
            if (read == SweepCallFailed) reading = TryReading();
        } while (!reading.locked && card.nowMs() < lockBy);
        if (!reading.locked) continue;
        const uint64_t networkBy = card.nowMs() + card.networkWaitMs;
        TryReading latest = reading;
        while (!latest.settled && latest.locked && card.nowMs() < networkBy) {
            if (!card.pause(readingIntervalMs) || card.interrupted()) return SweepCallInterrupted;
            if (card.read(&latest) == SweepCallInterrupted) return SweepCallInterrupted;
            if (latest.hasModcod) reading = latest;
        }
        peak.locked = true;
        peak.symbolRate = rate;
        peak.hasModcod = reading.hasModcod || latest.hasModcod;
        peak.modcod = latest.hasModcod ? latest.modcod : reading.modcod;
        if (latest.network.known) peak.network = latest.network;
        return SweepCallOk;
    }
    return SweepCallOk;
}

}  // namespace

SweepStatus runSweepLoop(const SweepPlan& plan, const SweepCard& card)
{
    Run run{plan, card,  sweepBegun(plan), std::vector<bool>(plan.frequenciesMHz.size(), false),
            0,    false, SignalLevel()};
    for (int32_t frequency : plan.frequenciesMHz) run.status.result.points.push_back(SweepPoint{frequency, false, 0.0});
    std::string problem;
    if (card.interrupted()) return ended(run, SweepCallInterrupted, problem);
    SweepCall call = card.begin(&problem);
    if (call != SweepCallOk) return ended(run, call, problem);
    for (size_t index : coarseSweepSteps(plan)) {
        if ((call = measureStep(run, index, &problem)) != SweepCallOk) return ended(run, call, problem);
        run.status.stepsDone = static_cast<uint32_t>(index + 1);
        if (!card.report(run.status)) return run.status;
    }
    for (size_t index; (index = nextFineSweepStep(plan, run.status.result, run.tried)) != noSweepStep;) {
        if ((call = measureStep(run, index, &problem)) != SweepCallOk) return ended(run, call, problem);
        if (!card.report(run.status)) return run.status;
    }
    findSweepPeaks(run.status.result);
    if (!card.report(run.status)) return run.status;
    if (plan.request.tryPeaks)
        for (SweepPeak& peak : run.status.result.peaks) {
            if ((call = tryPeak(run, peak)) != SweepCallOk) return ended(run, call, problem);
            if (!card.report(run.status)) return run.status;
        }
    run.status.state = SweepDone;
    card.report(run.status);
    return run.status;
}
