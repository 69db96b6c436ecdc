// The network each simulated satellite broadcasts: what a learner's dish
// tells about where it points, as a real network's own table would. A
// satellite also carries the catalogue's transponders of its close
// neighbours (frequency plans repeat from one satellite to the next), so
// that a dish a few degrees off can lock on the wrong satellite, as it does
// on a real roof. Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/network/network_identity.h"
#include "cardbase/sky/sky.h"

// Satellites this close share their catalogue transponders.
constexpr double lookalikeSpanDeg = 4.5;
// A network repeats its table at least every 10 s; the simulated one is
// read this long after the lock.
constexpr uint32_t simulatedNetworkDelayMs = 1200;

// Adds to each satellite, after its own, the catalogue transponder (the
// first in its list) of every other satellite within lookalikeSpanDeg.
void addLookalikeTransponders(std::vector<Satellite>& sky);

// The identity the satellite's network gives: its catalogue name without the
// position, an id of its own, its position and the list of its transponders.
NetworkIdentity satelliteNetwork(const Satellite& satellite);
