// The frontend worker's tunes: the tuning sequence's steps carried out and
// logged, and each delivery system's attempt sent.
#include <cstring>

#include "dvb/helper/frontend/frontend_worker.h"

static std::string errorText(int negativeErrno) { return std::strerror(-negativeErrno); }

// What reached the frontend, or the line refused and why.
static std::string stepFailure(const SequenceStep& step)
{
    switch (step.kind) {
    case StepSupply: return "LNB supply refused";
    case StepTone: return "tone refused";
    case StepSwitchCommand: return "DiSEqC command refused";
    case StepBurst: return "tone burst refused";
    case StepPause: break;
    }
    return "refused";
}

// Before the dish or the tuner moves: what the stream said, and the latest
// reading, belong to where it was. False when there is no frontend to move.
bool FrontendWorker::forgetTheStream(WorkerOutcome* outcome)
{
    restartNetworkReader(network_, device_);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_ = LatestReading();
    }
    if (!open_) outcome->reason = "frontend not open";
    return open_;
}

void FrontendWorker::carryOutTune(const CardTuning& tuning, WorkerOutcome* outcome)
{
    tuned_ = false;
    motorHold_ = false;
    if (!forgetTheStream(outcome)) return;
    const FrontendAbilities abilities = device_.abilities();
    const std::string refusal = tuningRefusal(tuning, abilities, singleCable_);
    if (!refusal.empty()) {
        log(refusedLine(plannedTuneLine(tuning), refusal));
        outcome->reason = "refused: " + refusal;
        return;
    }
    const TuningSequence sequence =
        buildTuningSequence(tuning, abilities, supplyOn_, rememberedAttempt(memory_, transponderKeyOf(tuning)),
                            singleCable_, static_cast<uint32_t>(random_()));
    network_.watchStream = sequence.singleCable;
    userBandRetuned(userBand_);
    saidAgain_ = false;
    if (!runSteps(sequence, outcome)) return;
    if (sequence.singleCable) userBandRelease_ = sequence.releaseSteps;
    if (ending()) {
        outcome->reason = "helper is ending";
        return;
    }
    // Another frequency: a level that does not move now is none.
    if (!(sequence_.key == sequence.key)) levelWatchRetuned(levelWatch_, monotonicMs());
    sequence_ = sequence;
    tuning_ = tuning;
    startSearch(search_, monotonicMs());
    if (!sendAttempt(&outcome->reason)) return;
    tuned_ = true;
    figureMemory_ = FigureMemory();
    lastLock_ = -1;
    nextReadingMs_ = 0;
    std::lock_guard<std::mutex> hold(mutex_);
    latest_.answered = true;
    latestAnswerMs_ = monotonicMs();
    outcome->ok = true;
}

// One step that reaches the frontend (not a pause): 0, or a negative errno.
int FrontendWorker::carryOutStep(const SequenceStep& step)
{
    switch (step.kind) {
    case StepSupply: return device_.setVoltage(step.voltage);
    case StepTone: return device_.setTone(step.on);
    case StepSwitchCommand: return device_.sendSwitchCommand(step.command, step.commandLength);
    case StepBurst: return device_.sendBurst(step.on);
    case StepPause: break;
    }
    return 0;
}

bool FrontendWorker::runSteps(const TuningSequence& sequence, WorkerOutcome* outcome)
{
    return runStepList(sequence.steps, outcome);
}

// The supply, tone and switch steps of a sequence, each logged; false with
// the reason when one is refused or the helper ends.
bool FrontendWorker::runStepList(const std::vector<SequenceStep>& steps, WorkerOutcome* outcome)
{
    for (const SequenceStep& step : steps) {
        if (ending()) {
            outcome->reason = "helper is ending";
            return false;
        }
        if (step.kind == StepPause) {
            if (!pauseFor(step.pauseMs)) {
                outcome->reason = "helper is ending";
                return false;
            }
            continue;
        }
        if (step.kind == StepBurst && burstLacking_) continue;
        const int result = carryOutStep(step);
        // The command before it has already picked the input.
        if (step.kind == StepBurst && unsupportedByDriver(result)) {
            burstLacking_ = true;
            log(burstLackingLine(step));
            continue;
        }
        if (result != 0) {
            log(refusedLine(stepLine(step), errorText(result)));
            outcome->reason = stepFailure(step) + ": " + errorText(result);
            return false;
        }
        log(stepLine(step));
        if (step.kind == StepSupply) supplyOn_ = step.voltage != VoltageOff;
    }
    return true;
}

bool FrontendWorker::sendAttempt(std::string* reason)
{
    if (sequence_.attempts.empty()) {
        *reason = "the frontend offers no satellite system";
        return false;
    }
    const SystemAttempt attempt = currentAttempt(sequence_, search_);
    // What the stream said belongs to the tune before.
    restartNetworkReader(network_, device_);
    const int result = device_.tune(sequence_, attempt);
    lockedReadings_ = 0;
    tunerWordKnown_ = false;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_.attempt = attempt;
        latest_.network = NetworkReport();
        latest_.tunerModcod = ModcodWord();
        latest_.lnbError = LnbError();
    }
    if (result == 0) {
        log(attemptLine(sequence_, attempt));
        return true;
    }
    log(refusedLine(attemptLine(sequence_, attempt), errorText(result)));
    *reason = "tune refused: " + errorText(result);
    return false;
}
