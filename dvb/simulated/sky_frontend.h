// The simulated frontend under its sky (dvb/common/simulated_sky.h): the
// transponder the LNB brings down at the tuned frequency, read from the
// shared sky where the motor points now (its lock, C/N and level); the
// positioner hearing the frontend's DiSEqC messages (nothing without the
// supply, a garbled one with the tone on), stopping where it stands when
// the supply goes; and the stream of the satellite locked, its network
// naming the satellite's position. The sky outlives the frontend's opens:
// a motor stays where it turned. Linux headers only; no system calls.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dvb/common/simulated_sky.h"
#include "dvb/simulated/kernel_demux.h"
#include "dvb/simulated/kernel_frontend.h"

struct SkyFrontend {
    SimulatedSky setup;
    MotorSky dish;
    uint64_t startMs = 0;  // the wall clock's moment at the sky's time 0
    int satellite = -1;    // the satellite locked at the latest reading, and its transponder
    int transponder = -1;
};

// The sky of a simulation with a motor line, its clock begun at `nowMs`.
std::shared_ptr<SkyFrontend> newSkyFrontend(const SimulatedSky& setup, const std::string& catalogueText,
                                            uint64_t nowMs);
// Whether a sky kept from an earlier open serves this simulation.
bool sameSky(const SkyFrontend& sky, const SimulatedSky& setup);

// What the tuner reads now, through the LNB as the frontend controls it.
SimulatedSignal skySignalNow(const SimulatedFrontend& frontend, uint64_t nowMs);
// A DiSEqC message reaching the positioner: a trace line ("motor moves",
// "motor garbled") for one meant for it.
void skyHearsMessage(SimulatedFrontend& frontend, const uint8_t* bytes, size_t length, uint64_t nowMs);
// The supply went off: the motor stops where it stands.
void skyUnpowered(SimulatedFrontend& frontend, uint64_t nowMs);
// The sections of the satellite locked (`satellite` as skySignalNow left
// it): its transponder's PAT and SDT, and its network's NIT with its position.
std::vector<SimulatedSection> skySections(const SkyFrontend& sky);
// The demux's sections those of the satellite locked now, built again when it is another.
void followSky(SimulatedDemux& demux, const SkyFrontend& sky);
// Where the motor stands, in the sky's time now.
double skyMotorAngle(const SkyFrontend& sky, uint64_t nowMs);
