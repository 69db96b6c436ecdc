#include "dvb/helper/frontend/frontend_worker.h"

#include <algorithm>
#include <chrono>

#include "dvb/helper/frontend/start_shape.h"

uint64_t monotonicMs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

FrontendWorker::FrontendWorker(FrontendDevice& device, FrontendLog* log)
    : device_(device), log_(log), random_(static_cast<uint32_t>(monotonicMs()))
{
    thread_ = std::thread(&FrontendWorker::run, this);
}

FrontendWorker::~FrontendWorker()
{
    if (stop(5000)) return;
    // A frontend call that never returns: the thread cannot be waited for.
    thread_.detach();
}

// Under the lock: a command for the thread, with the outcome it will fill.
std::shared_ptr<WorkerOutcome> FrontendWorker::queue(Command command)
{
    std::shared_ptr<WorkerOutcome> outcome = std::make_shared<WorkerOutcome>();
    command.outcome = outcome;
    command.singleCable = singleCableNext_;
    if (quitting_) {
        *outcome = WorkerOutcome{true, false, ProblemOther, "helper is ending"};
        return outcome;
    }
    commands_.push_back(command);
    wake_.notify_all();
    return outcome;
}

// How often a bounded wait looks at the stop flag.
static constexpr uint32_t stopLookMs = 20;

WorkerOutcome FrontendWorker::post(Command command, uint32_t waitMs)
{
    Pending pending;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        pending = queue(command);
    }
    return waitBounded(pending, waitMs, nullptr);
}

WorkerOutcome FrontendWorker::waitBounded(const Pending& pending, uint32_t boundMs, const volatile sig_atomic_t* stop)
{
    const uint64_t end = monotonicMs() + boundMs;
    std::unique_lock<std::mutex> hold(mutex_);
    // A signal sets *stop without waking the worker: looked at every few milliseconds.
    for (uint64_t now = monotonicMs(); !pending->done && !(stop && *stop) && now < end; now = monotonicMs())
        wake_.wait_for(hold, std::chrono::milliseconds(std::min<uint64_t>(end - now, stopLookMs)),
                       [&] { return pending->done; });
    if (pending->done) return *pending;
    hold.unlock();
    withdraw(pending);
    return WorkerOutcome{false, false, ProblemOther, "frontend does not answer in time"};
}

WorkerOutcome FrontendWorker::open(uint32_t waitMs)
{
    return post(Command{CommandOpen, CardTuning(), nullptr}, waitMs);
}

WorkerOutcome FrontendWorker::tune(const CardTuning& tuning, uint32_t waitMs)
{
    return post(Command{CommandTune, tuning, nullptr}, waitMs);
}

void FrontendWorker::release()
{
    std::lock_guard<std::mutex> hold(mutex_);
    queue(Command{CommandRelease, CardTuning(), nullptr});
}

FrontendWorker::Pending FrontendWorker::startOpen()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return queue(Command{CommandOpen, CardTuning(), nullptr});
}

FrontendWorker::Pending FrontendWorker::startTune(const CardTuning& tuning, bool gatherLists)
{
    std::lock_guard<std::mutex> hold(mutex_);
    return queue(Command{CommandTune, tuning, nullptr, gatherLists});
}

WorkerOutcome FrontendWorker::outcomeOf(const Pending& pending)
{
    std::lock_guard<std::mutex> hold(mutex_);
    return *pending;
}

void FrontendWorker::withdraw(const Pending& pending)
{
    std::lock_guard<std::mutex> hold(mutex_);
    for (auto each = commands_.begin(); each != commands_.end(); ++each)
        if (each->outcome == pending) {
            commands_.erase(each);
            return;
        }
}

void FrontendWorker::notifyWhenDone(std::function<void()> notify)
{
    std::lock_guard<std::mutex> hold(mutex_);
    notifyDone_ = std::move(notify);
}

uint32_t FrontendWorker::tuneBoundMs(const CardTuning& tuning)
{
    SingleCableUse singleCable;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        singleCable = singleCableNext_;
    }
    // The LNB taken as unpowered before: the longer of the two starts.
    return startBoundMs(startShapeOf(buildTuningSequence(tuning, abilities(), false, nullptr, singleCable)));
}

LatestReading FrontendWorker::latest()
{
    std::lock_guard<std::mutex> hold(mutex_);
    LatestReading latest = latest_;
    const uint64_t now = monotonicMs();
    if (readPending_ && now - readStartedMs_ >= stalledReadMs) {
        latest.reading = SignalReading{false, 0, 0.0f};
        latest.reading.searchingMs = static_cast<uint32_t>(std::min<uint64_t>(now - latestAnswerMs_, UINT32_MAX));
        latest.figures.statistics.locked = false;
    }
    return latest;
}

FrontendAbilities FrontendWorker::abilities()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return abilities_;
}

bool FrontendWorker::stop(uint32_t waitMs)
{
    std::unique_lock<std::mutex> hold(mutex_);
    if (!thread_.joinable()) return true;
    if (!quitting_) {
        // Once the helper ends, nothing queued reaches the frontend but its letting go.
        for (Command& command : commands_)
            if (command.outcome) *command.outcome = WorkerOutcome{true, false, ProblemOther, "helper is ending"};
        commands_.clear();
        commands_.push_back(Command{CommandRelease, CardTuning(), std::make_shared<WorkerOutcome>()});
        quitting_ = true;
        wake_.notify_all();
    }
    if (!wake_.wait_for(hold, std::chrono::milliseconds(waitMs), [&] { return finished_; })) return false;
    hold.unlock();
    thread_.join();
    return true;
}

bool FrontendWorker::ending()
{
    std::lock_guard<std::mutex> hold(mutex_);
    return quitting_;
}

void FrontendWorker::log(const std::string& line)
{
    if (log_ && !line.empty()) writeLogLine(*log_, line);
}

// A pause of the sequence, cut short when the helper ends.
bool FrontendWorker::pauseFor(uint32_t ms)
{
    std::unique_lock<std::mutex> hold(mutex_);
    return !wake_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return quitting_; });
}

void FrontendWorker::run()
{
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
        if (!commands_.empty()) {
            Command command = commands_.front();
            commands_.pop_front();
            hold.unlock();
            WorkerOutcome outcome;
            execute(command, &outcome);
            hold.lock();
            outcome.done = true;
            if (command.outcome) *command.outcome = outcome;
            wake_.notify_all();
            if (notifyDone_) {
                const std::function<void()> notify = notifyDone_;
                hold.unlock();
                notify();
                hold.lock();
            }
            continue;
        }
        if (quitting_) break;
        if (!tuned_ || motorHold_) {
            wake_.wait(hold);
            continue;
        }
        const uint64_t now = monotonicMs();
        if (now < nextReadingMs_) {
            wake_.wait_for(hold, std::chrono::milliseconds(nextReadingMs_ - now));
            continue;
        }
        hold.unlock();
        takeReading();
        hold.lock();
    }
    finished_ = true;
    wake_.notify_all();
}

void FrontendWorker::execute(const Command& command, WorkerOutcome* outcome)
{
    singleCable_ = command.singleCable;
    showUserBands_ = command.showUserBands;
    switch (command.kind) {
    case CommandOpen: carryOutOpen(outcome); break;
    case CommandTune:
        network_.gatherLists = command.gatherLists;
        carryOutTune(command.tuning, outcome);
        break;
    case CommandRelease:
        carryOutRelease();
        outcome->ok = true;
        break;
    case CommandSweep: carryOutSweep(command.sweep, outcome); break;
    case CommandMotor: carryOutMotor(command.motor, outcome); break;
    case CommandRead:
        if (tuned_ && !motorHold_) takeReading();
        outcome->ok = tuned_ && !motorHold_;
        break;
    case CommandResume: resumeTune(outcome); break;
    }
}

void FrontendWorker::carryOutOpen(WorkerOutcome* outcome)
{
    if (open_) {
        outcome->ok = true;
        return;
    }
    std::string detail;
    const FrontendProblem problem = device_.open(&detail);
    outcome->problem = problem;
    outcome->reason = detail;
    outcome->ok = problem == FrontendUsable;
    if (!outcome->ok) return;
    open_ = true;
    supplyOn_ = false;
    burstLacking_ = false;
    foundDiffered_ = false;
    const FrontendAbilities abilities = device_.abilities();
    levelWatchOpened(levelWatch_, abilities.name);
    std::lock_guard<std::mutex> hold(mutex_);
    abilities_ = abilities;
    latest_ = LatestReading();
}

void FrontendWorker::carryOutRelease()
{
    tuned_ = false;
    motorHold_ = false;
    restartNetworkReader(network_, device_);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_ = LatestReading();
    }
    if (!open_) return;
    // The LNB goes unpowered, its tone off, when the frontend is let go;
    // a single-cable device's user band is freed first.
    letGoOfUserBand();
    supplyOn_ = false;
    device_.close();
    open_ = false;
}
