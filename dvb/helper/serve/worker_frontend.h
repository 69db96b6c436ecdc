// The frontend worker as the serving loop drives it (tcp_server.h): an open
// or a tune handed over without waiting and bounded (an open by
// openWaitMs, a tune by its start's bound), and an eventfd that wakes the
// loop each time the worker is done with a command. Linux.
#pragma once
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/serve/tcp_server.h"

class WorkerFrontend final : public ServedFrontend {
public:
    explicit WorkerFrontend(FrontendWorker& worker);
    ~WorkerFrontend() override;
    WorkerFrontend(const WorkerFrontend&) = delete;
    WorkerFrontend& operator=(const WorkerFrontend&) = delete;

    void startOpen() override;
    void startTune(const CardTuning& tuning, const SingleCableUse& singleCable) override;
    void startMotor(const MotorCommand& command) override;
    bool callAnswer(uint64_t nowMs, bool* ok, std::string* reason) override;
    uint64_t callDeadlineMs() override { return deadlineMs_; }
    void abandonCall() override;
    bool measure(SignalReading* reading) override;
    NetworkReport network() override { return worker_.latest().network; }
    ModcodAnswer modcod() override { return modcodAnswerOf(worker_.latest()); }
    LnbError lnbError() override { return worker_.latest().lnbError; }
    bool startSweep(const SweepPlan& plan, const SingleCableUse& singleCable, std::string* reason) override;
    SweepStatus sweepStatus() override { return worker_.sweepStatus(); }
    std::string singleCableRefusal() override;
    std::string userBandNote() override { return worker_.latest().userBandNote; }
    void release() override { worker_.release(); }
    int wakeDescriptor() override { return wake_; }

private:
    FrontendWorker& worker_;
    int wake_ = -1;
    FrontendWorker::Pending call_;
    bool opening_ = false;
    uint64_t deadlineMs_ = 0;
};
