// The packer for the "QZ" container: optimal parsing over exact bit costs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/qzpack/match_finder.h"

struct PackSettings {
    int passes = 4;    // parse rounds, each re-priced with the previous round's literal widths and offset bits
    int arrivals = 8;  // ways of reaching a position kept by the parse, 1 to 64
    MatchSearchSettings search;
};

// A complete container (header with the checksum, then the stream) that
// unpackImage turns back into data[0, length).
std::vector<uint8_t> packImage(const uint8_t* data, size_t length, const PackSettings& settings = PackSettings());
