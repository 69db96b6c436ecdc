// The frontend worker's readings: the figures read by the driver's scales,
// the lock remembered, the tuner's word asked, the network's sections read,
// and the delivery-system search moved on.
#include "dvb/helper/frontend/found_lnb_error.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/helper_margin.h"

// While locked without the tuner's word, it is asked again every second.
static constexpr uint32_t tunerAskEvery = 10;

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
    // The frequency it found, at the lock and every second after: the LNB may drift.
    const bool askFound = answered && locked == 1 && lockedReadings_ % tunerAskEvery == 0;
    if (answered) lockedReadings_ = locked == 1 ? lockedReadings_ + 1 : 0;
    if (answered && locked == 0) tunerWordKnown_ = false;
    const ModcodWord tunerModcod = askTuner ? device_.lockedModcod() : ModcodWord();
    const LnbError lnbError = askFound ? readLnbError() : LnbError();
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
            if (locked == 0 || askFound) latest_.lnbError = lnbError;
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

LnbError FrontendWorker::readLnbError()
{
    const std::string name = abilities().name;
    uint32_t foundKHz = 0;
    const bool read = !sequence_.singleCable && foundFrequencyWorthAsking(name) && device_.foundFrequencyKHz(&foundKHz);
    return lnbErrorOfReadBack(name, sequence_.singleCable, tuning_, sequence_.frequencyKHz, read, foundKHz,
                              &foundDiffered_);
}
