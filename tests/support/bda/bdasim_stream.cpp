#include "tests/support/bda/bdasim_stream.h"

// A copy of a NIT section with one bit of its network name changed (of its
// first byte after the header where it has no name): its CRC no longer fits.
static SectionBytes damagedCopy(const SectionBytes& section)
{
    SectionBytes copy = section;
    const size_t nameAt = 12;  // header 8, loop length 2, descriptor tag and length 2
    const bool named = copy.size() > nameAt + 4 && copy[10] == 0x40;
    copy[named ? nameAt : 8] ^= 0x02;
    return copy;
}

std::vector<SimSection> bdaSimSections(const BdaSimStream& stream, uint32_t carrierKHz)
{
    std::vector<SimSection> sections;
    if (carrierKHz == simNeighbourTransponderKHz) {
        const uint16_t own = static_cast<uint16_t>(stream.transportStreamId + 1);
        sections.push_back(SimSection{0x00, buildPatSection(own, 0)});
        sections.push_back(SimSection{0x11, buildSdtSection(own, stream.originalNetworkId, 0)});
        return sections;
    }
    sections.push_back(SimSection{0x00, buildPatSection(stream.transportStreamId, 0)});
    sections.push_back(SimSection{0x11, buildSdtSection(stream.transportStreamId, stream.originalNetworkId, 0)});
    if (!stream.hasNetwork) return sections;
    for (const SectionBytes& section : buildNitSections(stream.network)) {
        if (stream.damaged) sections.push_back(SimSection{0x10, damagedCopy(section)});
        sections.push_back(SimSection{0x10, section});
    }
    return sections;
}

bool bdaSimCarriesSections(const BdaSimStream& stream, uint32_t carrierKHz)
{
    return stream.onlyMHz == 0 || carrierKHz / 1000 == stream.onlyMHz || carrierKHz == simNeighbourTransponderKHz;
}
