// azimora-dvb --survey: the catalogue, the --transponders file and the
// start read, the frontend opened through the worker, the survey run and
// told (a line per transponder as it goes, the table, what the pattern of
// failures means, a stale catalogue transponder and its replacement), the
// CSV written line by line, and --update-catalogue's file rewritten (the old
// one kept as FILE.bak first). POSIX files.
#pragma once
#include <csignal>

#include "dvb/helper/frontend_worker.h"
#include "dvb/helper/helper_options.h"

// The exit code (exit_codes.h).
int surveyCommand(const HelperOptions& options, FrontendWorker& worker, const volatile sig_atomic_t* stop);
