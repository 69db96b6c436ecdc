// The catalogue's lines as transponders with the orbital position their
// names end with ("[HotBird1-6   13.0e]=10723h29900;"): what the practice
// dish builds its sky from, and what a card compares the network's own word
// with. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CatalogueLine {
    std::string name;
    bool hasPosition;     // the name's last word is a position
    double longitudeDeg;  // east positive, valid with hasPosition
    int32_t frequencyMHz;
    int32_t polarization;  // 0 horizontal, 1 vertical, 3 neither letter
    int32_t symbolRate;    // kS/s, above 0
};

// "HotBird1-6   13.0e" -> 13, "AMC1   103.0w" -> -103: the last word of a
// catalogue name. False when it is not a position.
bool orbitalPosition(const std::string& name, double* longitudeDeg);

// The lines of the catalogue text whose parameters read ("[NAME]=FFFFFpRRRRR;"),
// in file order; the walk stops at a "[" without its "]" and ";".
std::vector<CatalogueLine> catalogueLines(const std::string& catalogueText);
