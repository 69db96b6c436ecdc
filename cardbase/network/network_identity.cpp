#include "cardbase/network/network_identity.h"

#include <cmath>
#include <cstdio>

bool nitComplete(const NitTable& table)
{
    if (!table.started) return false;
    for (bool in : table.received)
        if (!in) return false;
    return true;
}

bool addNitSection(NitTable& table, const NitSection& section)
{
    return addNetworkTableSection(table, section, nitActualTable);
}

bool addNetworkTableSection(NitTable& table, const NitSection& section, uint8_t tableId)
{
    if (section.tableId != tableId || section.sectionNumber > section.lastSectionNumber) return nitComplete(table);
    const bool sameTable = table.started && table.networkId == section.networkId;
    if (sameTable && table.version == section.version && table.lastSectionNumber != section.lastSectionNumber)
        return nitComplete(table);  // a section that disagrees with its table
    if (table.started && !sameTable) return nitComplete(table);
    if (!sameTable || table.version != section.version) {
        table = NitTable();
        table.started = true;
        table.networkId = section.networkId;
        table.version = section.version;
        table.lastSectionNumber = section.lastSectionNumber;
        table.received.assign(section.lastSectionNumber + 1u, false);
    }
    if (!table.received[section.sectionNumber]) {
        table.received[section.sectionNumber] = true;
        if (section.hasName && !table.hasName) {
            table.hasName = true;
            table.networkName = section.networkName;
        }
        table.streams.insert(table.streams.end(), section.streams.begin(), section.streams.end());
    }
    return nitComplete(table);
}

// The position most entries give; unknown when two positions tie.
static bool mostCommonPosition(const std::vector<NitTransportStream>& streams, PositionTenths* position)
{
    int best = 0;
    bool tied = false;
    for (const NitTransportStream& candidate : streams) {
        if (!candidate.hasPosition) continue;
        int count = 0;
        for (const NitTransportStream& other : streams)
            count += other.hasPosition && other.position == candidate.position;
        if (count > best) {
            best = count;
            tied = false;
            *position = candidate.position;
        } else if (count == best && candidate.position != *position) {
            tied = true;
        }
    }
    return best > 0 && !tied;
}

NetworkIdentity identifyNetwork(const NitTable& table, const StreamIds& ids)
{
    NetworkIdentity identity;
    if (!nitComplete(table)) return identity;
    identity.known = true;
    identity.networkId = table.networkId;
    identity.networkName = table.networkName;
    identity.listed = true;
    identity.streams = table.streams;
    if (ids.hasTransportStreamId && ids.hasOriginalNetworkId) {
        for (const NitTransportStream& stream : table.streams) {
            if (stream.transportStreamId != ids.transportStreamId || stream.originalNetworkId != ids.originalNetworkId)
                continue;
            identity.modcod = stream.hasDeliveryDescriptor
                                  ? networkWord(stream.modulationSystem, stream.modulationType, stream.fecInner)
                                  : missingWord(GapNoDescriptor);
            if (stream.hasPosition) {
                identity.certainty = PositionOfStream;
                identity.position = stream.position;
                return identity;
            }
            break;
        }
    }
    if (mostCommonPosition(table.streams, &identity.position)) identity.certainty = PositionMostCommon;
    else identity.position = 0;
    return identity;
}

std::vector<PositionTenths> expectedPositions(const std::vector<CatalogueLine>& catalogue, int32_t frequencyMHz,
                                              int32_t polarization, int32_t symbolRate)
{
    std::vector<PositionTenths> expected;
    for (const CatalogueLine& line : catalogue) {
        if (!line.hasPosition || line.frequencyMHz != frequencyMHz || line.polarization != polarization ||
            line.symbolRate != symbolRate)
            continue;
        const PositionTenths position = static_cast<PositionTenths>(std::lround(line.longitudeDeg * 10));
        bool listed = false;
        for (PositionTenths known : expected) listed = listed || known == position;
        if (!listed) expected.push_back(position);
    }
    return expected;
}

// Tenths of a degree between two positions along the arc, across 180° too.
static int32_t arcDistance(PositionTenths a, PositionTenths b)
{
    int32_t distance = std::abs(a - b) % 3600;
    return distance > 1800 ? 3600 - distance : distance;
}

bool withinHalfDegree(PositionTenths a, PositionTenths b) { return arcDistance(a, b) <= 5; }

PositionVerdict judgePosition(const NetworkIdentity& identity, const std::vector<PositionTenths>& expected)
{
    if (!identity.known || identity.certainty == PositionUnknown) return VerdictUnknown;
    if (expected.empty()) return VerdictNoExpectation;
    // Another satellite's streams may fill most of a network's table: where
    // this stream's own entry was not found, a miss proves nothing.
    if (identity.certainty == PositionMostCommon) return VerdictProbable;
    for (PositionTenths position : expected)
        if (withinHalfDegree(position, identity.position)) return VerdictAsExpected;
    return VerdictWrong;
}

static std::string formatPosition(PositionTenths position, const char* separator)
{
    const int32_t tenths = std::abs(position);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d%s%c", static_cast<int>(tenths / 10), static_cast<int>(tenths % 10),
                  separator, position < 0 ? 'W' : 'E');
    return text;
}

std::string positionText(PositionTenths position) { return formatPosition(position, ""); }

std::string positionDegreesText(PositionTenths position) { return formatPosition(position, "\xC2\xB0 "); }

std::string networkLine(const NetworkIdentity& identity)
{
    if (!identity.known) return "no network information";
    char id[16];
    std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(identity.networkId));
    return "network: " + (identity.networkName.empty() ? std::string("(no name)") : identity.networkName) + " (" + id +
           ")";
}

std::string positionLine(const NetworkIdentity& identity)
{
    if (identity.certainty == PositionUnknown) return "position: unknown";
    return "position: " + positionText(identity.position) +
           (identity.certainty == PositionMostCommon ? " (uncertain)" : "");
}
