// What a card knows of the network it is locked to, moment by moment: after
// a lock it reads the network table; a whole one within
// networkInformationWaitMs gives the identity, else there is "no network
// information"; a lost lock or a new start forgets it (the dish may have
// moved to another satellite). Shared by every card and azimora-dvb.
// Platform-neutral; the caller supplies the time.
#pragma once
#include <cstdint>

#include "cardbase/network/network_identity.h"

enum NetworkState : uint8_t {
    NetworkNotLocked,      // nothing to read
    NetworkReading,        // locked, the table not yet whole
    NetworkKnown,          // identity holds what the table says
    NetworkNoInformation,  // locked for networkInformationWaitMs without a whole table
};

struct NetworkWatch {
    bool locked = false;
    uint32_t lockedAtMs = 0;
    bool found = false;
    NetworkIdentity identity;
};

// A new start: what was known belongs to the transponder before.
void networkRetuned(NetworkWatch& watch);
// The lock of the latest reading.
void networkLock(NetworkWatch& watch, bool locked, uint32_t nowMs);
// A whole table has been read (ignored while not locked).
void networkFound(NetworkWatch& watch, const NetworkIdentity& identity);
NetworkState networkState(const NetworkWatch& watch, uint32_t nowMs);

// What a card tells the phone page of the network (the positions the
// catalogue expected come beside it, from the card's reading feed).
struct NetworkReport {
    NetworkState state = NetworkNotLocked;
    NetworkIdentity identity;  // meaningful in NetworkKnown
};

NetworkReport networkReport(const NetworkWatch& watch, uint32_t nowMs);
