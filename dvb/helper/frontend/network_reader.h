// Reading the network's own word while the frontend is locked: section
// filters on the network information table (NIT actual), the programme
// association table (the stream's transport stream id) and the service
// description table (its original network id), read without waiting a few
// at a time after each reading of the frontend, gathered into one table
// and identified by the shared rule (cardbase/network/network_identity.h). Started
// at a lock; stopped and forgotten at every tune and at a lost lock;
// stopped, without a word, when the table is whole with the stream's ids,
// or networkInformationWaitMs after the lock (the PAT read on while the
// stream is watched). A frontend without a demux
// (one behind dvbv5-daemon) has "no network information" at once. The
// sections themselves come from a SectionSource. Platform-neutral; the
// caller supplies the time.
#pragma once
#include <cstdint>

#include "cardbase/network/network_watch.h"
#include "cardbase/network/psi_sections.h"
#include "dvb/helper/frontend/network_lists.h"

enum SectionTable : uint8_t { TableNit, TablePat, TableSdt, TableNitOther };
constexpr int sectionTableCount = 4;

// Where each table travels and its table id: NIT actual on PID 0x10, PAT
// on 0x00, SDT actual on 0x11, NIT other on 0x10 (read only for a survey's
// lists).
uint16_t sectionPid(SectionTable table);
uint8_t sectionTableId(SectionTable table);

// One section of a table, as much of it as the reader needs.
struct StreamSection {
    NitSection nit;                  // TableNit, TableNitOther
    uint16_t transportStreamId = 0;  // TablePat, TableSdt
    uint16_t originalNetworkId = 0;  // TableSdt
};

enum SectionRead : uint8_t {
    SectionNone,     // nothing waiting now
    SectionTaken,    // `section` holds a sound one
    SectionDropped,  // one came that is not sound (its CRC, its lengths): left out
    SectionFailed,   // the filter no longer gives anything
};

class SectionSource {
public:
    virtual ~SectionSource() = default;
    // A filter for the table on its PID; false when there is no demux to
    // read from, or it refused the filter.
    virtual bool startSections(SectionTable table) = 0;
    // Never waits.
    virtual SectionRead readSection(SectionTable table, StreamSection* section) = 0;
    virtual void stopSections(SectionTable table) = 0;
};

// Each table's sections read after one reading of the frontend, at most.
constexpr int sectionReadsPerReading = 8;
struct NetworkReader {
    NetworkWatch watch;
    bool filtering[sectionTableCount] = {};
    bool givenUp[sectionTableCount] = {};  // its filter failed: not asked again until the next tune
    NitTable table;
    StreamIds ids;
    bool tableWhole = false;
    uint32_t tableWholeAtMs = 0;
    bool identified = false;  // by what has been read so far
    // A survey's reader also gathers every NIT other heard (network_lists.h);
    // kept across restarts, the tables read are not.
    bool gatherLists = false;
    OtherLists others;
    bool listsSettled = false;
    // Through a single-cable device the PAT is read as long as the lock
    // lasts: another receiver that takes the user band changes the stream.
    // Kept across restarts, as gatherLists is.
    bool watchStream = false;
    bool patRead = false;        // the PAT's id is in ids
    bool freshStreamId = false;  // a PAT came since the watcher last looked
    uint16_t latestStreamId = 0;
};

// A tune, a new attempt or the frontend let go: every filter stopped and
// what was read forgotten.
void restartNetworkReader(NetworkReader& reader, SectionSource& source);
// After each reading of the frontend: its lock, and the sections that wait.
void readNetworkSections(NetworkReader& reader, SectionSource& source, bool locked, uint32_t nowMs);
NetworkReport networkReaderReport(const NetworkReader& reader, uint32_t nowMs);
// The whole tables read so far, for a reader that gathers lists.
HeardLists networkReaderLists(const NetworkReader& reader);
