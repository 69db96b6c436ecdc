// The frontend worker's part for a motorised dish: a positioner's command
// carried out with its steps, each logged as the tuning sequence's are, and
// a reading taken when it is asked for.
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/motor/motor_sequence.h"

FrontendWorker::Pending FrontendWorker::startMotor(const MotorCommand& command)
{
    std::lock_guard<std::mutex> hold(mutex_);
    Command motor{CommandMotor, CardTuning(), nullptr};
    motor.motor = command;
    return queue(motor);
}

WorkerOutcome FrontendWorker::resumeAfterMotor(uint32_t waitMs)
{
    return post(Command{CommandResume, CardTuning(), nullptr}, waitMs);
}

LatestReading FrontendWorker::readNow(uint32_t waitMs)
{
    post(Command{CommandRead, CardTuning(), nullptr}, waitMs);
    return latest();
}

void FrontendWorker::carryOutMotor(const MotorCommand& command, WorkerOutcome* outcome)
{
    // The dish turns: nothing is read or sent until the motor is there.
    motorHold_ = true;
    if (!forgetTheStream(outcome)) return;
    if (device_.abilities().remote) {
        log(refusedLine("diseqc " + motorCommandText(command), remoteMotorRefusal));
        outcome->reason = remoteMotorRefusal;
        return;
    }
    outcome->ok = runStepList(motorSequenceSteps(motorSteps(0, false), command), outcome);
}

void FrontendWorker::resumeTune(WorkerOutcome* outcome)
{
    const bool held = motorHold_;
    motorHold_ = false;
    outcome->ok = true;
    if (!held || !tuned_) return;
    // The transponder's supply and tone, without its switch commands: the switch has not moved.
    std::vector<SequenceStep> steps;
    for (const SequenceStep& step : sequence_.steps)
        if (step.kind == StepSupply || step.kind == StepTone) steps.push_back(step);
    outcome->ok = runStepList(steps, outcome) && sendAttempt(&outcome->reason);
    if (!outcome->ok) {
        tuned_ = false;
        return;
    }
    // The attempt is given its whole time again.
    search_.sinceMs = monotonicMs();
    nextReadingMs_ = 0;
}
