#include "dvb/helper/frontend_worker.h"

#include <chrono>
#include <cstring>

#include "dvb/helper/helper_margin.h"
#include "dvb/helper/start_shape.h"

uint64_t monotonicMs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

static std::string errorText(int negativeErrno) { return std::strerror(-negativeErrno); }

// While locked without the tuner's word, it is asked again every second.
static constexpr uint32_t tunerAskEvery = 10;

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

WorkerOutcome FrontendWorker::post(Command command, uint32_t waitMs)
{
    std::unique_lock<std::mutex> hold(mutex_);
    const std::shared_ptr<WorkerOutcome> outcome = queue(command);
    wake_.wait_for(hold, std::chrono::milliseconds(waitMs), [&] { return outcome->done; });
    if (outcome->done) return *outcome;
    hold.unlock();
    withdraw(outcome);
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
        if (!tuned_) {
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
    const FrontendAbilities abilities = device_.abilities();
    levelWatchOpened(levelWatch_, abilities.name);
    std::lock_guard<std::mutex> hold(mutex_);
    abilities_ = abilities;
    latest_ = LatestReading();
}

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

void FrontendWorker::carryOutTune(const CardTuning& tuning, WorkerOutcome* outcome)
{
    tuned_ = false;
    restartNetworkReader(network_, device_);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        latest_ = LatestReading();
    }
    if (!open_) {
        outcome->reason = "frontend not open";
        return;
    }
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

// The delivery system the search is on now.
static SystemAttempt currentAttempt(const TuningSequence& sequence, const DeliverySearch& search)
{
    return sequence.attempts[search.current % sequence.attempts.size()];
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
    }
    if (result == 0) {
        log(attemptLine(sequence_, attempt));
        return true;
    }
    log(refusedLine(attemptLine(sequence_, attempt), errorText(result)));
    *reason = "tune refused: " + errorText(result);
    return false;
}

static std::string readWaitedLine(uint32_t ms)
{
    return "reading waited " + std::to_string(ms) + " ms for the frontend";
}

// What the reading's s/n is, by what the driver's figures are, and how
// often the driver measures them, where the table knows.
static SignalReading readingOf(const FrontendFigures& figures, const FrontendTraits& traits)
{
    SignalReading reading = readingFromStatistics(figures.statistics);
    if (!carrierToNoiseInDecibels(figures)) reading.unit = SnrUnitDerived;
    else if (figures.carrierToNoiseAtLeast) reading.unit = SnrUnitDecibelOrMore;
    else reading.unit = figures.carrierToNoiseAtMost ? SnrUnitDecibelOrLess : SnrUnitDecibel;
    reading.refreshMs = traits.figuresRefreshMs;
    return reading;
}

void FrontendWorker::takeReading()
{
    const uint64_t began = monotonicMs();
    {
        std::lock_guard<std::mutex> hold(mutex_);
        readPending_ = true;
        readStartedMs_ = began;
    }
    RawFigures raw;
    const bool answered = device_.read(&raw);
    const uint64_t now = monotonicMs();
    nextReadingMs_ = now + readingIntervalMs;
    if (now - began >= stalledReadMs) log(readWaitedLine(static_cast<uint32_t>(now - began)));
    const SystemAttempt attempt = currentAttempt(sequence_, search_);
    const FrontendAbilities known = abilities();
    const FigureScales scales = figureScalesFor(known.traits, attempt.dvbs2, known.scaleParameterSet);
    FrontendFigures figures;
    if (answered) figures = figuresFrom(raw, figureMemory_, scales, now);
    const SignalLevel level = answered ? levelOfReading(levelWatch_, raw, scales.strength, now) : SignalLevel();
    const int locked = answered && raw.locked ? 1 : 0;
    // What locked is remembered once a lock: the attempt stays while it lasts.
    if (answered && locked && lastLock_ != 1)
        rememberAttempt(memory_, sequence_.key, currentAttempt(sequence_, search_));
    if (answered && locked != lastLock_) log(lockLine(locked == 1));
    if (answered) lastLock_ = locked;
    // The tuner's word on what it locked: asked at the lock, and again now
    // and then while it has none (a driver may report only once it has settled).
    const bool askTuner = answered && locked == 1 && !tunerWordKnown_ && lockedReadings_ % tunerAskEvery == 0;
    if (answered) lockedReadings_ = locked == 1 ? lockedReadings_ + 1 : 0;
    if (answered && locked == 0) tunerWordKnown_ = false;
    const ModcodWord tunerModcod = askTuner ? device_.lockedModcod() : ModcodWord();
    if (tunerModcod.known) tunerWordKnown_ = true;
    NetworkReport network;
    if (answered) {
        const uint32_t networkNow = static_cast<uint32_t>(now);
        readNetworkSections(network_, device_, locked == 1, networkNow);
        network = networkReaderReport(network_, networkNow);
        watchUserBand(locked == 1);
    }
    {
        std::lock_guard<std::mutex> hold(mutex_);
        readPending_ = false;
        latest_.answered = answered;
        if (answered) {
            latestAnswerMs_ = now;
            latest_.figures = figures;
            latest_.reading = readingOf(figures, known.traits);
            latest_.reading.level = level;
            latest_.network = network;
            ++latest_.readingNumber;
            if (network_.gatherLists) latest_.lists = networkReaderLists(network_);
            if (locked == 0) latest_.tunerModcod = ModcodWord();
            else if (askTuner) latest_.tunerModcod = tunerModcod;
        }
    }
    // A later attempt the kernel refuses is logged; the turns go on.
    std::string ignored;
    const bool neverLocked = !search_.locked;
    if (!answered || !searchMovesOn(search_, sequence_, locked == 1, now)) return;
    // Another receiver may have spoken over the single-cable command.
    if (neverLocked && !sayCommandAgain()) return;
    sendAttempt(&ignored);
}

void FrontendWorker::carryOutRelease()
{
    tuned_ = false;
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
