// The frontend worker's part for a single-cable device: the setting that
// the commands queued from now on carry, the command said once more where
// no lock came in the driver's time, the stream watched for another
// receiver on the user band, a sweep's steps through the device, the cable
// swept while the device shows its user bands, and the band freed when the
// frontend is let go (then the LNB unpowered, as without a device).
#include <chrono>
#include <cstring>
#include <thread>

#include "dvb/helper/frontend/frontend_worker.h"

static std::string errorText(int negativeErrno) { return std::strerror(-negativeErrno); }

void FrontendWorker::useSingleCable(const SingleCableUse& use)
{
    std::lock_guard<std::mutex> hold(mutex_);
    singleCableNext_ = use;
}

FrontendWorker::Pending FrontendWorker::startUserBandSweep(const SweepPlan& plan)
{
    // Marked as it is queued: the worker may take it up at once.
    return startSweep(plan, true);
}

// Each step carried out, whatever the helper's end: the LNB must end unpowered.
void FrontendWorker::letGoOfUserBand()
{
    std::vector<SequenceStep> steps = userBandRelease_;
    userBandRelease_.clear();
    if (steps.empty()) {
        SequenceStep toneOff{}, supplyOff{};
        toneOff.kind = StepTone;
        supplyOff.kind = StepSupply;
        supplyOff.voltage = VoltageOff;
        steps = {toneOff, supplyOff};
    }
    for (const SequenceStep& step : steps) {
        if (step.kind == StepPause) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
            continue;
        }
        const int result = carryOutStep(step);
        log(result == 0 ? stepLine(step) : refusedLine(stepLine(step), errorText(result)));
    }
}

// False when the helper ends meanwhile.
bool FrontendWorker::sayCommandAgain()
{
    if (!sequence_.singleCable || saidAgain_) return true;
    saidAgain_ = true;
    WorkerOutcome ignored;
    if (runStepList(sequence_.retrySteps, &ignored)) return true;
    return !ending();
}

// The stream's PAT under a steady tune: another transport stream id means
// another receiver asked for its own transponder on the user band.
void FrontendWorker::watchUserBand(bool locked)
{
    if (!sequence_.singleCable || !locked || !network_.freshStreamId) return;
    network_.freshStreamId = false;
    if (!userBandStreamSeen(userBand_, network_.latestStreamId)) return;
    const std::string note = userBandSharedText(sequence_.singleCableSetting);
    log(note);
    std::lock_guard<std::mutex> hold(mutex_);
    latest_.userBandNote = note;
}

// A sweep's step: a bare tune, or through the device its command first
// (the cable's own sweep asks the device for no band).
bool FrontendWorker::tuneSweepStep(const CardTuning& tuning, const FrontendAbilities& abilities, std::string* reason)
{
    const SingleCableUse through = showUserBands_ ? SingleCableUse() : singleCable_;
    const TuningSequence step = buildTuningSequence(tuning, abilities, true, nullptr, through);
    if (step.singleCable) {
        const std::string refusal = tuningRefusal(tuning, abilities, through);
        WorkerOutcome ran;
        if (!refusal.empty()) {
            *reason = "refused at " + std::to_string(tuning.frequencyMHz) + " MHz: " + refusal;
            return false;
        }
        if (!runStepList(step.steps, &ran)) {
            *reason = ran.reason;
            return false;
        }
        userBandRelease_ = step.releaseSteps;
    }
    const int result = device_.tune(step, AttemptDvbS);
    if (result == 0) return true;
    *reason = "tune refused at " + std::to_string(tuning.frequencyMHz) + " MHz: " + errorText(result);
    return false;
}

// What a sweep sends before its steps: the supply, tone and switch as a
// start sets them; through a single-cable device nothing (each step asks
// the device for itself); for the cable's own sweep, the command that
// shows the user bands.
TuningSequence FrontendWorker::sweepStart(const SweepPlan& plan, const FrontendAbilities& abilities)
{
    TuningSequence start;
    if (showUserBands_) {
        start.steps = singleCableSequenceSteps(singleCableShowBandsSteps(), singleCableShowBandsCommand());
        // A device given with its setting has that band freed at the end, which also ends the tones.
        if (singleCable_.used)
            userBandRelease_ = singleCableSequenceSteps(singleCableReleaseSteps(), SingleCableCommand(),
                                                        singleCablePowerOff(singleCable_.setting));
        return start;
    }
    if (singleCable_.used) return start;
    return buildTuningSequence(sweepStepTuning(plan, plan.frequenciesMHz.front(), plan.symbolRate), abilities,
                               supplyOn_, nullptr);
}
