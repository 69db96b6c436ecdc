// A DVB-S/S2 frontend as the kernel's DVB v5 interface presents one: it
// answers the frontend ioctl requests (information, properties, status,
// statistics, LNB supply, tone and DiSEqC) from a Simulation, so that the
// library above it runs unchanged. Linux headers only; no system calls.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cardbase/single_cable_device.h"
#include "dvb/common/simulation.h"
#include "dvb/simulated/simulated_lnb.h"

struct SkyFrontend;

struct SimulatedFrontend {
    Simulation simulation;
    // What the frontend holds, in the kernel's terms.
    uint32_t deliverySystem = 0;
    uint32_t frequencyKHz = 0;
    uint32_t symbolRate = 0;
    uint32_t innerFec = 0;
    uint32_t inversion = 0;
    uint32_t modulation = 0;
    uint32_t pilot = 0;
    uint32_t rolloff = 0;
    uint32_t streamId = 0;
    bool tuned = false;
    uint32_t tunedSystem = 0;
    uint32_t tunedModulation = 0;
    uint32_t tunedRolloff = 0;
    uint32_t tunedInnerFec = 0;
    uint64_t searchedAtMs = 0;  // the latest tune of any kind: the search starts again
    uint32_t tunedFrequencyKHz = 0;
    uint32_t tunedSymbolRate = 0;
    uint64_t tunedAtMs = 0;   // the latest tune to another frequency or symbol rate
    LnbControl lnb;           // the supply, tone and switch port sent towards the LNB
    uint64_t openedAtMs = 0;  // the LNB's drift counts from here
    // The single-cable device between them, where the simulation has one (simulated_cable.h).
    ScrDevice scr;
    uint64_t scrSupply18AtMs = 0;    // when the supply last rose to 18 V
    uint64_t scrCommandAtMs = 0;     // when the device last heard a command
    bool scrCommandPending = false;  // heard at 18 V, the supply not lowered since
    int scrNeighbourCarrier = -1;    // the carrier another receiver asks for, once chosen
    // A motorised dish under the catalogue's satellites (sky_frontend.h), for
    // a simulation with a motor line: kept across opens by whoever opens it.
    std::shared_ptr<SkyFrontend> sky;
    // With dont-poll: the v5 strength as the latest FE_READ_SIGNAL_STRENGTH measured it.
    bool strengthHeld = false;
    int64_t heldStrengthMilliDb = 0;
    // One line per request that reaches the hardware: "voltage 18",
    // "tone on", "diseqc E0 10 38 FB", "burst A",
    // "tune DVB-S2 auto/auto 1645000 27500000" (the system, the modulation and
    // roll-off, the frequency in kHz, the symbol rate; then " fec 3/4" where
    // a code rate was named); under a sky, what the positioner made of a
    // message meant for it ("motor moves").
    std::vector<std::string> trace;
};

// A frontend fresh from open() at `openedAtMs`, as the simulation describes it.
SimulatedFrontend newSimulatedFrontend(const Simulation& simulation, uint64_t openedAtMs = 0);

// Answers one ioctl request: 0, or a negative errno. `argument` is the
// request's third argument (a pointer, or a value for the SEC requests).
int simulatedFrontendIoctl(SimulatedFrontend& frontend, unsigned long request, void* argument, uint64_t nowMs);

// Whether it is locked now: what the demux beside it delivers depends on it.
bool simulatedFrontendLocked(const SimulatedFrontend& frontend, uint64_t nowMs);
// The installation's carrier it is locked to now, or -1 (and always -1
// without an installation): its own stream goes to the demux.
int simulatedLockedCarrier(const SimulatedFrontend& frontend, uint64_t nowMs);

// How long the request takes at `nowMs` (the simulation's "slow" for
// readings, "slow all" for any, and the rest of a search under way).
uint32_t simulatedDelayMs(const SimulatedFrontend& frontend, unsigned long request, uint64_t nowMs);

// The kernel's frontend thread rests this long between searches while unlocked.
constexpr uint32_t searchRestMs = 500;

// The name the frontend reports.
extern const char simulatedFrontendName[];
