// azimora-dvb --survey: the catalogue, the --transponders file and the
// start read, the frontend opened through the worker, the survey run and
// told (a line per transponder as it goes, the table, what the pattern of
// failures means, a stale catalogue transponder and its replacement), every
// entry appended to the record ($XDG_DATA_HOME/azimora) and to the --csv
// file as it comes, and --update-catalogue's file rewritten (the old one
// kept as FILE.bak first). POSIX files.
#pragma once
#include <csignal>
#include <functional>
#include <string>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_options.h"

// The exit code (exit_codes.h). `cardName`: the frontend's name once it is
// open, for the record's entries.
int surveyCommand(const HelperOptions& options, FrontendWorker& worker, const std::function<std::string()>& cardName,
                  const volatile sig_atomic_t* stop);
