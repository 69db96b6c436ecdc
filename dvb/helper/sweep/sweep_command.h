// azimora-dvb --sweep: the band swept on the frontend worker, its progress
// said on stderr, then the report on stdout and the steps in --csv's file.
// A frontend that gives no level without a lock is said at once (by the
// table of known frontends, or from the first few steps) and not swept.
#pragma once
#include <csignal>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_options.h"

// The exit code; `stop` is set by a signal that ends the helper.
int runSweep(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop);
