// Sections of a transport stream's service information built from a few
// facts, for the simulated tuners to serve and the tests to read:
// NIT (actual or other) with a network name and, per stream, a satellite
// delivery system descriptor; PAT and SDT with the stream's own ids.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/network/psi_sections.h"

typedef std::vector<uint8_t> SectionBytes;

struct NitStreamFacts {
    uint16_t transportStreamId;
    uint16_t originalNetworkId;
    bool withSatelliteDescriptor;
    PositionTenths position;  // east positive; 0 is written as 0.0 E
    uint32_t frequencyKHz;
    // The descriptor's modulation system, modulation type and FEC inner
    // code: DVB-S QPSK 3/4 unless told.
    uint8_t modulationSystem = 0;
    uint8_t modulationType = 1;
    uint8_t fecInner = 3;
    // Its polarization (0 horizontal, 1 vertical, 2 circular left, 3
    // circular right) and symbol rate: horizontal, 27.5 MS/s unless told.
    uint8_t polarization = 0;
    uint32_t symbolsPerSecond = 27500000;
};

struct NitFacts {
    uint8_t tableId = nitActualTable;
    uint16_t networkId = 0;
    uint8_t version = 0;
    bool withName = true;
    std::string networkName;
    std::vector<NitStreamFacts> streams;
    size_t streamsPerSection = 16;  // more streams go on further sections
    // Each entry also carries a damaged descriptor, its length sound: a
    // conditional access descriptor cut short (a system id, no PID).
    bool withShortCaDescriptors = false;
};

// The table's sections, numbered from 0, each with its CRC.
std::vector<SectionBytes> buildNitSections(const NitFacts& facts);
SectionBytes buildPatSection(uint16_t transportStreamId, uint8_t version);
SectionBytes buildSdtSection(uint16_t transportStreamId, uint16_t originalNetworkId, uint8_t version);
