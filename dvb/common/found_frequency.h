// Which drivers give back the frequency they found the carrier at: after a
// lock the kernel asks the driver's get_frontend for DTV_FREQUENCY, and a
// driver that fills it in gives the carrier's own intermediate frequency,
// on its own step; one without (or whose get_frontend leaves the frequency
// be) gives back what the tune set, to the kHz. Read from Linux 6.1's
// drivers (drivers/media/dvb-frontends, each function named in the .cpp),
// looked up by name as every table of known frontends is: the helper asks
// only a driver that may give it, and the simulated frontend acts each one
// out. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

struct FoundFrequencyDriver {
    const char* nameContains;  // nullptr: not in the table
    bool givesFound;
    // The step of the offset it adds to the frequency asked (or to its
    // tuner's), in Hz, each system's: the offset goes down to a whole
    // number of steps, and then to whole kHz, both towards zero, as the
    // driver's integer arithmetic does.
    uint32_t dvbsStepHz;
    uint32_t dvbs2StepHz;
};

// The table's row whose text the name contains, the first that matches;
// for a frontend not in it, one that gives the found frequency to the kHz
// (the simulated frontend's own, and what the helper must find out).
FoundFrequencyDriver foundFrequencyDriverFor(const std::string& frontendName);

// What the driver gives back as DTV_FREQUENCY while locked, in kHz, for a
// carrier found `offsetHz` from the frequency asked.
uint32_t reportedFrequencyKHz(const FoundFrequencyDriver& driver, bool dvbs2, uint32_t askedKHz, int64_t offsetHz);
