#include "bda/bda_session.h"

#include "cardbase/card_clock.h"
#include "cardbase/frontend_plan.h"

// How long the driver has: a start's switch command (two commands with
// their pauses) and tune, a reading, and ending.
static constexpr DWORD commandTimeoutMs = 3000;
static constexpr DWORD tuneTimeoutMs = 5000;
static constexpr DWORD readingTimeoutMs = 1000;
static constexpr DWORD closeTimeoutMs = 3000;
// The section reader waits on its own events only, but may be in a call to
// a filter that blocks until a table comes.
static constexpr DWORD sectionsCloseTimeoutMs = 1000;

static const SignalReading noSignal{false, 0, 0.0f};

static void releaseRequests(BdaSession& session)
{
    for (ITuneRequest*& request : session.requests) releaseOnce(request);
}

static void deliverSections(void* context, const BYTE* bytes, size_t size)
{
    offerSections(*static_cast<SectionReader*>(context), bytes, size);
}

HRESULT openBdaSession(BdaSession& session, const std::string& tunerName, const ModulationOrder& order)
{
    session.order = order;
    if (!openSectionReader(session.sections)) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT result = buildBdaGraph(session.graph, tunerName, deliverSections, &session.sections);
    if (SUCCEEDED(result) && !startDriverThread(session.driver)) result = HRESULT_FROM_WIN32(GetLastError());
    // Without its thread the reader finds nothing, and the measurement goes on all the same.
    if (SUCCEEDED(result) && session.graph.sectionRoute != NoSections)
        startSectionReader(session.sections, session.graph.tables);
    if (FAILED(result)) {
        releaseBdaGraph(session.graph);
        closeSectionReader(session.sections);
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

static void sendCommandWork(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    session.commandSent = sendSwitchCommand(session.graph, session.values.switchCommand);
}

static void tuneWork(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    session.tuneResult = putLnbOscillators(session.graph, session.values.lnb);
    if (SUCCEEDED(session.tuneResult)) session.tuneResult = tuneCurrentAttempt(session);
}

static void readWork(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    const TunerStatistics statistics = readBdaStatistics(session.graph, session.history);
    session.reading = readingFromStatistics(statistics);
    if (statistics.locked) rememberModulation(session.memory, session.tuning, currentModulation(session.search));
    if (modulationSearchMovesOn(session.search, statistics.locked, cardClockMs())) tuneCurrentAttempt(session);
}

static HRESULT overran(DriverCall call) { return call == DriverCallDone ? S_OK : HRESULT_FROM_WIN32(ERROR_TIMEOUT); }

// The route to the switch port, after trying the command where the tuner takes them.
static HRESULT chooseSwitchRoute(BdaSession& session, SwitchRoute* route)
{
    session.commandSent = false;
    if (session.values.switchPort != noSwitchPort && session.graph.diseqc) {
        const HRESULT result = overran(callOnDriverThread(session.driver, sendCommandWork, &session, commandTimeoutMs));
        if (FAILED(result)) return result;
    }
    // Windows' provider hands the LNB source to the tuner's node through the
    // same DiSEqC interface (Windows 7 on): without one it reaches nothing.
    const bool lnbSource = session.graph.diseqc && session.graph.locatorHasLnbSource;
    *route = switchRouteFor(session.values.switchPort, session.commandSent, lnbSource);
    return *route == SwitchUnreachable ? HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED) : S_OK;
}

HRESULT startBdaSession(BdaSession& session, const CardTuning& tuning)
{
    // Everything below touches what the driver thread uses.
    sectionReaderRestart(session.sections);
    if (!driverThreadIdle(session.driver, tuneTimeoutMs)) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    session.started = false;
    session.tuning = tuning;
    session.values = bdaTuneValuesFor(tuning);
    SwitchRoute route = NoSwitchAsked;
    HRESULT result = chooseSwitchRoute(session, &route);
    if (FAILED(result)) return result;

    releaseRequests(session);
    session.search = startModulationSearch(session.order, rememberedModulation(session.memory, tuning),
                                           tuning.symbolRate, cardClockMs());
    const int32_t lnbSource = lnbSourceFor(session.values, route);
    for (int i = 0; i < session.search.order.count && SUCCEEDED(result); ++i)
        result = createTuneRequest(session.graph, session.values, session.search.order.values[i], lnbSource,
                                   &session.requests[i]);
    if (FAILED(result)) return result;

    result = overran(callOnDriverThread(session.driver, tuneWork, &session, tuneTimeoutMs));
    if (SUCCEEDED(result)) result = session.tuneResult;
    session.started = SUCCEEDED(result);
    return result;
}

static SignalReading readNow(BdaSession& session)
{
    if (!session.started) return noSignal;
    if (callOnDriverThread(session.driver, readWork, &session, readingTimeoutMs) != DriverCallDone) return noSignal;
    return session.reading;
}

SignalReading readBdaSession(BdaSession& session)
{
    const SignalReading reading = readNow(session);
    sectionReaderLock(session.sections, reading.locked);
    return reading;
}

bool takeBdaNetwork(BdaSession& session, NetworkIdentity* identity)
{
    return takeSectionIdentity(session.sections, identity);
}

bool closeBdaSession(BdaSession& session)
{
    if (!stopDriverThread(session.driver, closeTimeoutMs)) return false;
    if (!stopSectionReader(session.sections, sectionsCloseTimeoutMs)) return false;
    releaseRequests(session);
    releaseBdaGraph(session.graph);
    closeSectionReader(session.sections);
    return true;
}
