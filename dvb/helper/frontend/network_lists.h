// The networks' own lists of transponders, as a survey reads them where it
// is locked: the NIT actual the network reader gathers and every NIT other
// heard beside it, one table per network. A NIT other comes round with the
// others in turn, so the lists are in once every table heard is whole and
// each has come round again since; where none is heard at all, once
// nitOtherWaitMs have passed since the lock (networks repeat their tables
// at least every 10 s). Platform-neutral; the caller supplies the time.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/network/network_identity.h"

constexpr uint32_t nitOtherWaitMs = 10000;
// More networks than a satellite carries are not kept.
constexpr size_t otherNetworksLimit = 32;

struct OtherTable {
    NitTable table;
    bool cameRound = false;  // a section of it came again once it was whole
};

struct OtherLists {
    std::vector<OtherTable> tables;
};

// A NIT other section into its network's table.
void addOtherSection(OtherLists& lists, const NitSection& section);

// Whether nothing more is to come, `lockedForMs` after the lock.
bool otherListsSettled(const OtherLists& lists, uint32_t lockedForMs);

// What a survey takes from the stream: the whole tables heard, actual first.
struct HeardLists {
    bool settled = false;  // nothing more to wait for
    std::vector<NitTable> tables;
};
