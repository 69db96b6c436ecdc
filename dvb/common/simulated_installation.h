// The installation between a simulated frontend and the satellite, as the
// simulation file describes it: an LNB with a local oscillator for each
// band, the satellite's carriers, each with its own C/N, modulation and code
// rate, and the installation's faults. What the LNB does with them is the
// simulated frontend's (dvb/simulated/simulated_lnb.h). Platform-neutral.
//
// Lines of the simulation file (simulation.h):
//   lnb LOW [HIGH] [error KHZ [drift KHZ_PER_MIN]]  the LNB's local
//                    oscillators in MHz (9750 10600 unless told; one below
//                    7000, such as 5150, mixes from above, as C band LNBs do),
//                    each off by KHZ kHz (above its nominal frequency +),
//                    drifting by KHZ_PER_MIN a minute from the frontend's
//                    open (cardbase/sky/lnb_drift.h)
//   carrier ENTRY CN_DB [MODCOD] [stream TSID ONID]  a carrier of the
//                    satellite: ENTRY its downlink MHz, H or V and kS/s
//                    (11362H27500), CN_DB its C/N at the tuner; it locks when
//                    that is at least what MODCOD needs (DVB-S QPSK 3/4 unless
//                    MODCOD, such as S2-8PSK-2/3, names others); its PAT and SDT
//                    give TSID and ONID while it is locked
//   fault no-tone    the 22 kHz tone never reaches the LNB
//   fault no-18v     the LNB never sees 18 V: 13 V at most
//   fault port LETTERS  the switch's port (A, B, AA, BA, AB, BB, as Azimora's
//                    letters pick them) leads nowhere
// With an lnb or carrier line the frontend locks only the carriers (the
// timed lines, which tell one carrier's story, are not taken with them).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/margin/modcod.h"
#include "cardbase/sky/lnb_drift.h"

constexpr size_t simulatedCarriersLimit = 200;

struct SimulatedCarrier {
    uint32_t frequencyMHz = 0;  // downlink
    bool horizontal = true;
    uint32_t symbolRate = 0;  // kS/s
    int32_t carrierToNoiseMilliDb = 0;
    Modcod modcod{ModDvbS, ModQpsk, 3, 4};
    bool hasStream = false;
    uint16_t transportStreamId = 0;
    uint16_t originalNetworkId = 0;
};

struct SimulatedInstallation {
    bool present = false;  // an lnb or carrier line was given
    uint32_t lowOscillatorMHz = 9750;
    uint32_t highOscillatorMHz = 10600;
    LnbDrift drift;  // what the oscillators are off by
    std::vector<SimulatedCarrier> carriers;
    bool toneLost = false;      // fault no-tone
    bool eighteenLost = false;  // fault no-18v
    uint8_t deadPorts = 0;      // fault port: bit n for switch port n
};

// Reads an lnb, carrier or fault line (the words of it); false with
// `problem` set when it does not read.
bool parseInstallationLine(const std::vector<std::string>& words, SimulatedInstallation* installation,
                           std::string* problem);
