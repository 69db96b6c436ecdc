#include "cardbase/peak/skew_chance.h"

#include <cstdlib>

static int32_t megahertzOf(const NitTransportStream& stream)
{
    return static_cast<int32_t>((stream.frequencyKHz + 500) / 1000);
}

static bool linear(uint8_t polarization) { return polarization == 0 || polarization == 1; }

// The entries of this satellite's transponders: where the network's table
// names the stream's own position, those at it; else every entry.
static std::vector<NitTransportStream> ownTransponders(const NetworkIdentity& identity)
{
    std::vector<NitTransportStream> own;
    for (const NitTransportStream& stream : identity.streams) {
        if (!stream.hasDeliveryDescriptor || stream.frequencyKHz == 0) continue;
        const bool placed = identity.certainty != PositionUnknown && stream.hasPosition;
        if (placed && !withinHalfDegree(stream.position, identity.position)) continue;
        own.push_back(stream);
    }
    return own;
}

// The other polarization's transponder sharing `frequencyMHz`, or null.
static const NitTransportStream* partnerOf(const std::vector<NitTransportStream>& own, int32_t frequencyMHz,
                                           int32_t polarization)
{
    for (const NitTransportStream& stream : own)
        if (linear(stream.polarization) && stream.polarization != polarization &&
            std::abs(megahertzOf(stream) - frequencyMHz) <= coFrequencyWithinMHz)
            return &stream;
    return nullptr;
}

SkewChance judgeSkewChance(const NetworkReport& network, int32_t frequencyMHz, int32_t polarization)
{
    SkewChance chance;
    if (polarization != 0 && polarization != 1) {
        chance.kind = SkewCircular;
        return chance;
    }
    if (network.state == NetworkNoInformation) chance.kind = SkewNoNetwork;
    if (network.state != NetworkKnown) return chance;
    if (!network.identity.listed) {
        chance.kind = SkewNoList;
        return chance;
    }
    const std::vector<NitTransportStream> own = ownTransponders(network.identity);
    if (const NitTransportStream* partner = partnerOf(own, frequencyMHz, polarization)) {
        chance.kind = SkewHere;
        chance.frequencyMHz = megahertzOf(*partner);
        chance.polarization = partner->polarization;
        return chance;
    }
    // Of the transponders that share a frequency with one of the other
    // polarization, the nearest to the tuned one, of its polarization where
    // there is one, so that the LNB stays as it is.
    chance.kind = SkewNowhere;
    int32_t nearest = 0;
    for (const NitTransportStream& stream : own) {
        if (!linear(stream.polarization) || !partnerOf(own, megahertzOf(stream), stream.polarization)) continue;
        const int32_t apart =
            std::abs(megahertzOf(stream) - frequencyMHz) + (stream.polarization == polarization ? 0 : 100000);
        if (chance.kind == SkewElsewhere && apart >= nearest) continue;
        chance.kind = SkewElsewhere;
        chance.frequencyMHz = megahertzOf(stream);
        chance.polarization = stream.polarization;
        nearest = apart;
    }
    return chance;
}
