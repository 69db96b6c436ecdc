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

std::vector<SimSection> bdaSimSections(const BdaSimStream& stream);

// Whether the stream carries its sections on the transponder at this carrier.
bool bdaSimCarriesSections(const BdaSimStream& stream, uint32_t carrierKHz);
