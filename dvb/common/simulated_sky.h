// A simulated frontend's sky, as the simulation file sets it
// (simulation.h): a dish on a motorised mount at a site, under the
// catalogue's satellites, each with its clear-sky C/N (the shared sky of
// cardbase/sky/motor_sky.h, which the practice dish has too). The
// frontend's C/N and level then follow where the motor points, and the
// positioner takes its commands through the frontend's DiSEqC. Both the
// simulated frontend and azimora-dvb read it: the helper, simulating,
// knows each satellite's clear-sky C/N (the arc check's reference) and the
// sky's clock. Platform-neutral.
//
// Lines of the simulation file:
//   motor declination D elevation E azimuth A zero Z speed S limit L at H
//                    the mount, its adjustments' errors (degrees, positive
//                    meaning too much, east or up), the motor's speed,
//                    end stops and where it stands (cardbase/sky/motor_mount.h);
//                    with it the frontend's carriers are the sky's, and
//                    carrier lines are refused
//   site LAT LON     the dish's site, degrees north and east (51.5 -0.13 unless told)
//   diameter METRES  the dish's diameter, 0.2 to 10 (0.8 unless told)
//   clock N          the sky's clock runs N times as fast as the wall's (1 to
//                    100): the motor turns and the sky fades N times as fast,
//                    and azimora-dvb, simulating, waits out the motor and the
//                    arc check's pauses N times shorter
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/sky/motor_sky.h"

struct SimulatedSky {
    bool present = false;  // a motor line was given
    MotorMountSetup mount;
    DishSite site{51.5, -0.13};
    double diameterM = 0.8;
    uint32_t clock = 1;
};

// Reads a motor, site, diameter or clock line (its words); false with
// `problem` set when it does not read.
bool parseSkyLine(const std::vector<std::string>& words, SimulatedSky* sky, std::string* problem);
bool isSkyLine(const std::string& firstWord);

// The dish under the catalogue's satellites (the catalogue's text, as
// satellite.ini has it), its motor where the motor line puts it, at the
// sky's time 0.
MotorSky simulatedMotorSky(const SimulatedSky& sky, const std::string& catalogueText);

// The sky's time at `nowMs` of a wall clock, its clock begun at `startMs`.
uint32_t skyTimeMs(const SimulatedSky& sky, uint64_t startMs, uint64_t nowMs);

// What the satellite at `longitudeDeg` gives in clear sky on that
// transponder of its own (not a neighbour's look-alike), the dish right on
// it; NaN where the sky has no such satellite or transponder.
double skyClearCarrierToNoiseDb(const MotorSky& dish, double longitudeDeg, int32_t frequencyMHz, int32_t polarization,
                                int32_t symbolRate);
