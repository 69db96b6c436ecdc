// The helper's reading of the network's own word, with a stand-in demux and
// the time given: filters opened at a lock, a few sections a reading, the
// stream's own entry found by its ids or the table's most common position
// taken after a while, the filters stopped when all is read, at a new tune,
// at a lost lock and at the end of the wait, and "no network information"
// at once when there is no demux.
#include <deque>
#include <gtest/gtest.h>

#include "dvb/helper/frontend/network_reader.h"

namespace {

struct FakeDemux : SectionSource {
    bool hasDemux = true;
    bool filtering[sectionTableCount] = {};
    std::deque<StreamSection> waiting[sectionTableCount];
    int starts = 0, reads = 0;
    bool dropNext = false;

    bool startSections(SectionTable table) override
    {
        ++starts;
        filtering[table] = hasDemux;
        return hasDemux;
    }
    SectionRead readSection(SectionTable table, StreamSection* section) override
    {
        EXPECT_TRUE(filtering[table]);
        ++reads;
        if (dropNext) {
            dropNext = false;
            return SectionDropped;
        }
        if (waiting[table].empty()) return SectionNone;
        *section = waiting[table].front();
        waiting[table].pop_front();
        return SectionTaken;
    }
    void stopSections(SectionTable table) override
    {
        EXPECT_TRUE(filtering[table]);
        filtering[table] = false;
    }
    bool anyFiltering() const
    {
        return filtering[TableNit] || filtering[TablePat] || filtering[TableSdt] || filtering[TableNitOther];
    }

    void sendNit(uint16_t networkId, uint8_t number, uint8_t last, std::vector<NitTransportStream> streams,
                 uint8_t tableId = nitActualTable)
    {
        StreamSection section;
        section.nit = NitSection{tableId, networkId, 0, number, last, number == 0, "Astra", streams};
        waiting[TableNit].push_back(section);
    }
    void sendOther(uint16_t networkId, uint8_t number, uint8_t last, std::vector<NitTransportStream> streams)
    {
        StreamSection section;
        section.nit = NitSection{nitOtherTable, networkId, 0, number, last, number == 0, "Other", streams};
        waiting[TableNitOther].push_back(section);
    }
    void sendIds(uint16_t transportStreamId, uint16_t originalNetworkId)
    {
        StreamSection pat, sdt;
        pat.transportStreamId = sdt.transportStreamId = transportStreamId;
        sdt.originalNetworkId = originalNetworkId;
        waiting[TablePat].push_back(pat);
        waiting[TableSdt].push_back(sdt);
    }
};

static NitTransportStream at(uint16_t transportStreamId, PositionTenths position)
{
    return NitTransportStream{transportStreamId, 1, position != 0, position, 0};
}

TEST(DvbNetworkReader, TheStreamsOwnEntryGivesThePositionAndTheFiltersStopOnceAllIsRead)
{
    FakeDemux demux;
    NetworkReader reader;
    readNetworkSections(reader, demux, false, 1000);
    EXPECT_EQ(0, demux.starts);  // nothing to read without a lock
    EXPECT_EQ(NetworkNotLocked, networkReaderReport(reader, 1000).state);

    readNetworkSections(reader, demux, true, 1100);
    EXPECT_EQ(3, demux.starts);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 1100).state);
    // A table of two sections, NIT other on the same PID, the ids.
    demux.sendNit(2, 0, 0, {at(7, 130)}, nitOtherTable);
    demux.sendNit(1, 1, 1, {at(0x0403, 235), at(0x0405, 192)});
    demux.sendIds(0x0403, 1);
    readNetworkSections(reader, demux, true, 1200);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 1200).state);  // section 0 has not come
    EXPECT_FALSE(demux.filtering[TablePat] || demux.filtering[TableSdt]);
    demux.sendNit(1, 0, 1, {at(0x0406, 192), at(0x0407, 192)});
    readNetworkSections(reader, demux, true, 1300);
    const NetworkReport report = networkReaderReport(reader, 1300);
    ASSERT_EQ(NetworkKnown, report.state);
    EXPECT_EQ(1, report.identity.networkId);
    EXPECT_EQ("Astra", report.identity.networkName);
    EXPECT_EQ(PositionOfStream, report.identity.certainty);
    EXPECT_EQ(235, report.identity.position);  // its own entry, not the table's most common
    EXPECT_FALSE(demux.anyFiltering());
    const int reads = demux.reads;
    readNetworkSections(reader, demux, true, 1400);
    EXPECT_EQ(reads, demux.reads);
    EXPECT_EQ(NetworkKnown, networkReaderReport(reader, 20000).state);
}

TEST(DvbNetworkReader, WithoutTheStreamsIdsTheMostCommonPositionIsTakenAfterAWhileAsUncertain)
{
    FakeDemux demux;
    NetworkReader reader;
    demux.sendNit(1, 0, 0, {at(10, 192), at(11, 192), at(12, 282)});
    readNetworkSections(reader, demux, true, 0);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 0).state);
    readNetworkSections(reader, demux, true, streamIdsWaitMs - 1);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, streamIdsWaitMs - 1).state);
    readNetworkSections(reader, demux, true, streamIdsWaitMs);
    NetworkReport report = networkReaderReport(reader, streamIdsWaitMs);
    ASSERT_EQ(NetworkKnown, report.state);
    EXPECT_EQ(PositionMostCommon, report.identity.certainty);
    EXPECT_EQ(192, report.identity.position);
    // The ids still come within the wait: the stream's own entry.
    demux.sendIds(12, 1);
    readNetworkSections(reader, demux, true, 4000);
    report = networkReaderReport(reader, 4000);
    EXPECT_EQ(PositionOfStream, report.identity.certainty);
    EXPECT_EQ(282, report.identity.position);
    EXPECT_FALSE(demux.anyFiltering());
}

TEST(DvbNetworkReader, AnEntryWithoutADescriptorGivesTheNetworkAtAnUnknownPosition)
{
    FakeDemux demux;
    NetworkReader reader;
    demux.sendNit(0xff44, 0, 0, {at(0x4081, 0)});
    demux.sendIds(0x4081, 1);
    readNetworkSections(reader, demux, true, 0);
    const NetworkReport report = networkReaderReport(reader, 0);
    ASSERT_EQ(NetworkKnown, report.state);
    EXPECT_EQ(0xff44, report.identity.networkId);
    EXPECT_EQ(PositionUnknown, report.identity.certainty);
}

TEST(DvbNetworkReader, NoTableWithinTheWaitIsNoNetworkInformationAndTheFiltersStop)
{
    FakeDemux demux;
    NetworkReader reader;
    demux.sendIds(5, 1);
    readNetworkSections(reader, demux, true, 500);
    readNetworkSections(reader, demux, true, 500 + networkInformationWaitMs - 1);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 500 + networkInformationWaitMs - 1).state);
    EXPECT_TRUE(demux.filtering[TableNit]);
    readNetworkSections(reader, demux, true, 500 + networkInformationWaitMs);
    EXPECT_EQ(NetworkNoInformation, networkReaderReport(reader, 500 + networkInformationWaitMs).state);
    EXPECT_FALSE(demux.anyFiltering());
    // A table too late is not read any more.
    demux.sendNit(1, 0, 0, {at(5, 192)});
    readNetworkSections(reader, demux, true, 600 + networkInformationWaitMs);
    EXPECT_EQ(NetworkNoInformation, networkReaderReport(reader, 600 + networkInformationWaitMs).state);
}

TEST(DvbNetworkReader, ALostLockOrANewTuneForgetsWhatWasRead)
{
    FakeDemux demux;
    NetworkReader reader;
    demux.sendNit(1, 0, 1, {at(5, 192)});
    readNetworkSections(reader, demux, true, 0);
    readNetworkSections(reader, demux, false, 100);
    EXPECT_FALSE(demux.anyFiltering());
    EXPECT_EQ(NetworkNotLocked, networkReaderReport(reader, 100).state);
    // Section 1 alone does not make the table whole: section 0 was forgotten.
    demux.sendNit(1, 1, 1, {at(6, 192)});
    demux.sendIds(5, 1);
    readNetworkSections(reader, demux, true, 200);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 200).state);
    demux.sendNit(1, 0, 1, {at(5, 192)});
    readNetworkSections(reader, demux, true, 300);
    EXPECT_EQ(NetworkKnown, networkReaderReport(reader, 300).state);

    restartNetworkReader(reader, demux);
    EXPECT_FALSE(demux.anyFiltering());
    EXPECT_EQ(NetworkNotLocked, networkReaderReport(reader, 300).state);
    // The wait counts from the new lock.
    readNetworkSections(reader, demux, true, 400);
    EXPECT_EQ(NetworkReading, networkReaderReport(reader, 300 + networkInformationWaitMs).state);
}

TEST(DvbNetworkReader, EachReadingTakesAFewSectionsAtMostAndSkipsWhatIsDropped)
{
    FakeDemux demux;
    NetworkReader reader;
    for (int i = 0; i < 20; ++i) demux.sendNit(1, 1, 1, {at(6, 192)});  // never whole
    demux.dropNext = true;
    readNetworkSections(reader, demux, true, 0);
    EXPECT_EQ(13u, demux.waiting[TableNit].size());  // one of the eight reads was dropped
    EXPECT_LE(demux.reads, 3 * sectionReadsPerReading);
}

TEST(DvbNetworkReader, WithoutADemuxThereIsNoNetworkInformationAtOnce)
{
    FakeDemux demux;
    demux.hasDemux = false;
    NetworkReader reader;
    readNetworkSections(reader, demux, true, 0);
    EXPECT_EQ(NetworkNoInformation, networkReaderReport(reader, 0).state);
    EXPECT_EQ(0, demux.reads);
    const int starts = demux.starts;
    readNetworkSections(reader, demux, true, 100);
    EXPECT_EQ(starts, demux.starts);  // not asked again until the next tune
}

}  // namespace

namespace {

// A survey's reader: every NIT other heard is gathered beside the actual
// one, until each has come round again; the reader of a connection's start
// never opens a filter for them.
TEST(DvbNetworkReader, ASurveysReaderGathersEveryNitOtherUntilEachHasComeRound)
{
    FakeDemux demux;
    NetworkReader reader;
    reader.gatherLists = true;
    demux.sendNit(1, 0, 0, {at(5, 130)});
    demux.sendIds(5, 1);
    demux.sendOther(2, 0, 1, {at(20, 130)});
    demux.sendOther(3, 0, 0, {at(30, 192)});
    readNetworkSections(reader, demux, true, 0);
    EXPECT_EQ(NetworkKnown, networkReaderReport(reader, 0).state);
    HeardLists lists = networkReaderLists(reader);
    EXPECT_FALSE(lists.settled);
    ASSERT_EQ(2u, lists.tables.size());  // the actual one and network 3's; network 2's is not whole
    EXPECT_EQ(1, lists.tables[0].networkId);
    EXPECT_TRUE(demux.filtering[TableNitOther]);

    // The rest of network 2, then both come round again.
    demux.sendOther(2, 1, 1, {at(21, 130)});
    readNetworkSections(reader, demux, true, 100);
    EXPECT_FALSE(networkReaderLists(reader).settled);
    demux.sendOther(2, 0, 1, {at(20, 130)});
    demux.sendOther(3, 0, 0, {at(30, 192)});
    readNetworkSections(reader, demux, true, 200);
    readNetworkSections(reader, demux, true, 300);
    lists = networkReaderLists(reader);
    EXPECT_TRUE(lists.settled);
    ASSERT_EQ(3u, lists.tables.size());
    EXPECT_EQ(2u, lists.tables[1].streams.size());
    EXPECT_FALSE(demux.anyFiltering());

    // A new tune forgets the lists but keeps gathering them.
    restartNetworkReader(reader, demux);
    EXPECT_TRUE(reader.gatherLists);
    EXPECT_TRUE(networkReaderLists(reader).tables.empty());
}

TEST(DvbNetworkReader, WhereNoNitOtherIsHeardTheListsAreInAfterTheirWait)
{
    FakeDemux demux;
    NetworkReader reader;
    reader.gatherLists = true;
    demux.sendNit(1, 0, 0, {at(5, 130)});
    demux.sendIds(5, 1);
    readNetworkSections(reader, demux, true, 1000);
    readNetworkSections(reader, demux, true, 1000 + nitOtherWaitMs - 1);
    EXPECT_FALSE(networkReaderLists(reader).settled);
    readNetworkSections(reader, demux, true, 1000 + nitOtherWaitMs);
    const HeardLists lists = networkReaderLists(reader);
    EXPECT_TRUE(lists.settled);
    EXPECT_EQ(1u, lists.tables.size());

    // Without a whole actual table, only the end of the network wait settles them.
    NetworkReader silent;
    silent.gatherLists = true;
    FakeDemux nothing;
    readNetworkSections(silent, nothing, true, 0);
    readNetworkSections(silent, nothing, true, nitOtherWaitMs);
    EXPECT_FALSE(networkReaderLists(silent).settled);
    readNetworkSections(silent, nothing, true, networkInformationWaitMs);
    EXPECT_TRUE(networkReaderLists(silent).settled);
}

TEST(DvbNetworkReader, ANewVersionOfAnOtherTableIsWaitedForAgain)
{
    OtherLists lists;
    NitSection first{nitOtherTable, 7, 0, 0, 0, true, "Other", {at(1, 130)}};
    addOtherSection(lists, first);
    addOtherSection(lists, first);
    EXPECT_TRUE(otherListsSettled(lists, 0));
    NitSection changed = first;
    changed.version = 1;
    addOtherSection(lists, changed);
    EXPECT_FALSE(otherListsSettled(lists, 0));
    addOtherSection(lists, changed);
    EXPECT_TRUE(otherListsSettled(lists, 0));
    // An actual table's section is not an other one.
    NitSection actual = first;
    actual.tableId = nitActualTable;
    actual.networkId = 8;
    addOtherSection(lists, actual);
    EXPECT_EQ(1u, lists.tables.size());
}

}  // namespace
