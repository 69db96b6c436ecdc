#include "bda/bda_route_trial.h"

SwitchRoute routeToTryAfterSet(int switchPort, const SwitchMeans& means, SwitchChoice choice, bool commandOnly)
{
    if (choice != SwitchAuto) return SwitchUnreachable;
    SwitchMeans later = means;
    later.maker = false;
    later.lnbSource = false;
    if (commandOnly) later.spaceRange = later.rangeProperty = false;
    return switchRouteAfter(switchPort, SwitchByMaker, later, choice);
}

RouteTrialTurn routeTrialAfterReading(RouteTrial& trial, bool locked, uint32_t nowMs, uint32_t roundMs)
{
    if (trial.over) return TrialWait;
    const bool roundOver = nowMs - trial.sinceMs >= roundMs;
    if (trial.trying == NoSwitchAsked) {
        // The set locked: it serves.
        if (locked) trial.over = true;
        return !locked && roundOver ? TrialBegin : TrialWait;
    }
    if (!locked && !roundOver) return TrialWait;
    trial.over = true;
    return locked ? TrialKeep : TrialBack;
}

void routeTrialBegun(RouteTrial& trial, SwitchRoute route, uint32_t nowMs)
{
    trial.sinceMs = nowMs;
    trial.trying = route;
    if (route == SwitchUnreachable || route == NoSwitchAsked) {
        trial.trying = NoSwitchAsked;
        trial.over = true;
    }
}
