#include "bda/bda_statistics.h"

static bool isPercent(int32_t value) { return value >= 0 && value <= 100; }

// The first node of the preferred role with the figure, else the first of any role.
template <typename Has>
static const BdaNodeStatistics* nodeWith(const BdaNodeStatistics* nodes, int count, BdaNodeRole preferred, Has has)
{
    for (int i = 0; i < count; ++i)
        if (nodes[i].role == preferred && has(nodes[i])) return &nodes[i];
    for (int i = 0; i < count; ++i)
        if (has(nodes[i])) return &nodes[i];
    return nullptr;
}

static uint8_t callsAnswered(const BdaNodeStatistics& node)
{
    return static_cast<uint8_t>((node.hasLocked ? 1 : 0) | (node.hasQuality ? 2 : 0) | (node.hasStrength ? 4 : 0));
}

// True when a call that answered before failed this time; remembers the calls that answer.
static bool callFailed(const BdaNodeStatistics* nodes, int count, BdaReadingHistory& history)
{
    bool failed = false;
    for (int i = 0; i < count && i < maxBdaNodes; ++i) {
        const uint8_t now = callsAnswered(nodes[i]);
        if (history.answered[i] & ~now) failed = true;
        history.answered[i] = static_cast<uint8_t>(history.answered[i] | now);
        if (nodes[i].hasStrength && !isPercent(nodes[i].strength)) history.strengthInMillidB = true;
    }
    return failed;
}

static int32_t percentOfLevel(int32_t millidBBelowNominal)
{
    return qualityFromCarrierToNoise(nominalLevelCarrierToNoiseDb - millidBBelowNominal / 1000.0);
}

TunerStatistics statisticsFromNodes(const BdaNodeStatistics* nodes, int count, BdaReadingHistory& history)
{
    TunerStatistics statistics;
    if (callFailed(nodes, count, history)) return statistics;
    const BdaNodeStatistics* quality = nodeWith(nodes, count, DemodulatorNode, [](const BdaNodeStatistics& node) {
        return node.hasQuality && isPercent(node.quality);
    });
    const bool inMillidB = history.strengthInMillidB;
    const BdaNodeStatistics* strength = nodeWith(nodes, count, RfTunerNode, [inMillidB](const BdaNodeStatistics& node) {
        return node.hasStrength && (inMillidB || isPercent(node.strength));
    });
    if (quality) {
        statistics.hasQuality = true;
        statistics.qualityPercent = quality->quality;
    }
    if (strength) {
        statistics.hasStrength = true;
        statistics.strengthPercent = inMillidB ? percentOfLevel(strength->strength) : strength->strength;
    }
    const BdaNodeStatistics* lock =
        nodeWith(nodes, count, DemodulatorNode, [](const BdaNodeStatistics& node) { return node.hasLocked; });
    statistics.locked = lock ? lock->locked : statistics.hasQuality && statistics.qualityPercent > 0;
    return statistics;
}

SignalLevel levelFromNodes(const BdaNodeStatistics* nodes, int count, const BdaReadingHistory& history)
{
    SignalLevel level;
    const bool inMillidB = history.strengthInMillidB;
    const BdaNodeStatistics* strength = nodeWith(nodes, count, RfTunerNode, [inMillidB](const BdaNodeStatistics& node) {
        return node.hasStrength && (inMillidB || isPercent(node.strength));
    });
    const BdaNodeStatistics* present =
        nodeWith(nodes, count, RfTunerNode, [](const BdaNodeStatistics& node) { return node.hasPresent; });
    if (present) level.present = present->present ? 1 : 0;
    if (!strength) return level;
    level.state = LevelLive;
    level.unit = inMillidB ? LevelDecibel : LevelPercent;
    // BDA counts the mdB below nominal positive: the level is its negative.
    level.value = inMillidB ? -strength->strength / 1000.0 : strength->strength;
    return level;
}

TunerStatistics statisticsFromProviderStrength(int32_t strength)
{
    TunerStatistics statistics;
    statistics.locked = strength > 0;
    if (statistics.locked) {
        statistics.hasStrength = true;
        statistics.strengthPercent = strength > 100 ? 100 : strength;
    }
    return statistics;
}
