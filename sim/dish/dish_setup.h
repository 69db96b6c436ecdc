// How the simulated dish starts: where it stands, its size, where it
// points and which DiSEqC ports reach its LNB. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/pointing/look_angles.h"
#include "cardbase/single_cable_device.h"
#include "cardbase/sky/lnb_drift.h"
#include "cardbase/sky/motor_mount.h"

// DiSEqC codes as bits: code 0 (no switch) and 1 (port A) reach the one
// combined C/Ku LNB; B and the cascaded ports are left empty.
constexpr uint32_t diseqcPortBit(int32_t code) { return code >= 0 && code < 32 ? 1u << code : 0u; }
constexpr uint32_t defaultLnbPorts = diseqcPortBit(0) | diseqcPortBit(1);
// The tuner measures its level and its demodulator its C/N this often,
// unless a scenario's "refresh MS" says otherwise.
constexpr uint32_t defaultDishRefreshMs = 100;

struct DishSetup {
    bool enabled = false;  // the dish answers the signal calls
    bool window = false;   // and shows its steering window
    DishSite site{55.75, 37.62};
    double diameterM = 0.8;
    // Due south, low: near the arc but on no satellite.
    DishPointing pointing{180.0, 20.0, 0.0};
    bool aimed = false;  // point exactly at the satellite at aimLongitudeDeg
    double aimLongitudeDeg = 0.0;
    uint32_t lnbPorts = defaultLnbPorts;
    LnbDrift lnbDrift;  // what the LNB's oscillators are off by ("lnb ... error KHZ")
    // Installation faults: the 22 kHz tone never reaches the LNB (it stays
    // on its low band), or its supply never reaches 18 V (it stays vertical).
    bool toneLost = false;
    bool eighteenLost = false;
    // A single-cable device between the LNB and the card, and another
    // receiver on its cable ("scr-device", "scr-neighbour").
    ScrDeviceSetup singleCable;
    uint32_t refreshMs = defaultDishRefreshMs;
    // A motorised mount ("motor ..."): the dish then points where its motor
    // turns it, and "aim" is where the motor stands at the start.
    MotorMountSetup motor;
};
