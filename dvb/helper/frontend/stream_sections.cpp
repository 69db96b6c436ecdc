#include "dvb/helper/frontend/stream_sections.h"

#include <libdvbv5/desc_network_name.h>
#include <libdvbv5/desc_sat.h>
#include <libdvbv5/descriptors.h>
#include <libdvbv5/nit.h>

std::string printableNetworkName(const char* utf8)
{
    std::string name;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(utf8); at && *at && name.size() < 64; ++at) {
        if (*at >= 0x20 && *at < 0x7F) name += static_cast<char>(*at);
        else if (*at >= 0xC0) name += '?';  // the first byte of a character beyond ASCII; the rest are left out
    }
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

// The whole section as its header gives it, a current one of the long
// form, with its CRC right.
static bool soundSection(SectionTable table, const uint8_t* bytes, size_t size)
{
    return size >= 12 && bytes[0] == sectionTableId(table) && soundSectionLength(bytes, size, 12) == size;
}

static NitTransportStream transportStreamOf(const dvb_table_nit_transport* transport)
{
    NitTransportStream stream{transport->transport_id, transport->network_id, false, 0, 0};
    dvb_desc_find(struct dvb_desc_sat, sat, transport, satellite_delivery_system_descriptor)
    {
        stream.frequencyKHz = sat->frequency;  // libdvbv5 has made it kHz
        stream.hasDeliveryDescriptor = true;
        stream.modulationSystem = sat->modulation_system;
        stream.modulationType = sat->modulation_type;
        stream.fecInner = static_cast<uint8_t>(sat->fec);
        stream.polarization = sat->polarization;
        stream.symbolsPerSecond = sat->symbol_rate;  // libdvbv5 has made it symbols a second
        // A position of 0 or beyond 180.0 says nothing about where the dish points.
        if (sat->orbit != 0 && sat->orbit <= 1800) {
            stream.hasPosition = true;
            stream.position = sat->west_east ? static_cast<PositionTenths>(sat->orbit) : -sat->orbit;
        }
        break;
    }
    return stream;
}

static bool nitSectionFrom(dvb_v5_fe_parms* parms, const uint8_t* bytes, size_t size, NitSection* section)
{
    dvb_table_nit* nit = nullptr;
    // libdvbv5 takes the section without its CRC.
    const ssize_t read = dvb_table_nit_init(parms, bytes, static_cast<ssize_t>(size - 4), &nit);
    if (!nit) return false;
    NitSection taken;
    taken.tableId = nit->header.table_id;
    taken.networkId = nit->header.id;
    taken.version = static_cast<uint8_t>(nit->header.version);
    taken.sectionNumber = nit->header.section_id;
    taken.lastSectionNumber = nit->header.last_section;
    taken.hasName = false;
    dvb_desc_find(struct dvb_desc_network_name, name, nit, network_name_descriptor)
    {
        taken.hasName = true;
        taken.networkName = printableNetworkName(name->network_name);
        break;
    }
    dvb_nit_transport_foreach(transport, nit) taken.streams.push_back(transportStreamOf(transport));
    dvb_table_nit_free(nit);
    // libdvbv5 gives up on the whole section over one descriptor it cannot
    // read (a satellite, cable or conditional access descriptor cut short);
    // our own reader checks the same lengths and reads only the descriptors
    // wanted here, so one odd descriptor does not lose the network.
    if (read < 0) return parseNitSection(bytes, size, section);
    *section = taken;
    return true;
}

bool streamSectionFrom(dvb_v5_fe_parms* parms, SectionTable table, const uint8_t* bytes, size_t size,
                       StreamSection* section)
{
    if (!soundSection(table, bytes, size)) return false;
    StreamSection taken;
    bool sound = false;
    switch (table) {
    case TableNit:
    case TableNitOther: sound = nitSectionFrom(parms, bytes, size, &taken.nit); break;
    case TablePat: sound = parsePatStreamId(bytes, size, &taken.transportStreamId); break;
    case TableSdt: sound = parseSdtIds(bytes, size, &taken.transportStreamId, &taken.originalNetworkId); break;
    }
    if (sound) *section = taken;
    return sound;
}
