// Any bytes as a run of sections from the demultiplexer (each prefixed by
// one byte of its length in units of 8, so that whole and cut sections both
// occur): a section is either refused or read into facts that stay within
// their ranges, the table built from them never claims more than it was
// given, and the identity and its lines are always well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "cardbase/network/network_identity.h"

static void check(bool holds)
{
    if (!holds) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NitTable table;
    StreamIds ids;
    size_t streamsRead = 0;
    size_t at = 0;
    while (at < size) {
        const size_t length = static_cast<size_t>(data[at]) * 8 + 3;
        ++at;
        const size_t available = size - at < length ? size - at : length;
        const uint8_t* section = data + at;
        at += available;

        uint16_t streamId = 0, networkId = 0;
        if (parsePatStreamId(section, available, &streamId)) {
            ids.hasTransportStreamId = true;
            ids.transportStreamId = streamId;
        }
        if (parseSdtIds(section, available, &streamId, &networkId)) {
            ids.hasOriginalNetworkId = true;
            ids.originalNetworkId = networkId;
        }
        NitSection read;
        if (!parseNitSection(section, available, &read)) continue;
        check(read.tableId == nitActualTable || read.tableId == nitOtherTable);
        check(read.networkName.size() <= 64);
        check(read.streams.size() * 6 <= available);
        for (const NitTransportStream& stream : read.streams)
            check(!stream.hasPosition || (stream.position != 0 && std::abs(stream.position) <= 1800));
        streamsRead += read.streams.size();
        addNitSection(table, read);
        check(table.streams.size() <= streamsRead);
    }
    const NetworkIdentity identity = identifyNetwork(table, ids);
    check(identity.known == nitComplete(table));
    check(identity.certainty == PositionUnknown || (identity.position != 0 && std::abs(identity.position) <= 1800));
    check(!networkLine(identity).empty() && !positionLine(identity).empty());
    return 0;
}
