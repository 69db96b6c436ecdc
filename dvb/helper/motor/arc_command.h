// azimora-dvb --arc: the arc check (cardbase/motor/arc_check.h) carried out
// through the frontend worker: each GotoX with its steps, the waits in the
// sky's time (on a simulated sky with its own clock, shorter on the wall),
// each satellite's catalogue transponder tuned as the program would, a
// reading taken whenever the check asks for one, the question at the dish
// asked on the terminal (a key: y or n). A line per satellite as it goes,
// then the picture of the arc and the verdict; each satellite an entry of
// the record (its readings at its peak), and with --csv a line per
// satellite. On a simulated sky the helper knows each satellite's clear-sky
// C/N; on a real dish none is known, and the check finds each satellite
// along the arc only.
#pragma once
#include <csignal>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_options.h"

int runArcCommand(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop);
