#include "bda/bda_session_work.h"

#include "cardbase/card_clock.h"

// Readings are ten a second: a demodulator that has not said what it locked is asked again each second.
static constexpr uint32_t modcodAskEvery = 10;

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
    case BdaStepRaiseSupply:
        session.tuneResult = putLnbOscillators(graph, step.lnb);
        if (SUCCEEDED(session.tuneResult))
            session.tuneResult =
                step.kind == BdaStepTune ? tuneCurrentAttempt(session) : putTuneRequest(graph, session.supplyRequest);
        session.tunedAtMs = cardClockMs();
        return SUCCEEDED(session.tuneResult);
    case BdaStepSettle: waitUntil(session.tunedAtMs, step.ms); return true;
    case BdaStepPause: Sleep(step.ms); return true;
    case BdaStepEnableCommands: session.routeRefused = !enableSwitchCommands(graph); break;
    case BdaStepCommand:
        session.routeRefused = !sendSwitchCommand(graph, step.command, step.commandLength) && step.required;
        break;
    case BdaStepMakerCommand:
        session.routeRefused = !sendMakerCommand(graph, step.command, step.commandLength) && step.required;
        break;
    // The command has served the switch already: a driver without bursts is no reason to fail.
    case BdaStepToneBurst: sendToneBurst(graph, step.burstB); return true;
    case BdaStepMakerBurst: sendMakerBurst(graph, step.burstB); return true;
    // The tune that follows sets the tone as well, for a driver that refuses it here.
    case BdaStepMakerTone: sendMakerTone(graph, step.toneOn); return true;
    case BdaStepSpaceRange:
        session.routeRefused = FAILED(putSpaceInputRange(graph, step.rangeText)) && step.required;
        break;
    case BdaStepRangeProperty: session.routeRefused = !putRangeProperty(graph, step.range); break;
    }
    return !session.routeRefused;
}

void carryOutSteps(void* context)
{
    BdaSession& session = *static_cast<BdaSession*>(context);
    session.routeRefused = false;
    session.tuneResult = S_OK;
    for (const BdaStep& step : session.steps)
        if (!carryOut(session, step)) return;
}

std::vector<BdaStep> bdaRouteSteps(const BdaSession& session, SwitchRoute route)
{
    if (session.settings.singleCable.asked)
        return bdaSingleCableSteps(ScrStartSequence, session.plan, route == SwitchByMaker, session.values.lnb);
    return bdaStartSteps(session.values, route, session.settings.rangeForms);
}

// Within 68-118 ms, as another receiver's may be anywhere in it.
static uint32_t randomNumber()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t value = static_cast<uint64_t>(counter.QuadPart);
    return static_cast<uint32_t>(value ^ value >> 13 ^ value >> 29);
}

static void carryOutRoute(BdaSession& session, SwitchRoute route)
{
    session.steps = bdaRouteSteps(session, route);
    carryOutSteps(&session);
}

static SwitchChoice choiceKeeping(SwitchRoute route)
{
    return route == SwitchByCommand     ? SwitchOnlyCommand
           : route == SwitchByLnbSource ? SwitchOnlyLnbSource
                                        : SwitchOnlyRange;
}

// The trial of the route after a maker's set that locked nothing in a round of the search.
static void tryRouteAfterSet(BdaSession& session, bool locked, uint32_t nowMs)
{
    if (session.served != SwitchByMaker) return;
    const SwitchChoice choice = session.settings.switchSetting.choice;
    const uint32_t roundMs = session.search.waitMs * static_cast<uint32_t>(session.search.order.count);
    switch (routeTrialAfterReading(session.trial, locked, nowMs, roundMs)) {
    case TrialWait: break;
    case TrialBegin: {
        const bool commandOnly = session.settings.singleCable.asked;
        const SwitchRoute route = routeToTryAfterSet(session.values.switchPort, session.means, choice, commandOnly);
        routeTrialBegun(session.trial, route, nowMs);
        if (session.trial.over) break;
        carryOutRoute(session, route);
        if (!session.routeRefused) break;
        session.trial.over = true;
        carryOutRoute(session, SwitchByMaker);
        break;
    }
    case TrialKeep:
        session.served = session.trial.trying;
        session.kept = session.trial.trying;
        if (session.deviceRoute == SwitchByMaker) session.deviceRoute = session.served;
        session.settings.switchSetting.choice = choiceKeeping(session.served);
        session.settings.switchSetting.maker = NoMaker;
        break;
    case TrialBack: carryOutRoute(session, SwitchByMaker); break;
    }
}

void readOnDriverThread(void* context)
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
    const uint32_t nowMs = cardClockMs();
    const bool movesOn = modulationSearchMovesOn(session.search, statistics.locked, nowMs);
    // The command once more ends with the tune of the attempt whose turn it is.
    if (session.settings.singleCable.asked &&
        scrRetryDue(session.retry, statistics.locked, nowMs, session.search.waitMs)) {
        session.steps = bdaSingleCableSteps(ScrRetrySequence, session.plan, session.served == SwitchByMaker,
                                            session.values.lnb, randomNumber());
        carryOutSteps(&session);
    } else if (movesOn) {
        tuneCurrentAttempt(session);
    }
    tryRouteAfterSet(session, statistics.locked, nowMs);
}
