#include "bda/bda_sections.h"

void gatherSection(SectionGathering& gathering, const uint8_t* bytes, size_t size, uint32_t nowMs)
{
    if (size == 0) return;
    StreamIds& ids = gathering.ids;
    uint16_t streamId = 0, networkId = 0;
    if (bytes[0] == sdtActualTable && parseSdtIds(bytes, size, &streamId, &networkId)) {
        // The SDT gives both ids of one stream: they go together.
        ids.hasTransportStreamId = ids.hasOriginalNetworkId = true;
        ids.transportStreamId = streamId;
        ids.originalNetworkId = networkId;
    } else if (bytes[0] == patTable && !ids.hasOriginalNetworkId && parsePatStreamId(bytes, size, &streamId)) {
        ids.hasTransportStreamId = true;
        ids.transportStreamId = streamId;
    } else if (bytes[0] == nitActualTable && !gathering.nitWhole) {
        NitSection section;
        if (parseNitSection(bytes, size, &section) && addNitSection(gathering.nit, section)) {
            gathering.nitWhole = true;
            gathering.nitWholeAtMs = nowMs;
        }
    }
}

bool gatheredIdentity(const SectionGathering& gathering, uint32_t nowMs, NetworkIdentity* identity)
{
    if (!gathering.nitWhole) return false;
    const StreamIds& ids = gathering.ids;
    if (!(ids.hasTransportStreamId && ids.hasOriginalNetworkId) && nowMs - gathering.nitWholeAtMs < streamIdsWaitMs)
        return false;
    *identity = identifyNetwork(gathering.nit, ids);
    return true;
}

// A new reading, the user band's watch kept.
static void newReading(SectionWatch& watch)
{
    SectionWatch next;
    next.generation = watch.generation + 1;
    next.watchingBand = watch.watchingBand;
    next.band = watch.band;
    next.bandShared = watch.bandShared;
    watch = next;
}

void sectionWatchStart(SectionWatch& watch)
{
    newReading(watch);
    userBandRetuned(watch.band);
    watch.bandShared = false;
}

bool sectionWatchLock(SectionWatch& watch, bool locked)
{
    if (locked == watch.locked) return false;
    if (locked) {
        watch.locked = true;
        return false;
    }
    newReading(watch);
    return true;
}

bool sectionsWanted(const SectionWatch& watch) { return watch.locked && (!watch.found || watch.watchingBand); }

void sectionWatchFound(SectionWatch& watch, uint32_t generation, const NetworkIdentity& identity)
{
    if (generation != watch.generation || watch.found || !sectionsWanted(watch) || !identity.known) return;
    watch.found = true;
    watch.waiting = true;
    watch.identity = identity;
}

bool takeFoundIdentity(SectionWatch& watch, NetworkIdentity* identity)
{
    if (!watch.waiting) return false;
    watch.waiting = false;
    *identity = watch.identity;
    return true;
}

void sectionWatchStreamId(SectionWatch& watch, uint32_t generation, uint16_t transportStreamId)
{
    if (!watch.watchingBand || !watch.locked || generation != watch.generation) return;
    if (userBandStreamSeen(watch.band, transportStreamId)) watch.bandShared = true;
}

bool takeBandShared(SectionWatch& watch)
{
    if (!watch.bandShared) return false;
    watch.bandShared = false;
    return true;
}

bool patStreamIdOf(const uint8_t* bytes, size_t size, uint16_t* transportStreamId)
{
    return size > 0 && bytes[0] == patTable && parsePatStreamId(bytes, size, transportStreamId);
}
