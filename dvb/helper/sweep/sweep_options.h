// azimora-dvb's options of a band sweep: --sweep with --band low|high,
// --polarisation H|V, --lnb universal|LO_MHZ, --step MHZ and --try (the
// switch letters and the CSV file come with --switch and --csv, which the
// survey has too: helper_options.cpp). Platform-neutral.
#pragma once
#include <string>

#include "cardbase/sweep/sweep_plan.h"

struct SweepOptions {
    bool sweep = false;
    SweepRequest request;
    std::string lastOne;  // the latest of the sweep's own options given, for a complaint
};

// Whether the option is one of the sweep's, and whether it takes a value.
bool isSweepOption(const std::string& name);
bool sweepOptionTakesValue(const std::string& name);
// Takes one of the sweep's options; false with `error` set for the user.
bool takeSweepOption(const std::string& name, const std::string& value, SweepOptions* options, std::string* error);
// After all options: the sweep's own go with --sweep. False with `error` set.
bool checkSweepOptions(const SweepOptions& options, std::string* error);
