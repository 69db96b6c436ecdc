// A section as the demux hands it over, read into what the network reader
// needs: believed only when its length is its own, its CRC is right
// (checked here, whatever the demux was asked to check), it is a current
// section of the filter's table; then the NIT is read with libdvbv5's table
// and descriptor parsers (with our own where libdvbv5 refuses a descriptor
// of it), the PAT and SDT by their headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "dvb/helper/frontend/network_reader.h"

struct dvb_v5_fe_parms;

// `parms` carries libdvbv5's log (a frontend's, or dvb_fe_dummy()).
bool streamSectionFrom(dvb_v5_fe_parms* parms, SectionTable table, const uint8_t* bytes, size_t size,
                       StreamSection* section);

// A network name as libdvbv5 gives it (UTF-8), as printable ASCII: every
// other character one '?', control characters left out, no blanks at
// either end, at most 64 characters.
std::string printableNetworkName(const char* utf8);
