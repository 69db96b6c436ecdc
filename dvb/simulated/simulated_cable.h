// A single-cable device between the simulated frontend and its LNB, as the
// simulation file's scr-device and scr-neighbour lines set it up, acted out
// by the device model every simulator shares (cardbase/single_cable_device.h):
// the demodulator, tuned to a frequency of the cable, sees what the device
// has put on the user band there (nothing without a command), through the
// LNB as the device drives it for that transponder (the receiver's tone and
// supply reach only the device); its level is the level of that user band,
// and after E0 10 5B 00 00 a tone at every user band's centre. What the
// device hears, and how long after the supply rose to 18 V, goes to the
// frontend's trace, and so does the 13 V after a command and another
// receiver taking a band:
//   scr-device: tuned, 15 ms after 18 V
//   scr-device: 13 V 50 ms after the command
//   scr-device: another receiver took user band 1
// Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>

#include "dvb/simulated/kernel_frontend.h"

// A tone's level on the cable, where the device shows its user bands, and
// the width its own noise gives it.
constexpr double scrToneDbm = -45.0;
constexpr double scrToneWidthMHz = 0.2;

// The installation's carrier the demodulator at `cableKHz` meets through
// the device, or -1.
int scrCarrierReaching(const SimulatedFrontend& frontend, uint32_t cableKHz, uint32_t symbolsPerSecond);
// The level read at `cableKHz`, in 0.001 dBm.
int32_t scrLevelMilliDbm(const SimulatedFrontend& frontend, uint32_t cableKHz, uint32_t symbolsPerSecond);

// A DiSEqC message on the cable, as the device hears it at the supply and
// tone the frontend gives now.
void scrMessage(SimulatedFrontend& frontend, const uint8_t* message, size_t length, uint64_t nowMs);
// The supply just set (after frontend.lnb.supply changed).
void scrSupplySet(SimulatedFrontend& frontend, SimulatedSupply before, uint64_t nowMs);
// Another receiver on the cable, at its own times.
void scrNeighbourActs(SimulatedFrontend& frontend, uint64_t nowMs);
