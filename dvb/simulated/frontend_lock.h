// Whether the simulated frontend locks what it was tuned to, as its
// driver's personality has it: the system, modulation, roll-off and code
// rate a tune named against the transponder's (or, through an
// installation, the carrier's the LNB brings), the time it takes to
// acquire, and what a driver that reads back what it locked gives. Linux
// headers only; no system calls.
#pragma once
#include <cstdint>

#include "dvb/simulated/kernel_frontend.h"

// The kernel's number of a simulated delivery system.
uint32_t kernelSystemOf(SimulatedSystem system);
// A code rate as the kernel numbers it, named ("3/4"); "" for an automatic
// or unknown one.
const char* kernelCodeRateName(uint32_t fec);

// The signal at the tuner now: locked with its C/N, or not.
SimulatedSignal simulatedSignalNow(const SimulatedFrontend& frontend, uint64_t nowMs);
// What a driver that reads back what it locked gives: the transponder's own
// system, modulation and code rate.
void simulatedLockedValues(const SimulatedFrontend& frontend, uint32_t* system, uint32_t* modulation, uint32_t* fec);
// What DTV_FREQUENCY gives back now: while locked to a carrier of the
// installation straight through the LNB, the carrier's own intermediate
// frequency as the driver the name makes it (dvb/common/found_frequency.h)
// reports it; else what the tune set.
uint32_t simulatedFrequencyKHz(const SimulatedFrontend& frontend, uint64_t nowMs);
