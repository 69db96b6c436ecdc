// azimora-dvb's motor commands (--goto SAT, --goto-angle, --drive, --halt,
// --limit, --store, --goto-stored): the order decided first (a refusal
// ends it with exit code 2, nothing sent), then the command with its steps
// on the frontend worker, 18 V held while the motor turns until its
// estimated arrival (the supply let go would stop it), and for --goto SAT
// the catalogue's transponder of the satellite tuned, its lock said (no
// lock is no failure). Exit code 0 once sent.
#pragma once
#include <csignal>

#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_options.h"

int runMotorCommand(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop);

// The satellite.ini of --catalogue, else the one Azimora ships; false with
// the complaint said when the file cannot be read.
bool motorCatalogueText(const HelperOptions& options, std::string* text);
// The positioner's command on the worker, waited for (a signal ends the
// wait); false with `reason` set when it did not go out.
bool sendMotorCommand(FrontendWorker& worker, const MotorCommand& command, volatile sig_atomic_t* stop,
                      std::string* reason);
// How many times as fast as the wall's the motor's clock runs: 1, but on a
// simulated sky with a clock of its own.
uint32_t motorClockOf(const HelperOptions& options);
// Waits `ms` of the motor's time, cut short by a signal; false when cut short.
bool waitMotorMs(uint32_t ms, uint32_t clock, volatile sig_atomic_t* stop);
