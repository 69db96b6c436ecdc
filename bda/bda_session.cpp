#include "bda/bda_session.h"

#include "cardbase/card_clock.h"

// How long the driver has for a reading, and for ending.
static constexpr DWORD readingTimeoutMs = 1000;
static constexpr DWORD closeTimeoutMs = 3000;
// The section reader waits on its own events only, but may be in a call to
// a filter that blocks until a table comes, or for as long as it likes.
static constexpr DWORD sectionsCloseTimeoutMs = 1000;

static const SignalReading noSignal{false, 0, 0.0f};
// Readings are ten a second: a demodulator that has not said what it locked is asked again each second.
static constexpr uint32_t modcodAskEvery = 10;

static void releaseRequests(BdaSession& session)
{
    for (ITuneRequest*& request : session.requests) releaseOnce(request);
}

static void deliverSections(void* context, const BYTE* bytes, size_t size)
{
    offerSections(*static_cast<SectionReader*>(context), bytes, size);
}

HRESULT openBdaSession(BdaSession& session, const std::string& tunerName, const BdaSessionSettings& settings)
{
    session.settings = settings;
    session.sections = createSectionReader();
    if (!session.sections) return E_OUTOFMEMORY;
    HRESULT result = buildBdaGraph(session.graph, tunerName, settings.switchSetting, deliverSections, session.sections);
    if (SUCCEEDED(result) && !startDriverThread(session.driver)) result = HRESULT_FROM_WIN32(GetLastError());
    // Without its thread the reader finds nothing, and the measurement goes on all the same.
    if (SUCCEEDED(result) && session.graph.sectionRoute != NoSections)
        startSectionReader(*session.sections, session.graph.tables);
    if (FAILED(result)) {
        releaseBdaGraph(session.graph);
        endSectionReader(session.sections, 0);
    }
    return result;
}

// Puts the current attempt's request, and the next ones while the driver refuses them.
static HRESULT tuneCurrentAttempt(BdaSession& session)
{
    for (;;) {
        const HRESULT result = putTuneRequest(session.graph, session.requests[session.search.current]);
        if (SUCCEEDED(result)) {
            session.search.sinceMs = cardClockMs();
            return result;
        }
        if (!modulationRefused(session.search, cardClockMs())) return result;
    }
}

static void waitUntil(uint32_t sinceMs, uint32_t ms)
{
    const uint32_t passed = cardClockMs() - sinceMs;
    if (passed < ms) Sleep(ms - passed);
}

// One step; false when the start goes no further on this route.
static bool carryOut(BdaSession& session, const BdaStep& step)
{
    BdaGraph& graph = session.graph;
    switch (step.kind) {
    case BdaStepTune:
        session.tuneResult = putLnbOscillators(graph, step.lnb);
        if (SUCCEEDED(session.tuneResult)) session.tuneResult = tuneCurrentAttempt(session);
        session.tunedAtMs = cardClockMs();
        return SUCCEEDED(session.tuneResult);
    case BdaStepSettle: waitUntil(session.tunedAtMs, step.ms); return true;
    case BdaStepPause: Sleep(step.ms); return true;
    case BdaStepEnableCommands: session.routeRefused = !enableSwitchCommands(graph); break;
    case BdaStepCommand: session.routeRefused = !sendSwitchCommand(graph, step.command) && step.required; break;
    case BdaStepMakerCommand:
        session.routeRefused = !sendMakerCommand(graph, step.command, step.burstB) && step.required;
        break;
    // The command has served the switch already: a driver without bursts is no reason to fail.
    case BdaStepToneBurst: sendToneBurst(graph, step.burstB); return true;
    case BdaStepMakerBurst: sendMakerBurst(graph, step.burstB); return true;
    case BdaStepSpaceRange:
        session.routeRefused = FAILED(putSpaceInputRange(graph, step.rangeText)) && step.required;
        break;
    case BdaStepRangeProperty: session.routeRefused = !putRangeProperty(graph, step.range); break;
    }
    return !session.routeRefused;
}

static void startWork(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    session.routeRefused = false;
    session.tuneResult = S_OK;
    for (const BdaStep& step : session.steps)
        if (!carryOut(session, step)) return;
}

static void readWork(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    SignalLevel level;
    const TunerStatistics statistics = readBdaStatistics(session.graph, session.history, &level);
    session.reading = readingFromStatistics(statistics);
    session.reading.level = level;
    if (statistics.locked) rememberModulation(session.memory, session.tuning, currentModulation(session.search));
    if (!statistics.locked) {
        session.lockedModcod = ModcodWord();
        session.lockedReadings = 0;
    } else if (!session.lockedModcod.known && session.lockedReadings++ % modcodAskEvery == 0) {
        session.lockedModcod = readLockedModcod(session.graph, currentModulation(session.search));
    }
    if (modulationSearchMovesOn(session.search, statistics.locked, cardClockMs())) tuneCurrentAttempt(session);
}

static HRESULT overran(DriverCall call) { return call == DriverCallDone ? S_OK : HRESULT_FROM_WIN32(ERROR_TIMEOUT); }

// Windows' provider hands the LNB source to the tuner's node through the
// same DiSEqC interface (Windows 7 on): without one it reaches nothing. The
// input range goes on only to a driver that answers for it, unless the
// settings ask for the range whatever the driver says.
static SwitchMeans switchMeansOf(const BdaGraph& graph, SwitchChoice choice)
{
    const bool range = graph.rangeAnswered || choice == SwitchOnlyRange;
    SwitchMeans means;
    means.maker = graph.makerSet != nullptr;
    means.commands = graph.diseqc != nullptr;
    means.lnbSource = graph.diseqc != nullptr && graph.locatorHasLnbSource;
    means.spaceRange = range && graph.space != nullptr;
    means.rangeProperty = range && graph.rfTuner != nullptr && graph.deviceControl != nullptr;
    return means;
}

// The requests for the route, made here on the creating thread, and its steps on the driver thread.
static HRESULT tryRoute(BdaSession& session, SwitchRoute route)
{
    releaseRequests(session);
    const int32_t lnbSource = lnbSourceFor(session.values, route);
    HRESULT result = S_OK;
    for (int i = 0; i < session.search.order.count && SUCCEEDED(result); ++i)
        result = createTuneRequest(session.graph, session.values, session.search.order.values[i], lnbSource,
                                   session.settings.shape, &session.requests[i]);
    if (FAILED(result)) return result;
    session.steps = bdaStartSteps(session.values, route, session.settings.rangeForms);
    result = overran(callOnDriverThread(session.driver, startWork, &session, bdaStepsBoundMs(session.steps)));
    return SUCCEEDED(result) ? session.tuneResult : result;
}

HRESULT startBdaSession(BdaSession& session, const CardTuning& tuning)
{
    // Everything below touches what the driver thread uses.
    sectionReaderRestart(*session.sections);
    if (!driverThreadIdle(session.driver, tuneAllowanceMs)) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    session.started = false;
    session.served = NoSwitchAsked;
    session.tuning = tuning;
    session.lockedModcod = ModcodWord();
    session.lockedReadings = 0;
    session.values = bdaTuneValuesFor(tuning);
    session.search = startModulationSearch(session.settings.order, rememberedModulation(session.memory, tuning),
                                           tuning.symbolRate, cardClockMs());
    const SwitchChoice choice = session.settings.switchSetting.choice;
    const SwitchMeans means = switchMeansOf(session.graph, choice);
    HRESULT result = S_OK;
    SwitchRoute route = NoSwitchAsked;
    do {
        route = switchRouteAfter(session.values.switchPort, route, means, choice);
        if (route == SwitchUnreachable) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        result = tryRoute(session, route);
    } while (SUCCEEDED(result) && session.routeRefused);
    session.started = SUCCEEDED(result);
    if (session.started) session.served = route;
    return result;
}

static SignalReading readNow(BdaSession& session)
{
    session.tunerModcod = ModcodWord();
    if (!session.started) return noSignal;
    if (callOnDriverThread(session.driver, readWork, &session, readingTimeoutMs) != DriverCallDone) return noSignal;
    session.tunerModcod = session.lockedModcod;
    return session.reading;
}

ModcodWord bdaSessionModcod(const BdaSession& session) { return session.tunerModcod; }

SignalReading readBdaSession(BdaSession& session)
{
    const SignalReading reading = readNow(session);
    sectionReaderLock(*session.sections, reading.locked);
    return reading;
}

bool takeBdaNetwork(BdaSession& session, NetworkIdentity* identity)
{
    return takeSectionIdentity(*session.sections, identity);
}

bool closeBdaSession(BdaSession& session)
{
    if (!stopDriverThread(session.driver, closeTimeoutMs)) return false;
    // The stream ends with the graph, so that a filter's wait for a table can
    // end before the reader is waited for; the graph is released whether it
    // has or not. No section is delivered to a reader let go of.
    askSectionReaderToStop(*session.sections);
    stopBdaGraph(session.graph);
    leaveSectionRoute(session.graph);
    endSectionReader(session.sections, sectionsCloseTimeoutMs);
    releaseRequests(session);
    releaseBdaGraph(session.graph);
    return true;
}
