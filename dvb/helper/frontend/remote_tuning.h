// A frontend behind dvbv5-daemon takes no LNB supply, tone or DiSEqC
// requests of its own: libdvbv5 on the daemon's side drives them from an
// LNB of its table, a satellite number and the polarization. This picks
// those so that the daemon's rules give what the program's plan asks, and
// says what they will do where they differ. Platform-neutral.
//
// The LNB is always libdvbv5's "EXTENDED" (9750 MHz below 11700 MHz, 10600
// above), and the frequency given is the oscillator plus the plan's
// intermediate frequency, so that libdvbv5 derives the plan's band and
// intermediate frequency for Ku and C band alike (at exactly 11700 MHz it
// would take the low band, so the high band is asked 1 kHz above it).
// Its own rules differ for switch ports "AB" and "BB": 13 V and no tone
// whatever the polarization and band, and for ports "A" and "B" it sends a
// tone burst after the DiSEqC command.
#pragma once
#include <cstdint>

#include "cardbase/frontend_plan.h"

extern const char remoteLnbName[];

struct RemoteTuning {
    int satelliteNumber;    // -1: no DiSEqC; else the committed switch port
    bool horizontal;        // the polarization libdvbv5 is told
    uint32_t frequencyKHz;  // what libdvbv5 is given; 0 when its LNB cannot reach the plan's frequency
    // What libdvbv5 then does on the daemon's side.
    LnbVoltage voltage;
    bool toneOn;
    bool sendsDiseqc;
    uint8_t diseqc[4];
    uint32_t intermediateKHz;
};

RemoteTuning remoteTuningFor(const FrontendPlan& plan);
