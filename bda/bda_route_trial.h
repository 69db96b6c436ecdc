// A maker's property set that a driver takes and ignores: the start goes
// through it, no refusal comes, and the switch stays where it was. Where
// nothing has locked through the set within a round of the modulation
// search, the next route that carries the port (never the LNB source,
// whose tune requests are another start's) is tried for a round of its
// own: where it locks the transponder the set did not, on the same port,
// the bridge keeps it for that tuner (bdacard.ini's "switch=", a line in
// the log); where it does not, the set serves again, since no lock alone
// is a reason to leave it (a dish not yet aligned locks nothing). One
// trial a start. Platform-neutral.
#pragma once
#include <cstdint>

#include "bda/bda_tuning.h"

struct RouteTrial {
    uint32_t sinceMs = 0;                // the start, then the trial's begin
    SwitchRoute trying = NoSwitchAsked;  // the route on trial, if any
    bool over = false;                   // this start has had its trial, or needs none
};

// The route to try after a set that did not lock: the next that carries
// the port and needs no tune requests of its own; SwitchUnreachable when
// there is none, or where bdacard.ini names the route. `commandOnly` for a
// single-cable device, which only a command reaches.
SwitchRoute routeToTryAfterSet(int switchPort, const SwitchMeans& means, SwitchChoice choice, bool commandOnly);

enum RouteTrialTurn : uint8_t {
    TrialWait,   // nothing to do
    TrialBegin,  // carry out the route's steps (then routeTrialBegun)
    TrialKeep,   // the route on trial locked: keep it
    TrialBack,   // it did not: the set's steps again
};
// After a reading of a start through the maker's set; `roundMs` is one
// round of the modulation search.
RouteTrialTurn routeTrialAfterReading(RouteTrial& trial, bool locked, uint32_t nowMs, uint32_t roundMs);
void routeTrialBegun(RouteTrial& trial, SwitchRoute route, uint32_t nowMs);
