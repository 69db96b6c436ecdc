// The sections the simulated stream carries, as the scenario gives them
// (bdasim_scenario.h): one repetition of its PAT, SDT and NIT, in the order
// they go out, each with the PID it comes on. Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/bda/bdasim_scenario.h"

constexpr uint32_t simSectionRepeatMs = 40;

struct SimSection {
    uint16_t pid;
    SectionBytes bytes;
};

// The transponder another receiver on a single-cable device asks for
// (scr-neighbour): 11800 MHz H, high band, position 1. Its stream has its
// own transport stream id (the scenario's plus one) and no NIT.
constexpr uint32_t simNeighbourTransponderKHz = 11800000;
constexpr uint32_t simNeighbourIfKHz = simNeighbourTransponderKHz - 10600000;

// The sections of the stream of the transponder at this carrier.
std::vector<SimSection> bdaSimSections(const BdaSimStream& stream, uint32_t carrierKHz = 0);

// Whether the stream carries its sections on the transponder at this carrier.
bool bdaSimCarriesSections(const BdaSimStream& stream, uint32_t carrierKHz);
