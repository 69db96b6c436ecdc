// How a BDA tuner's signal statistics become the card's readings. A BDA
// driver reports its statistics per control node (IBDA_SignalStatistics):
// the RF tuner node knows the carrier's strength, the demodulator node the
// lock and the quality of what it decodes; any figure may be missing, and
// none of them is an s/n in dB. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/signal_scale.h"

enum BdaNodeRole : uint8_t { RfTunerNode, DemodulatorNode, OtherNode };

constexpr int maxBdaNodes = 8;

// One node's figures; a figure whose call failed is missing.
struct BdaNodeStatistics {
    BdaNodeRole role = OtherNode;
    bool hasLocked = false;
    bool locked = false;
    bool hasQuality = false;
    int32_t quality = 0;  // percent
    bool hasStrength = false;
    int32_t strength = 0;  // percent for most drivers, mdB about the nominal level for others
    bool hasPresent = false;
    bool present = false;  // the driver's word that a signal is there, lock or no lock
};

// What the readings of one tuner have shown so far: which calls of each
// node have answered, and whether its strength is in mdB.
struct BdaReadingHistory {
    uint8_t answered[maxBdaNodes] = {};
    bool strengthInMillidB = false;
};

// A strength at the nominal level reads as this C/N, the top of the one
// scale; each dB below nominal (BDA counts it positive) as a dB less.
constexpr double nominalLevelCarrierToNoiseDb = 16.0;

// Lock: the demodulator's if one reports it, else any node's; a tuner
// reporting no lock at all counts as locked while it has a quality above 0.
// Quality: the demodulator's first, else any node's; strength: the RF
// tuner's first, else any node's. Only qualities from 0 to 100 count. A
// strength counts as a percentage until one outside 0 .. 100 shows the
// tuner gives it in mdB (as BDA documents it), and from then on as the
// percentage the scale gives for the C/N its level stands for. A call that
// has answered before and fails now makes the reading one without lock.
// With neither quality nor strength the reading is the scale's lowest; the
// s/n figure is always the one scale's for the quality (or the strength
// standing in for it), since BDA offers no s/n of its own.
TunerStatistics statisticsFromNodes(const BdaNodeStatistics* nodes, int count, BdaReadingHistory& history);

// The level, lock or no lock: the strength (the RF tuner's first, by the
// rule above) as a percentage, or in dB below the nominal level once the
// tuner is seen to count in mdB; and the driver's "signal present", the RF
// tuner's first. None without a strength: a network provider's own strength
// (ITuner) mixes the error rate in and is no level.
SignalLevel levelFromNodes(const BdaNodeStatistics* nodes, int count, const BdaReadingHistory& history);

// A network provider's own signal strength (ITuner), for a tuner without
// statistics nodes: -1 unknown, 0 not tuned, more is better (taken as a
// percentage, at most 100).
TunerStatistics statisticsFromProviderStrength(int32_t strength);
