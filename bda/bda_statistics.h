// How a BDA tuner's signal statistics become the card's readings. A BDA driver reports its statistics per control node
// (IBDA_SignalStatistics): the RF tuner node knows the carrier's strength,
// the demodulator node the lock and the quality of what it decodes; any
// figure may be missing, and none of them is an s/n in dB. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/signal_scale.h"

enum BdaNodeRole : uint8_t { RfTunerNode, DemodulatorNode, OtherNode };

// One node's figures; a figure whose call failed is missing.
struct BdaNodeStatistics {
    BdaNodeRole role = OtherNode;
    bool hasLocked = false;
    bool locked = false;
    bool hasQuality = false;
    int32_t quality = 0;  // percent
    bool hasStrength = false;
    int32_t strength = 0;  // percent for most drivers (the documented unit is mdB about a nominal level)
};

// Lock: the demodulator's if one reports it, else any node's; a tuner
// reporting no lock at all counts as locked while it has a quality above 0.
// Quality: the demodulator's first, else any node's; strength: the RF
// tuner's first, else any node's; only figures from 0 to 100 count as
// percentages. With neither quality nor strength the reading is the scale's
// lowest; the s/n figure is always the one scale's for the quality (or the
// strength standing in for it), since BDA offers no s/n of its own.
TunerStatistics statisticsFromNodes(const BdaNodeStatistics* nodes, int count);

// A network provider's own signal strength (ITuner), for a tuner without
// statistics nodes: -1 unknown, 0 not tuned, more is better (taken as a
// percentage, at most 100).
TunerStatistics statisticsFromProviderStrength(int32_t strength);

// A performance counter's value in milliseconds (wrapping at 2^32), without
// overflowing however fast the counter runs or however long the machine has.
uint32_t counterMilliseconds(uint64_t counter, uint64_t frequency);
