// What azimora-dvb knows of the simulated frontend's sky when it simulates
// one (--simulate FILE with a motor line, dvb/common/simulated_sky.h): the
// sky's clock, by which it waits out the motor and the arc check's pauses,
// and each satellite's clear-sky C/N, the arc check's reference, which a
// real dish needs from a measurement of its own. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "dvb/common/simulated_sky.h"

// The sky of the simulation file (false, and the sky untouched, without
// one, or where the file does not read).
bool simulatedSkyOf(const std::string& simulatePath, SimulatedSky* sky);
