#include "dvb/helper/serve/worker_frontend.h"

#include <sys/eventfd.h>
#include <unistd.h>

WorkerFrontend::WorkerFrontend(FrontendWorker& worker) : worker_(worker)
{
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int wake = wake_;
    worker_.notifyWhenDone([wake] {
        const uint64_t one = 1;
        if (write(wake, &one, sizeof one) < 0) {
            // Full or gone: the loop still looks at its bound.
        }
    });
}

WorkerFrontend::~WorkerFrontend()
{
    worker_.notifyWhenDone(nullptr);
    if (wake_ >= 0) close(wake_);
}

void WorkerFrontend::startOpen()
{
    call_ = worker_.startOpen();
    opening_ = true;
    deadlineMs_ = monotonicMs() + openWaitMs;
}

void WorkerFrontend::startTune(const CardTuning& tuning, const SingleCableUse& singleCable)
{
    worker_.useSingleCable(singleCable);
    const uint32_t bound = worker_.tuneBoundMs(tuning);
    call_ = worker_.startTune(tuning);
    opening_ = false;
    deadlineMs_ = monotonicMs() + bound;
}

// The command's steps: a few frontend calls and the lead.
static constexpr uint32_t motorBoundMs = 10000;

void WorkerFrontend::startMotor(const MotorCommand& command)
{
    call_ = worker_.startMotor(command);
    opening_ = false;
    deadlineMs_ = monotonicMs() + motorBoundMs;
}

bool WorkerFrontend::callAnswer(uint64_t nowMs, bool* ok, std::string* reason)
{
    if (!call_) {
        *ok = false;
        *reason = "nothing asked of the frontend";
        return true;
    }
    const WorkerOutcome outcome = worker_.outcomeOf(call_);
    if (!outcome.done && nowMs < deadlineMs_) return false;
    if (!outcome.done) abandonCall();
    call_.reset();
    *ok = outcome.done && outcome.ok;
    if (!outcome.done) *reason = "frontend does not answer in time";
    else if (!outcome.ok) *reason = opening_ ? problemReason(outcome.problem) : outcome.reason;
    return true;
}

void WorkerFrontend::abandonCall()
{
    if (call_) worker_.withdraw(call_);
    call_.reset();
}

bool WorkerFrontend::measure(SignalReading* reading)
{
    const LatestReading latest = worker_.latest();
    if (!latest.answered) return false;
    *reading = latest.reading;
    return true;
}

std::string WorkerFrontend::singleCableRefusal() { return worker_.abilities().remote ? remoteSingleCableRefusal : ""; }

bool WorkerFrontend::startSweep(const SweepPlan& plan, const SingleCableUse& singleCable, std::string* reason)
{
    if (worker_.sweepStatus().state == SweepRunning) {
        *reason = "a sweep is under way";
        return false;
    }
    worker_.useSingleCable(singleCable);
    worker_.startSweep(plan);
    return true;
}
