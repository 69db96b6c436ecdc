// Which satellite the dish sees, in the network's own word: the NIT actual
// of the tuned transport stream gives the network's name and id and the
// orbital position of this stream's entry; the catalogue lines that list
// the tuned transponder give the positions that were expected. The one rule
// every card substitute and azimora-dvb follow, and the texts they show.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/catalogue_lines.h"
#include "cardbase/margin/link_margin.h"
#include "cardbase/network/psi_sections.h"

// Networks repeat their NIT at least every 10 s; after this long locked
// without a whole one there is "no network information".
constexpr uint32_t networkInformationWaitMs = 15000;
// A whole NIT waits this long for the stream's own ids (a PAT comes at
// least every 0.1 s, an SDT every 2 s) before the table's most common
// position is taken instead; they may still come until the end of the wait.
constexpr uint32_t streamIdsWaitMs = 2500;

// One NIT actual gathered from its sections: a section of another table,
// network or version than the first one taken is left out, and a new
// version of the table starts it again.
struct NitTable {
    bool started = false;
    uint16_t networkId = 0;
    uint8_t version = 0;
    uint8_t lastSectionNumber = 0;
    std::vector<bool> received;  // by section number
    bool hasName = false;
    std::string networkName;
    std::vector<NitTransportStream> streams;
};

// Takes a section into the table; true once every section of it is in.
bool addNitSection(NitTable& table, const NitSection& section);
// The same for a table of either id (nitActualTable, nitOtherTable): a NIT
// other is gathered one network at a time by the same rule.
bool addNetworkTableSection(NitTable& table, const NitSection& section, uint8_t tableId);
bool nitComplete(const NitTable& table);

// The tuned stream's own ids, as its PAT and SDT give them.
struct StreamIds {
    bool hasTransportStreamId = false;
    uint16_t transportStreamId = 0;
    bool hasOriginalNetworkId = false;
    uint16_t originalNetworkId = 0;
};

enum PositionCertainty : uint8_t {
    PositionUnknown,     // no entry gives one, or the entries disagree evenly
    PositionOfStream,    // this stream's own entry
    PositionMostCommon,  // this stream's entry was not found: the NIT's most common position
};

struct NetworkIdentity {
    bool known = false;  // a whole NIT actual was read
    uint16_t networkId = 0;
    std::string networkName;  // empty when the NIT names none
    PositionCertainty certainty = PositionUnknown;
    PositionTenths position = 0;  // east positive; valid unless PositionUnknown
    // The modulation and code rate in this stream's own entry, never
    // another's (frequency plans differ from stream to stream).
    ModcodWord modcod = missingWord(GapNoOwnEntry);
    // The network's list of its transport streams, each with its delivery
    // descriptor's frequency and polarization: where the list came with the
    // identity (a card that reads the table itself), `listed` is true.
    bool listed = false;
    std::vector<NitTransportStream> streams;
};

// The identity a whole NIT actual gives for the stream with these ids.
NetworkIdentity identifyNetwork(const NitTable& table, const StreamIds& ids);

// Positions of the catalogue lines that list this transponder (frequency,
// polarization and symbol rate as the program sent them), each once; empty
// when no line with a position lists it, as for a typed entry.
std::vector<PositionTenths> expectedPositions(const std::vector<CatalogueLine>& catalogue, int32_t frequencyMHz,
                                              int32_t polarization, int32_t symbolRate);

enum PositionVerdict : uint8_t {
    VerdictUnknown,        // no position known
    VerdictNoExpectation,  // a position, but nothing was expected
    VerdictAsExpected,     // within half a degree of an expected position
    VerdictWrong,          // more than half a degree from every expected one
    VerdictProbable,       // only the table's most common position: "probably" there, never judged
};

PositionVerdict judgePosition(const NetworkIdentity& identity, const std::vector<PositionTenths>& expected);
// Whether two positions lie within half a degree along the arc: one satellite.
bool withinHalfDegree(PositionTenths a, PositionTenths b);

// "19.2E", "30.0W": as azimora-dvb prints it.
std::string positionText(PositionTenths position);
// "19.2° E", "30.0° W" (UTF-8): as the page and the windows show it.
std::string positionDegreesText(PositionTenths position);

// The lines azimora-dvb prints: "network: NAME (0xID)" (or "no network
// information" without a NIT) and "position: 19.2E", "position: 19.2E
// (uncertain)" or "position: unknown".
std::string networkLine(const NetworkIdentity& identity);
std::string positionLine(const NetworkIdentity& identity);
