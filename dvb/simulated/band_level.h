// The level a simulated frontend's tuner reads through its installation
// (simulated_lnb.h), lock or no lock: the noise of a channel as wide as the
// tuned symbol rate asks (cardbase/sweep/carrier_spectrum.h), and every
// carrier the LNB passes, as much of its power as falls in the channel at
// its C/N over that noise; so a sweep shows each carrier as a hump of its
// bandwidth. Platform-neutral.
#pragma once
#include <cstdint>

#include "dvb/simulated/simulated_lnb.h"

// The LNB's noise at the tuner, and the tuner's own where no LNB answers.
constexpr double lnbNoiseDbmPerMHz = -68.0;
constexpr double tunerNoiseDbmPerMHz = -100.0;

// In 0.001 dBm.
int32_t installationLevelMilliDbm(const SimulatedInstallation& installation, const LnbControl& control,
                                  uint32_t intermediateKHz, uint32_t symbolsPerSecond);
