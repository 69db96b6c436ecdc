// The LNB between a simulated frontend and the satellite (its installation
// as dvb/common/simulated_installation.h reads it): a local oscillator for
// each band, which the 22 kHz tone switches to its high band and the supply
// to horizontal (18 V) or vertical (13 V), behind a DiSEqC switch. What
// reaches the tuner is what the LNB really receives, so that installation
// faults play as they happen: a tone that never reaches the LNB (it stays on
// its low band), a supply that never reaches 18 V (it stays vertical), a
// switch port that leads nowhere. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>

#include "dvb/common/simulated_installation.h"

// What the frontend has sent towards the LNB lately.
enum SimulatedSupply : uint8_t { SupplyOff, Supply13, Supply18 };
struct LnbControl {
    SimulatedSupply supply = SupplyOff;
    bool toneOn = false;
    int switchPort = 0;  // a committed switch starts on its first port
    // A single-cable device drives the LNB itself: the cable's lost tone
    // and 18 V do not reach it (simulated_cable.h).
    bool viaSingleCable = false;
    // What the LNB's oscillators are off by now (its drift as of the latest request).
    int32_t oscillatorErrorKHz = 0;
};

// The switch port a DiSEqC committed command ("E0 10 38 Fx") selects, or
// -1 for another command; a tone burst picks the position alone.
int committedCommandPort(const uint8_t* message, size_t length);
int burstPort(int port, bool burstB);

// What the LNB brings to a tuner at this intermediate frequency: the
// downlink it came from and its polarization; false when nothing comes (no
// supply, or a switch port that leads nowhere).
bool lnbReception(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                  int64_t* downlinkKHz, bool* horizontal);

// The carrier's intermediate frequency through the LNB as controlled, its
// oscillator off as it is now, in Hz: where a tuner finds it.
int64_t carrierIntermediateHz(const SimulatedInstallation& installation, const LnbControl& control,
                              const SimulatedCarrier& carrier);

// The carrier that reaches a tuner at this intermediate frequency and
// symbol rate through the LNB as controlled, or -1: within 4 MHz of its
// downlink and 3 % of its symbol rate, of the polarization the supply gives.
int carrierReaching(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                    uint32_t symbolsPerSecond);

// Whether a carrier is strong enough for its modulation and code rate.
bool carrierLocks(const SimulatedCarrier& carrier);
