#include "dvb/helper/sweep/sweep_options.h"

static const char* const valueOptions[] = {"--band", "--polarisation", "--lnb", "--step"};

bool sweepOptionTakesValue(const std::string& name)
{
    for (const char* option : valueOptions)
        if (name == option) return true;
    return false;
}

bool isSweepOption(const std::string& name)
{
    return name == "--sweep" || name == "--try" || sweepOptionTakesValue(name);
}

bool takeSweepOption(const std::string& name, const std::string& value, SweepOptions* options, std::string* error)
{
    SweepRequest& request = options->request;
    std::string problem;
    bool ok = true;
    if (name == "--sweep") options->sweep = true;
    else if (name == "--try") request.tryPeaks = true;
    else if (name == "--band") ok = parseSweepBand(value, &request.band, &problem);
    else if (name == "--polarisation") ok = parseSweepPolarization(value, &request.polarization, &problem);
    else if (name == "--lnb") ok = parseSweepLnb(value, &request.oscillatorMHz, &problem);
    else if (name == "--step") ok = parseSweepStep(value, &request.stepMHz, &problem);
    if (!ok) {
        *error = name + ": " + problem;
        return false;
    }
    if (name != "--sweep") options->lastOne = name;
    return true;
}

bool checkSweepOptions(const SweepOptions& options, std::string* error)
{
    if (options.sweep || options.lastOne.empty()) return true;
    *error = options.lastOne + " goes with --sweep";
    return false;
}
