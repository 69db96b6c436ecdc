#include "dvb/helper/frontend/network_reader.h"

uint16_t sectionPid(SectionTable table)
{
    static const uint16_t pids[sectionTableCount] = {nitPid, patPid, sdtPid, nitPid};
    return pids[table];
}

uint8_t sectionTableId(SectionTable table)
{
    static const uint8_t ids[sectionTableCount] = {nitActualTable, patTable, sdtActualTable, nitOtherTable};
    return ids[table];
}

static void stopFilter(NetworkReader& reader, SectionSource& source, SectionTable table)
{
    if (!reader.filtering[table]) return;
    source.stopSections(table);
    reader.filtering[table] = false;
}

static void stopFilters(NetworkReader& reader, SectionSource& source)
{
    for (int table = 0; table < sectionTableCount; ++table)
        stopFilter(reader, source, static_cast<SectionTable>(table));
}

void restartNetworkReader(NetworkReader& reader, SectionSource& source)
{
    stopFilters(reader, source);
    const bool gatherLists = reader.gatherLists, watchStream = reader.watchStream;
    reader = NetworkReader();
    reader.gatherLists = gatherLists;
    reader.watchStream = watchStream;
}

static bool wanted(const NetworkReader& reader, SectionTable table)
{
    if (reader.givenUp[table]) return false;
    switch (table) {
    case TableNit: return !reader.tableWhole;
    case TablePat: return !reader.ids.hasTransportStreamId || reader.watchStream;
    case TableSdt: return !reader.ids.hasOriginalNetworkId;
    case TableNitOther: return reader.gatherLists && !reader.listsSettled;
    }
    return false;
}

static void take(NetworkReader& reader, SectionTable table, const StreamSection& section, uint32_t nowMs)
{
    StreamIds& ids = reader.ids;
    if (table == TablePat) {
        reader.freshStreamId = true;
        reader.latestStreamId = section.transportStreamId;
        // A watched stream's later PATs are its watcher's: the network is the lock's first stream's.
        if (reader.patRead) return;
        reader.patRead = true;
    }
    reader.identified = false;
    switch (table) {
    case TableNit:
        if (addNitSection(reader.table, section.nit)) {
            reader.tableWhole = true;
            reader.tableWholeAtMs = nowMs;
        }
        break;
    case TablePat:
        // The PAT is the stream's own word on its id; the SDT's stands in until it comes.
        ids.hasTransportStreamId = true;
        ids.transportStreamId = section.transportStreamId;
        break;
    case TableSdt:
        if (!ids.hasTransportStreamId) {
            ids.hasTransportStreamId = true;
            ids.transportStreamId = section.transportStreamId;
        }
        ids.hasOriginalNetworkId = true;
        ids.originalNetworkId = section.originalNetworkId;
        break;
    case TableNitOther: addOtherSection(reader.others, section.nit); break;
    }
}

static void readTable(NetworkReader& reader, SectionSource& source, SectionTable table, uint32_t nowMs)
{
    if (wanted(reader, table) && !reader.filtering[table]) {
        reader.filtering[table] = source.startSections(table);
        reader.givenUp[table] = !reader.filtering[table];
    }
    for (int i = 0; i < sectionReadsPerReading && wanted(reader, table); ++i) {
        StreamSection section;
        const SectionRead read = source.readSection(table, &section);
        if (read == SectionNone) break;
        if (read == SectionFailed) reader.givenUp[table] = true;
        if (read == SectionTaken) take(reader, table, section, nowMs);
    }
    if (!wanted(reader, table)) stopFilter(reader, source, table);
}

void readNetworkSections(NetworkReader& reader, SectionSource& source, bool locked, uint32_t nowMs)
{
    networkLock(reader.watch, locked, nowMs);
    if (!locked) {
        // The dish may have moved to another satellite: nothing read counts.
        const NetworkWatch watch = reader.watch;
        restartNetworkReader(reader, source);
        reader.watch = watch;
        return;
    }
    const uint32_t lockedForMs = nowMs - reader.watch.lockedAtMs;
    const bool waitOver = lockedForMs >= networkInformationWaitMs;
    if (reader.gatherLists)
        reader.listsSettled = waitOver || (reader.tableWhole && otherListsSettled(reader.others, lockedForMs));
    if (!waitOver)
        for (int table = 0; table < sectionTableCount; ++table)
            readTable(reader, source, static_cast<SectionTable>(table), nowMs);
    else if (reader.watchStream) readTable(reader, source, TablePat, nowMs);
    const bool idsSettled = (reader.ids.hasTransportStreamId || reader.givenUp[TablePat]) && !wanted(reader, TableSdt);
    if (reader.tableWhole && !reader.identified &&
        (idsSettled || nowMs - reader.tableWholeAtMs >= streamIdsWaitMs || waitOver)) {
        networkFound(reader.watch, identifyNetwork(reader.table, reader.ids));
        reader.identified = true;
    }
    if (!waitOver) return;
    for (int table = 0; table < sectionTableCount; ++table)
        if (table != TablePat || !reader.watchStream) stopFilter(reader, source, static_cast<SectionTable>(table));
}

NetworkReport networkReaderReport(const NetworkReader& reader, uint32_t nowMs)
{
    NetworkReport report = networkReport(reader.watch, nowMs);
    // Without a demux nothing will come.
    if (report.state == NetworkReading && reader.givenUp[TableNit]) report.state = NetworkNoInformation;
    return report;
}

HeardLists networkReaderLists(const NetworkReader& reader)
{
    HeardLists lists;
    lists.settled = reader.listsSettled;
    if (reader.tableWhole) lists.tables.push_back(reader.table);
    for (const OtherTable& other : reader.others.tables)
        if (nitComplete(other.table)) lists.tables.push_back(other.table);
    return lists;
}
