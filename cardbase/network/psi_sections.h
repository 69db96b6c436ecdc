// What a transport stream's service information says about where it comes
// from: the network information table (NIT) with the network's name and,
// per transport stream, the satellite delivery system descriptor with its
// orbital position, and the stream's own ids from the programme association
// and service description tables. Sections are checked (length, CRC) before
// anything in them is believed. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t patPid = 0x00;
constexpr uint16_t nitPid = 0x10;
constexpr uint16_t sdtPid = 0x11;
constexpr uint8_t nitActualTable = 0x40;
constexpr uint8_t nitOtherTable = 0x41;
constexpr uint8_t patTable = 0x00;
constexpr uint8_t sdtActualTable = 0x42;
constexpr size_t maxSectionBytes = 1024;  // 3 header bytes + section_length up to 1021

// The MPEG-2 CRC of a section (polynomial 0x04C11DB7, no reflection, all
// ones at the start): 0 over a whole section whose CRC is right.
uint32_t psiCrc32(const uint8_t* bytes, size_t size);

// The long section form every table here uses: its whole length within
// `size` and at least `minimumLength`, the syntax bit set, a current (not
// next) version and a right CRC. The length of the whole section, or 0 when
// it is not sound.
size_t soundSectionLength(const uint8_t* bytes, size_t size, size_t minimumLength);

// An orbital position in tenths of a degree, east positive: 192 is 19.2 E,
// -300 is 30.0 W. Zero stands for "none given".
typedef int32_t PositionTenths;

struct NitTransportStream {
    uint16_t transportStreamId;
    uint16_t originalNetworkId;
    bool hasPosition;         // a satellite delivery system descriptor with a position
    PositionTenths position;  // valid with hasPosition
    uint32_t frequencyKHz;    // from the same descriptor, 0 without one
    // The descriptor's modulation system (0 DVB-S, 1 DVB-S2), modulation
    // type and FEC inner code, as it gives them.
    bool hasDeliveryDescriptor = false;
    uint8_t modulationSystem = 0;
    uint8_t modulationType = 0;
    uint8_t fecInner = 0;
    // Its polarization (0 linear horizontal, 1 linear vertical, 2 circular
    // left, 3 circular right) and symbol rate in symbols a second.
    uint8_t polarization = 0;
    uint32_t symbolsPerSecond = 0;
};

struct NitSection {
    uint8_t tableId;  // nitActualTable or nitOtherTable
    uint16_t networkId;
    uint8_t version;
    uint8_t sectionNumber;
    uint8_t lastSectionNumber;
    bool hasName;
    std::string networkName;  // as printable text (see networkNameText)
    std::vector<NitTransportStream> streams;
};

// Reads one whole NIT section (actual or other). False when it is not one,
// is cut short, overruns its own lengths, or its CRC is wrong. A transport
// stream loop length that disagrees with what follows is not trusted: the
// entries are read up to the CRC, as receivers do (some multiplexers write
// the loop length without the descriptors).
bool parseNitSection(const uint8_t* bytes, size_t size, NitSection* section);

// The transport stream id of a PAT section, or the transport stream and
// original network ids of an SDT actual section. False when the section is
// not of that table or is not sound.
bool parsePatStreamId(const uint8_t* bytes, size_t size, uint16_t* transportStreamId);
bool parseSdtIds(const uint8_t* bytes, size_t size, uint16_t* transportStreamId, uint16_t* originalNetworkId);

// A network name descriptor's bytes as plain text: a leading character
// table selector is dropped, as are the control codes 0x80 .. 0x9F
// (emphasis, line breaks); printable ASCII is kept, of a two-byte table
// the characters in ASCII, and every other character becomes '?'. Names
// are short: at most 64 characters are kept.
std::string networkNameText(const uint8_t* bytes, size_t size);
