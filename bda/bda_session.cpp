#include "bda/bda_session.h"

#include "bda/bda_log.h"
#include "bda/bda_session_work.h"
#include "cardbase/card_clock.h"

// How long the driver has for a reading, and for ending.
static constexpr DWORD readingTimeoutMs = 1000;
static constexpr DWORD closeTimeoutMs = 3000;
// The section reader waits on its own events only, but may be in a call to
// a filter that blocks until a table comes, or for as long as it likes.
static constexpr DWORD sectionsCloseTimeoutMs = 1000;

static const SignalReading noSignal{false, 0, 0.0f};

static void releaseRequests(BdaSession& session)
{
    for (ITuneRequest*& request : session.requests) releaseOnce(request);
    releaseOnce(session.supplyRequest);
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
    if (settings.singleCable.asked) sectionReaderWatchBand(*session.sections);
    session.refusal = settings.singleCable.refusal;
    if (settings.switchSetting.choice == SwitchOnlyMaker && session.graph.makerSet)
        session.otherMaker = otherMakerOfName(session.graph.deviceName, session.graph.maker);
    // Without its thread the reader finds nothing, and the measurement goes on all the same.
    if (SUCCEEDED(result) && session.graph.sectionRoute != NoSections)
        startSectionReader(*session.sections, session.graph.tables);
    if (FAILED(result)) {
        releaseBdaGraph(session.graph);
        endSectionReader(session.sections, 0);
    }
    return result;
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
    if (SUCCEEDED(result) && session.settings.singleCable.asked) {
        BdaTuneValues supply = session.values;
        supply.polarisation = bdaPolarisationHorizontal;
        result = createTuneRequest(session.graph, supply, currentModulation(session.search), lnbSource,
                                   session.settings.shape, &session.supplyRequest);
    }
    if (FAILED(result)) return result;
    session.steps = bdaRouteSteps(session, route);
    result = overran(callOnDriverThread(session.driver, carryOutSteps, &session, bdaStepsBoundMs(session.steps)));
    return SUCCEEDED(result) ? session.tuneResult : result;
}

// Nothing is sent: a tune that is not the device's would block the cable for the other receivers on it.
static HRESULT refuseSingleCable(BdaSession& session, const std::string& why)
{
    session.refusal = why;
    return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
}

// The values of the start; false (with the reason) where single cable cannot ask for the transponder.
static bool valuesFor(BdaSession& session, const CardTuning& tuning)
{
    const BdaSingleCable& cable = session.settings.singleCable;
    if (!cable.asked) {
        session.values = bdaTuneValuesFor(tuning);
        return true;
    }
    session.refusal = cable.refusal;
    if (!session.refusal.empty()) return false;
    session.plan = singleCablePlanFor(tuning, cable.setting);
    session.refusal = session.plan.refusal;
    if (!session.refusal.empty()) return false;
    session.values = bdaSingleCableValues(tuning, session.plan);
    return true;
}

HRESULT startBdaSession(BdaSession& session, const CardTuning& tuning)
{
    // Everything below touches what the driver thread uses.
    sectionReaderRestart(*session.sections);
    if (!driverThreadIdle(session.driver, tuneAllowanceMs)) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    session.started = false;
    session.served = NoSwitchAsked;
    session.startText.clear();
    session.tuning = tuning;
    session.lockedModcod = ModcodWord();
    session.lockedReadings = 0;
    if (!valuesFor(session, tuning)) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    session.search = startModulationSearch(session.settings.order, rememberedModulation(session.memory, tuning),
                                           tuning.symbolRate, cardClockMs());
    const SwitchChoice choice = session.settings.switchSetting.choice;
    const bool singleCable = session.settings.singleCable.asked;
    session.means = switchMeansOf(session.graph, choice);
    HRESULT result = S_OK;
    SwitchRoute route = NoSwitchAsked;
    do {
        route = switchRouteAfter(session.values.switchPort, route, session.means, choice);
        if (singleCable && !singleCableRouteRefusal(route).empty())
            return refuseSingleCable(session, singleCableRouteRefusal(route));
        if (route == SwitchUnreachable) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        result = tryRoute(session, route);
    } while (SUCCEEDED(result) && session.routeRefused);
    session.started = SUCCEEDED(result);
    if (!session.started) return result;
    session.served = route;
    session.retry = ScrRetry{cardClockMs(), false, false};
    session.trial = RouteTrial{cardClockMs(), NoSwitchAsked, route != SwitchByMaker};
    if (singleCable) {
        session.deviceAsked = true;
        session.deviceRoute = route;
        session.startText = bdaStepsText(session.steps, session.values.carrierKHz);
    }
    return result;
}

static std::string transponderText(const CardTuning& tuning)
{
    const int port = switchPortFor(tuning.diseqcCode);
    return std::to_string(tuning.frequencyMHz) + (tuning.polarization == 0 ? " H " : " V ") +
           std::to_string(tuning.symbolRate) +
           (port == noSwitchPort ? "" : std::string(" on port ") + "ABCD"[port & 3]);
}

// The route that locked where the maker's set did not serves this tuner from now on.
static void keepRoute(BdaSession& session)
{
    const std::string word = switchWordFor(session.kept, NoMaker);
    const bool written = keepBdaSetting("switch", word);
    bdaLog(std::string(makerName(session.graph.maker)) + "'s property set was taken and locked nothing; " +
           transponderText(session.tuning) + " locked through the " + switchRouteText(session.kept, NoMaker) +
           (written ? ": bdacard.ini now says switch=" : ": bdacard.ini could not be written with switch=") + word);
    session.kept = NoSwitchAsked;
    session.lineChanged = true;
}

static SignalReading readNow(BdaSession& session)
{
    session.tunerModcod = ModcodWord();
    if (!session.started) return noSignal;
    if (callOnDriverThread(session.driver, readOnDriverThread, &session, readingTimeoutMs) != DriverCallDone)
        return noSignal;
    session.tunerModcod = session.lockedModcod;
    if (session.kept != NoSwitchAsked) keepRoute(session);
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

bool takeBdaBandShared(BdaSession& session) { return takeSectionBandShared(*session.sections); }

bool takeBdaCardLineChange(BdaSession& session)
{
    const bool changed = session.lineChanged;
    session.lineChanged = false;
    return changed;
}

std::string bdaSessionCardLine(const BdaSession& session, const std::string& card)
{
    BdaCardFacts facts;
    facts.served = session.served;
    facts.maker = session.graph.maker;
    facts.singleCable = session.settings.singleCable.asked;
    facts.refusal = session.refusal;
    facts.otherMaker = session.otherMaker;
    return bdaCardLine(card, facts);
}

void logBdaStart(const BdaSession& session)
{
    const BdaSingleCable& cable = session.settings.singleCable;
    if (!cable.asked) return;
    const std::string transponder = transponderText(session.tuning);
    if (!session.refusal.empty()) bdaLog("single cable refused for " + transponder + ": " + session.refusal);
    else if (session.started)
        bdaLog(transponder + " through " + singleCableWords(cable.setting) + " by " +
               switchRouteText(session.served, session.graph.maker) + ": " + session.startText);
}

HRESULT sendBdaMotor(BdaSession& session, const std::vector<MotorStep>& core, const MotorCommand& command,
                     std::string* refusal, std::string* sent)
{
    if (!driverThreadIdle(session.driver, tuneAllowanceMs)) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    const SwitchChoice choice = session.settings.switchSetting.choice;
    const SwitchMeans means = switchMeansOf(session.graph, choice);
    const BdaTuneValues supply = bdaMotorSupplyValues(session.tuning, session.started);
    // The measuring tune of a start that follows puts its own requests.
    session.started = false;
    releaseOnce(session.supplyRequest);
    HRESULT result = createTuneRequest(session.graph, supply, bdaModulationQpsk, bdaLnbSourceNotSet,
                                       session.settings.shape, &session.supplyRequest);
    // Route after route, as a switch port's, while the driver refuses what one needs.
    SwitchRoute route = NoSwitchAsked;
    while (SUCCEEDED(result)) {
        route = bdaMotorRoute(means, choice, route);
        *refusal = motorRouteRefusal(route);
        if (!refusal->empty()) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
        session.steps = bdaMotorSteps(core, command, route == SwitchByMaker, supply.lnb);
        *sent = bdaStepsText(session.steps, supply.carrierKHz) + " by " + switchRouteText(route, session.graph.maker);
        result = overran(callOnDriverThread(session.driver, carryOutSteps, &session, bdaStepsBoundMs(session.steps)));
        if (SUCCEEDED(result) && !session.routeRefused) return session.tuneResult;
    }
    return result;
}

// A single-cable device frees the user band for the other receivers on the cable.
static void powerOffDevice(BdaSession& session)
{
    if (!session.deviceAsked || !driverThreadIdle(session.driver, closeTimeoutMs)) return;
    session.steps =
        bdaSingleCableSteps(ScrReleaseSequence, session.plan, session.deviceRoute == SwitchByMaker, session.values.lnb);
    bdaLog("release: " + bdaStepsText(session.steps, session.values.carrierKHz));
    callOnDriverThread(session.driver, carryOutSteps, &session, bdaStepsBoundMs(session.steps));
}

bool closeBdaSession(BdaSession& session)
{
    powerOffDevice(session);
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
