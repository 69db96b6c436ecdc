#include "cardbase/network/network_watch.h"

void networkRetuned(NetworkWatch& watch) { watch = NetworkWatch(); }

void networkLock(NetworkWatch& watch, bool locked, uint32_t nowMs)
{
    if (locked && !watch.locked) watch.lockedAtMs = nowMs;
    if (!locked) watch.found = false;
    watch.locked = locked;
}

void networkFound(NetworkWatch& watch, const NetworkIdentity& identity)
{
    if (!watch.locked || !identity.known) return;
    watch.found = true;
    watch.identity = identity;
}

NetworkState networkState(const NetworkWatch& watch, uint32_t nowMs)
{
    if (!watch.locked) return NetworkNotLocked;
    if (watch.found) return NetworkKnown;
    return nowMs - watch.lockedAtMs >= networkInformationWaitMs ? NetworkNoInformation : NetworkReading;
}

NetworkReport networkReport(const NetworkWatch& watch, uint32_t nowMs)
{
    NetworkReport report;
    report.state = networkState(watch, nowMs);
    if (report.state == NetworkKnown) report.identity = watch.identity;
    return report;
}
