#include "cardbase/network/psi_build.h"

#include <cstdlib>

static void put16(SectionBytes& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value >> 8));
    bytes.push_back(static_cast<uint8_t>(value));
}

// Four bits of "reserved" ones above a 12-bit length, patched in later.
static size_t placeLength(SectionBytes& bytes)
{
    put16(bytes, 0xF000);
    return bytes.size() - 2;
}

static void patchLength(SectionBytes& bytes, size_t at, size_t length)
{
    bytes[at] = static_cast<uint8_t>((bytes[at] & 0xF0) | ((length >> 8) & 0x0F));
    bytes[at + 1] = static_cast<uint8_t>(length);
}

// Table id, the section length to come, the id, version and numbers.
static SectionBytes sectionHead(uint8_t tableId, uint16_t id, uint8_t version, uint8_t number, uint8_t last)
{
    SectionBytes bytes = {tableId, 0xF0, 0x00};
    put16(bytes, id);
    bytes.push_back(static_cast<uint8_t>(0xC1 | (version & 0x1F) << 1));
    bytes.push_back(number);
    bytes.push_back(last);
    return bytes;
}

// Fills in the section length and appends the CRC.
static SectionBytes finished(SectionBytes bytes)
{
    patchLength(bytes, 1, bytes.size() + 4 - 3);
    const uint32_t crc = psiCrc32(bytes.data(), bytes.size());
    put16(bytes, crc >> 16);
    put16(bytes, crc & 0xFFFF);
    return bytes;
}

static uint32_t bcd(uint32_t value, int digits)
{
    uint32_t coded = 0;
    for (int i = 0; i < digits; ++i, value /= 10) coded |= (value % 10) << (4 * i);
    return coded;
}

static void putSatelliteDescriptor(SectionBytes& bytes, const NitStreamFacts& stream)
{
    const uint32_t frequency = bcd(stream.frequencyKHz / 10, 8);
    const uint32_t orbit = bcd(static_cast<uint32_t>(std::abs(stream.position)), 4);
    // Seven digits of 100 symbols a second, then the FEC's four bits.
    const uint32_t rate = bcd(stream.symbolsPerSecond / 100, 7) << 4 | (stream.fecInner & 0x0F);
    const uint8_t descriptor[13] = {
        0x43, 11, static_cast<uint8_t>(frequency >> 24), static_cast<uint8_t>(frequency >> 16),
        static_cast<uint8_t>(frequency >> 8), static_cast<uint8_t>(frequency), static_cast<uint8_t>(orbit >> 8),
        static_cast<uint8_t>(orbit),
        // east flag, polarization, roll-off 0.35, system and modulation
        static_cast<uint8_t>((stream.position >= 0 ? 0x80 : 0x00) | (stream.polarization & 0x03) << 5 |
                             (stream.modulationSystem & 0x01) << 2 | (stream.modulationType & 0x03)),
        static_cast<uint8_t>(rate >> 24), static_cast<uint8_t>(rate >> 16), static_cast<uint8_t>(rate >> 8),
        static_cast<uint8_t>(rate)};
    bytes.insert(bytes.end(), descriptor, descriptor + sizeof descriptor);
}

std::vector<SectionBytes> buildNitSections(const NitFacts& facts)
{
    const size_t perSection = facts.streamsPerSection > 0 ? facts.streamsPerSection : 1;
    const size_t count = facts.streams.empty() ? 1 : (facts.streams.size() + perSection - 1) / perSection;
    std::vector<SectionBytes> sections;
    for (size_t number = 0; number < count; ++number) {
        SectionBytes bytes = sectionHead(facts.tableId, facts.networkId, facts.version, static_cast<uint8_t>(number),
                                         static_cast<uint8_t>(count - 1));
        const size_t networkLength = placeLength(bytes);
        if (facts.withName && number == 0) {
            const size_t nameLength = facts.networkName.size() < 255 ? facts.networkName.size() : 255;
            bytes.push_back(0x40);
            bytes.push_back(static_cast<uint8_t>(nameLength));
            bytes.insert(bytes.end(), facts.networkName.begin(), facts.networkName.begin() + nameLength);
        }
        patchLength(bytes, networkLength, bytes.size() - networkLength - 2);
        const size_t loopLength = placeLength(bytes);
        for (size_t i = number * perSection; i < facts.streams.size() && i < (number + 1) * perSection; ++i) {
            const NitStreamFacts& stream = facts.streams[i];
            put16(bytes, stream.transportStreamId);
            put16(bytes, stream.originalNetworkId);
            const size_t descriptorsLength = placeLength(bytes);
            if (stream.withSatelliteDescriptor) putSatelliteDescriptor(bytes, stream);
            if (facts.withShortCaDescriptors) {
                const uint8_t shortCa[4] = {0x09, 2, 0x01, 0x00};
                bytes.insert(bytes.end(), shortCa, shortCa + sizeof shortCa);
            }
            patchLength(bytes, descriptorsLength, bytes.size() - descriptorsLength - 2);
        }
        patchLength(bytes, loopLength, bytes.size() - loopLength - 2);
        sections.push_back(finished(bytes));
    }
    return sections;
}

SectionBytes buildPatSection(uint16_t transportStreamId, uint8_t version)
{
    SectionBytes bytes = sectionHead(patTable, transportStreamId, version, 0, 0);
    put16(bytes, 0x0000);  // the network PID entry: programme 0 on PID 0x10
    put16(bytes, 0xE000 | nitPid);
    return finished(bytes);
}

SectionBytes buildSdtSection(uint16_t transportStreamId, uint16_t originalNetworkId, uint8_t version)
{
    SectionBytes bytes = sectionHead(sdtActualTable, transportStreamId, version, 0, 0);
    put16(bytes, originalNetworkId);
    bytes.push_back(0xFF);  // reserved; no services listed
    return finished(bytes);
}
