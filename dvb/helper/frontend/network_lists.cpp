#include "dvb/helper/frontend/network_lists.h"

void addOtherSection(OtherLists& lists, const NitSection& section)
{
    if (section.tableId != nitOtherTable) return;
    OtherTable* found = nullptr;
    for (OtherTable& each : lists.tables)
        if (each.table.networkId == section.networkId) found = &each;
    if (!found) {
        if (lists.tables.size() >= otherNetworksLimit) return;
        lists.tables.push_back(OtherTable());
        found = &lists.tables.back();
    }
    const bool wasWhole = nitComplete(found->table);
    const uint8_t version = found->table.version;
    addNetworkTableSection(found->table, section, nitOtherTable);
    // A new version starts its table again, and its round with it.
    if (found->table.version != version) found->cameRound = false;
    else if (wasWhole) found->cameRound = true;
}

bool otherListsSettled(const OtherLists& lists, uint32_t lockedForMs)
{
    if (lists.tables.empty()) return lockedForMs >= nitOtherWaitMs;
    for (const OtherTable& each : lists.tables)
        if (!nitComplete(each.table) || !each.cameRound) return false;
    return true;
}
