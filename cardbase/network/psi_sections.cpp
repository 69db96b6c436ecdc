#include "cardbase/network/psi_sections.h"

#include <utility>

uint32_t psiCrc32(const uint8_t* bytes, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint32_t>(bytes[i]) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

static uint16_t read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }
static uint16_t read12(const uint8_t* at) { return static_cast<uint16_t>((at[0] & 0x0F) << 8 | at[1]); }

size_t soundSectionLength(const uint8_t* bytes, size_t size, size_t minimumLength)
{
    if (size < 3) return 0;
    const size_t length = 3 + read12(bytes + 1);
    if (length > size || length > maxSectionBytes || length < minimumLength) return 0;
    if (!(bytes[1] & 0x80) || !(bytes[5] & 0x01)) return 0;
    if (psiCrc32(bytes, length) != 0) return 0;
    return length;
}

// Binary-coded decimal digits, most significant first; false on a nibble
// above 9.
static bool readBcd(const uint8_t* bytes, int digits, uint32_t* value)
{
    uint32_t number = 0;
    for (int i = 0; i < digits; ++i) {
        const uint8_t nibble = i % 2 == 0 ? bytes[i / 2] >> 4 : bytes[i / 2] & 0x0F;
        if (nibble > 9) return false;
        number = number * 10 + nibble;
    }
    *value = number;
    return true;
}

static void readSatelliteDescriptor(const uint8_t* data, size_t length, NitTransportStream* stream)
{
    uint32_t frequency = 0, orbit = 0;
    if (length < 11 || !readBcd(data, 8, &frequency) || !readBcd(data + 4, 4, &orbit)) return;
    stream->frequencyKHz = frequency * 10;  // the descriptor counts 10 kHz steps
    stream->hasDeliveryDescriptor = true;
    stream->modulationSystem = (data[6] >> 2) & 0x01;
    stream->modulationType = data[6] & 0x03;
    stream->fecInner = data[10] & 0x0F;
    stream->polarization = (data[6] >> 5) & 0x03;
    uint32_t rate = 0;  // 7 digits of 100 symbols a second
    if (readBcd(data + 7, 7, &rate)) stream->symbolsPerSecond = rate * 100;
    // A position of 0 or beyond 180.0 says nothing about where the dish points.
    if (orbit == 0 || orbit > 1800) return;
    stream->hasPosition = true;
    stream->position = data[6] & 0x80 ? static_cast<PositionTenths>(orbit) : -static_cast<PositionTenths>(orbit);
}

// Walks the descriptor loop bytes[from .. to); false when a descriptor
// overruns it.
template <typename Visit>
static bool walkDescriptors(const uint8_t* bytes, size_t from, size_t to, Visit visit)
{
    size_t at = from;
    while (at < to) {
        if (to - at < 2 || bytes[at + 1] > to - at - 2) return false;
        visit(bytes[at], bytes + at + 2, bytes[at + 1]);
        at += 2 + bytes[at + 1];
    }
    return true;
}

bool parseNitSection(const uint8_t* bytes, size_t size, NitSection* section)
{
    // header 8, network descriptors length 2, loop length 2, CRC 4
    const size_t length = soundSectionLength(bytes, size, 16);
    if (length == 0 || (bytes[0] != nitActualTable && bytes[0] != nitOtherTable)) return false;
    NitSection read;
    read.tableId = bytes[0];
    read.networkId = read16(bytes + 3);
    read.version = static_cast<uint8_t>((bytes[5] >> 1) & 0x1F);
    read.sectionNumber = bytes[6];
    read.lastSectionNumber = bytes[7];
    read.hasName = false;
    const size_t crc = length - 4;
    const size_t networkEnd = 10 + read12(bytes + 8);
    if (networkEnd + 2 > crc) return false;
    const bool networkLoopSound =
        walkDescriptors(bytes, 10, networkEnd, [&](uint8_t tag, const uint8_t* data, size_t n) {
            if (tag == 0x40 && !read.hasName) {
                read.hasName = true;
                read.networkName = networkNameText(data, n);
            }
        });
    if (!networkLoopSound) return false;
    size_t at = networkEnd + 2;  // the transport stream loop length is not trusted
    while (at < crc) {
        if (crc - at < 6) return false;
        NitTransportStream stream = {read16(bytes + at), read16(bytes + at + 2), false, 0, 0};
        const size_t descriptorsEnd = at + 6 + read12(bytes + at + 4);
        if (descriptorsEnd > crc) return false;
        const bool sound =
            walkDescriptors(bytes, at + 6, descriptorsEnd, [&](uint8_t tag, const uint8_t* data, size_t n) {
                if (tag == 0x43 && !stream.hasDeliveryDescriptor) readSatelliteDescriptor(data, n, &stream);
            });
        if (!sound) return false;
        read.streams.push_back(stream);
        at = descriptorsEnd;
    }
    *section = std::move(read);
    return true;
}

bool parsePatStreamId(const uint8_t* bytes, size_t size, uint16_t* transportStreamId)
{
    if (soundSectionLength(bytes, size, 12) == 0 || bytes[0] != patTable) return false;
    *transportStreamId = read16(bytes + 3);
    return true;
}

bool parseSdtIds(const uint8_t* bytes, size_t size, uint16_t* transportStreamId, uint16_t* originalNetworkId)
{
    if (soundSectionLength(bytes, size, 15) == 0 || bytes[0] != sdtActualTable) return false;
    *transportStreamId = read16(bytes + 3);
    *originalNetworkId = read16(bytes + 8);
    return true;
}

std::string networkNameText(const uint8_t* bytes, size_t size)
{
    size_t at = 0;
    bool twoByte = false;
    if (size > 0 && bytes[0] < 0x20) {
        const uint8_t selector = bytes[0];
        twoByte = selector == 0x11 || selector == 0x12 || selector == 0x13 || selector == 0x14;
        at = selector == 0x10 ? 3 : selector == 0x1F ? 2 : 1;
    }
    std::string text;
    const size_t step = twoByte ? 2 : 1;
    for (; at + step <= size && text.size() < 64; at += step) {
        const uint32_t c = twoByte ? static_cast<uint32_t>(bytes[at] << 8 | bytes[at + 1]) : bytes[at];
        if (!twoByte && c >= 0x80 && c <= 0x9F) continue;
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text;
}
