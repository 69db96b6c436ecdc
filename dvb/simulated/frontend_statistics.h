// The statistics a simulated frontend answers: its v5 properties (C/N and
// strength, in whichever form the simulation gives them, or a driver's own
// arithmetic) and the older FE_READ_SNR and FE_READ_SIGNAL_STRENGTH, for
// the signal it has now. Linux headers only; no system calls.
#pragma once
#include <cstdint>
#include <linux/dvb/frontend.h>

#include "dvb/simulated/kernel_frontend.h"

// dvb-core's own answer to a request the driver has no operation for.
constexpr int kernelNotSupported = 524;

// DTV_API_VERSION: 5.9 for a frontend without v5 statistics, else 5.11.
uint32_t simulatedApiVersion(const Simulation& simulation);
// One DTV_STAT_* property.
void fillSimulatedStatistic(dtv_property& property, const SimulatedFrontend& frontend, const SimulatedSignal& signal);
// FE_READ_SNR (`snr`) or FE_READ_SIGNAL_STRENGTH: 0, or a negative errno.
int simulatedOlderFigure(SimulatedFrontend& frontend, bool snr, const SimulatedSignal& signal, uint16_t* value);
