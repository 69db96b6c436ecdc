// What the bridge learns from the tuned stream's own sections: the NIT
// actual with the network's name and positions, and the stream's ids from
// its PAT and SDT, gathered until the identity can be handed on; and which
// lock that identity belongs to. A section is believed only when it is
// sound (length, CRC); a new start or a lost lock forgets what was gathered,
// since the dish may since point at another satellite. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>

#include "cardbase/network/network_identity.h"
#include "cardbase/single_cable.h"

struct SectionGathering {
    NitTable nit;
    StreamIds ids;
    bool nitWhole = false;
    uint32_t nitWholeAtMs = 0;
};

// Takes one section of any table; what is not sound, or of no use here, is
// left out.
void gatherSection(SectionGathering& gathering, const uint8_t* bytes, size_t size, uint32_t nowMs);

// True once the identity can be handed on: the NIT is whole, and the
// stream's ids are known or have had streamIdsWaitMs since.
bool gatheredIdentity(const SectionGathering& gathering, uint32_t nowMs, NetworkIdentity* identity);

// Calls take(bytes, size) for each section of a buffer that holds whole
// sections back to back (the demultiplexer gives one a sample, a driver may
// give more); stuffing (0xFF) or a section cut short ends the buffer.
template <typename Take>
void eachSection(const uint8_t* bytes, size_t size, Take take)
{
    size_t at = 0;
    while (size - at >= 3 && bytes[at] != 0xFF) {
        const size_t length = 3 + ((static_cast<size_t>(bytes[at + 1]) & 0x0F) << 8 | bytes[at + 2]);
        if (length > size - at) return;
        take(bytes + at, length);
        at += length;
    }
}

// Which lock the sections belong to. Each new start and each lost lock
// begins a new reading (a new generation), and sections are wanted only
// while locked and until the identity has been found; an identity found
// for an earlier reading is never handed on. Through a single-cable
// device the PAT's stream id is watched as long as the tuner is locked:
// another receiver that takes the user band changes it under a steady
// tune (a lost lock on the way does not forget the first id; a new start does).
struct SectionWatch {
    uint32_t generation = 0;
    bool locked = false;
    bool found = false;    // the identity of this reading has been found
    bool waiting = false;  // ... and not yet handed on
    NetworkIdentity identity;
    bool watchingBand = false;  // measuring through a single-cable device
    UserBandWatch band;
    bool bandShared = false;  // seen, and not yet handed on
};

// A new start.
void sectionWatchStart(SectionWatch& watch);
// The lock of the latest reading; true when a new reading has begun.
bool sectionWatchLock(SectionWatch& watch, bool locked);
bool sectionsWanted(const SectionWatch& watch);
// The identity gathered during the reading of that generation.
void sectionWatchFound(SectionWatch& watch, uint32_t generation, const NetworkIdentity& identity);
// The identity found and not yet handed on, once.
bool takeFoundIdentity(SectionWatch& watch, NetworkIdentity* identity);
// The transport stream id of a PAT read while locked, for the user band's watch.
void sectionWatchStreamId(SectionWatch& watch, uint32_t generation, uint16_t transportStreamId);
// That another receiver took the user band, once.
bool takeBandShared(SectionWatch& watch);
// The stream id of a sound PAT section; false for any other section.
bool patStreamIdOf(const uint8_t* bytes, size_t size, uint16_t* transportStreamId);
