// A motorised dish under the catalogue's satellites (sky.h): a site, a dish
// on a motorised mount (motor_mount.h) and the transponder it is tuned to;
// what its tuner reads at a moment, and what each satellite gives in clear
// sky with the dish right on it. The simulators and the arc check's tests
// share it; it knows nothing of a card. For simulators and tests only.
// Platform-neutral; the caller supplies the time.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/sky/motor_mount.h"
#include "cardbase/sky/sky.h"

struct MotorSky {
    DishSite site{0.0, 0.0};
    double diameterM = 0.8;
    MotorMount mount;
    std::vector<Satellite> sky;
    bool tuned = false;
    int32_t frequencyMHz = 0;
    int32_t polarization = 0;  // 0 horizontal, 1 vertical
    int32_t symbolRate = 0;    // kS/s
    bool locked = false;
};

MotorSky newMotorSky(const DishSite& site, double diameterM, const MotorMountSetup& setup, std::vector<Satellite> sky,
                     uint32_t nowMs);
// A new tune: the demodulator searches again.
void motorSkyTune(MotorSky& dish, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate);

struct MotorSkyReading {
    bool locked = false;
    double carrierToNoiseDb = -99.0;  // as the demodulator estimates it, while locked
    double levelDbm = -99.0;          // the power in the channel, carrier and noise, with or without a lock
    int satellite = -1;               // the satellite carrying the transponder nearest the dish axis
    bool networkKnown = false;        // while locked: the stream's network names its position
    double networkLongitudeDeg = 0.0;
};
// What the tuner reads at `nowMs`; the lock moves on, with its hysteresis.
MotorSkyReading readMotorSky(MotorSky& dish, uint32_t nowMs);

// The C/N a satellite's transponder gives in clear sky with the dish's axis
// right on it and its feed turned right.
double clearSkyCarrierToNoiseDb(const MotorSky& dish, int satellite, int transponder);
