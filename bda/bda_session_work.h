// The session's work on the driver thread (bda_session_work.cpp): a
// route's steps carried out, and a reading with what each reading may set
// going (the modulation search's next attempt, a single-cable device's
// command once more, the trial of the route after a maker's set).
#pragma once
#include "bda/bda_session.h"

// The steps of a start on this route: through a single-cable device its
// sequence, else the switch's.
std::vector<BdaStep> bdaRouteSteps(const BdaSession& session, SwitchRoute route);

// Work for callOnDriverThread, on a BdaSession: carrying out session.steps
// (session.routeRefused and session.tuneResult say how it went), and one reading.
void carryOutSteps(void* session);
void readOnDriverThread(void* session);
