// Sections as the demux hands them to the helper, read with libdvbv5: what
// a NIT says (name, streams, positions east and west, no descriptor), the
// stream's ids from its PAT and SDT, and what is not believed: a wrong CRC,
// a section cut short or longer than its header says, another table.
#include <cstdlib>
#include <gtest/gtest.h>
#include <libdvbv5/dvb-fe.h>

#include "cardbase/margin/link_margin.h"
#include "cardbase/network/psi_build.h"
#include "dvb/helper/frontend/stream_sections.h"

namespace {

// libdvbv5's remarks are not for the test's output.
static void quiet(int, const char*, ...) {}

class DvbStreamSections : public ::testing::Test {
protected:
    void SetUp() override
    {
        parms_ = dvb_fe_dummy();
        ASSERT_NE(nullptr, parms_);
        parms_->logfunc = quiet;
    }
    void TearDown() override { std::free(parms_); }

    bool read(SectionTable table, const SectionBytes& bytes, StreamSection* section)
    {
        return streamSectionFrom(parms_, table, bytes.data(), bytes.size(), section);
    }

    dvb_v5_fe_parms* parms_ = nullptr;
};

static NitFacts twoSatellites()
{
    NitFacts facts;
    facts.networkId = 0x0085;
    facts.version = 7;
    facts.networkName = "Sky Net";
    facts.streams = {{0x0403, 0x0001, true, 192, 11362000},
                     {0x0404, 0x0001, true, -300, 12245000},
                     {0x0405, 0x0002, false, 0, 0},
                     {0x0406, 0x0002, true, 0, 10700000}};
    facts.streamsPerSection = 3;
    return facts;
}

TEST_F(DvbStreamSections, ANitGivesItsNameStreamsAndPositionsThroughLibdvbv5)
{
    const std::vector<SectionBytes> sections = buildNitSections(twoSatellites());
    ASSERT_EQ(2u, sections.size());
    StreamSection first;
    ASSERT_TRUE(read(TableNit, sections[0], &first));
    const NitSection& nit = first.nit;
    EXPECT_EQ(nitActualTable, nit.tableId);
    EXPECT_EQ(0x0085, nit.networkId);
    EXPECT_EQ(7, nit.version);
    EXPECT_EQ(0, nit.sectionNumber);
    EXPECT_EQ(1, nit.lastSectionNumber);
    EXPECT_TRUE(nit.hasName);
    EXPECT_EQ("Sky Net", nit.networkName);
    ASSERT_EQ(3u, nit.streams.size());
    EXPECT_EQ(0x0403, nit.streams[0].transportStreamId);
    EXPECT_EQ(0x0001, nit.streams[0].originalNetworkId);
    EXPECT_TRUE(nit.streams[0].hasPosition);
    EXPECT_EQ(192, nit.streams[0].position);
    EXPECT_EQ(11362000u, nit.streams[0].frequencyKHz);
    EXPECT_EQ(-300, nit.streams[1].position);  // west
    EXPECT_FALSE(nit.streams[2].hasPosition);  // no descriptor
    StreamSection second;
    ASSERT_TRUE(read(TableNit, sections[1], &second));
    EXPECT_FALSE(second.nit.hasName);
    ASSERT_EQ(1u, second.nit.streams.size());
    EXPECT_FALSE(second.nit.streams[0].hasPosition);  // a descriptor at 0.0: no position
    EXPECT_EQ(10700000u, second.nit.streams[0].frequencyKHz);
}

// libdvbv5's reading and the cards' own agree on the descriptor's
// modulation system, modulation type and FEC inner code.
TEST_F(DvbStreamSections, TheSatelliteDescriptorsModulationAndCodeRateReadAlikeBothWays)
{
    NitFacts facts;
    facts.networkId = 0x0001;
    facts.streams = {{0x0401, 0x0001, true, 192, 11597000, 1, 2, 3},
                     {0x0402, 0x0001, true, -300, 12245000, 0, 1, 5},
                     {0x0403, 0x0001, true, 130, 10723000, 1, 1, 9},
                     {0x0404, 0x0001, false, 0, 0}};
    const SectionBytes bytes = buildNitSections(facts)[0];
    StreamSection viaLibrary;
    ASSERT_TRUE(read(TableNit, bytes, &viaLibrary));
    NitSection own;
    ASSERT_TRUE(parseNitSection(bytes.data(), bytes.size(), &own));
    ASSERT_EQ(4u, viaLibrary.nit.streams.size());
    ASSERT_EQ(4u, own.streams.size());
    const char* const expected[] = {"S2-8PSK-3/4", "S-QPSK-7/8", "S2-QPSK-9/10"};
    for (size_t i = 0; i < 4; ++i) {
        for (const NitTransportStream& stream : {viaLibrary.nit.streams[i], own.streams[i]}) {
            EXPECT_EQ(i < 3, stream.hasDeliveryDescriptor) << i;
            if (i == 3) continue;
            const ModcodWord word = networkWord(stream.modulationSystem, stream.modulationType, stream.fecInner);
            ASSERT_TRUE(word.known) << i;
            EXPECT_EQ(expected[i], modcodText(word.modcod));
        }
    }
}

// A survey tunes what the lists give: polarization and symbol rate read
// alike through libdvbv5 and the cards' own reader.
TEST_F(DvbStreamSections, TheDescriptorsPolarizationAndSymbolRateReadAlikeBothWays)
{
    NitFacts facts;
    facts.networkId = 0x0001;
    facts.streams = {{0x0401, 0x0001, true, 130, 10719000},
                     {0x0402, 0x0001, true, 130, 11034000},
                     {0x0403, 0x0001, true, 130, 12149000},
                     {0x0404, 0x0001, true, 130, 3756000}};
    const uint8_t polarizations[] = {0, 1, 2, 3};
    const uint32_t rates[] = {27500000, 29900000, 2170000, 44950000};
    for (size_t i = 0; i < 4; ++i) {
        facts.streams[i].polarization = polarizations[i];
        facts.streams[i].symbolsPerSecond = rates[i];
    }
    const SectionBytes bytes = buildNitSections(facts)[0];
    StreamSection viaLibrary;
    ASSERT_TRUE(read(TableNit, bytes, &viaLibrary));
    NitSection own;
    ASSERT_TRUE(parseNitSection(bytes.data(), bytes.size(), &own));
    ASSERT_EQ(4u, viaLibrary.nit.streams.size());
    ASSERT_EQ(4u, own.streams.size());
    for (size_t i = 0; i < 4; ++i) {
        for (const NitTransportStream& stream : {viaLibrary.nit.streams[i], own.streams[i]}) {
            EXPECT_EQ(polarizations[i], stream.polarization) << i;
            EXPECT_EQ(rates[i], stream.symbolsPerSecond) << i;
            EXPECT_EQ(facts.streams[i].frequencyKHz, stream.frequencyKHz) << i;
            EXPECT_EQ(3, stream.fecInner) << i;  // the FEC beside the rate is untouched
        }
    }
}

TEST_F(DvbStreamSections, ThePatAndSdtGiveTheStreamsIds)
{
    StreamSection pat, sdt;
    ASSERT_TRUE(read(TablePat, buildPatSection(0x4081, 0), &pat));
    EXPECT_EQ(0x4081, pat.transportStreamId);
    ASSERT_TRUE(read(TableSdt, buildSdtSection(0x4081, 0xff44, 0), &sdt));
    EXPECT_EQ(0x4081, sdt.transportStreamId);
    EXPECT_EQ(0xff44, sdt.originalNetworkId);
}

TEST_F(DvbStreamSections, WhatIsNotSoundIsNotBelieved)
{
    const SectionBytes good = buildNitSections(twoSatellites())[0];
    StreamSection section;
    SectionBytes damaged = good;
    damaged[20] ^= 0x01;
    EXPECT_FALSE(read(TableNit, damaged, &section));
    SectionBytes cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(read(TableNit, cut, &section));
    SectionBytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(read(TableNit, longer, &section));
    NitFacts other = twoSatellites();
    other.tableId = nitOtherTable;
    EXPECT_FALSE(read(TableNit, buildNitSections(other)[0], &section));
    EXPECT_FALSE(read(TablePat, good, &section));
    EXPECT_FALSE(read(TableSdt, buildPatSection(1, 0), &section));
    const uint8_t tiny[3] = {0x40, 0xF0, 0x00};
    EXPECT_FALSE(streamSectionFrom(parms_, TableNit, tiny, sizeof tiny, &section));
}

// libdvbv5 gives up a whole section over one descriptor it cannot read; the
// section is then read by our own reader, with the same checks, so that the
// network is not lost: what the odd descriptor would have said is left out,
// never guessed.
TEST_F(DvbStreamSections, OneDescriptorLibdvbv5RefusesDoesNotLoseTheSection)
{
    StreamSection section;
    // A satellite descriptor too short (4 bytes of its 11): the entry has no position.
    SectionBytes shortDescriptor = buildNitSections(twoSatellites())[1];
    ASSERT_EQ(0x43, shortDescriptor[18]);  // after the header, both loop lengths, the entry's ids and length
    shortDescriptor.erase(shortDescriptor.begin() + 24, shortDescriptor.begin() + 31);
    shortDescriptor[19] = 4;
    shortDescriptor[17] = static_cast<uint8_t>(shortDescriptor[17] - 7);
    shortDescriptor[11] = static_cast<uint8_t>(shortDescriptor[11] - 7);
    shortDescriptor[2] = static_cast<uint8_t>(shortDescriptor[2] - 7);
    const size_t body = shortDescriptor.size() - 4;
    const uint32_t crc = psiCrc32(shortDescriptor.data(), body);
    for (size_t i = 0; i < 4; ++i) shortDescriptor[body + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    ASSERT_TRUE(read(TableNit, shortDescriptor, &section));
    ASSERT_EQ(1u, section.nit.streams.size());
    EXPECT_EQ(0x0406, section.nit.streams[0].transportStreamId);
    EXPECT_FALSE(section.nit.streams[0].hasPosition);

    // A conditional access descriptor cut short beside each satellite one:
    // every entry and its position are read.
    NitFacts damaged = twoSatellites();
    damaged.withShortCaDescriptors = true;
    const SectionBytes withShortCa = buildNitSections(damaged)[0];
    ASSERT_TRUE(read(TableNit, withShortCa, &section));
    EXPECT_EQ("Sky Net", section.nit.networkName);
    ASSERT_EQ(3u, section.nit.streams.size());
    EXPECT_EQ(192, section.nit.streams[0].position);
    EXPECT_EQ(-300, section.nit.streams[1].position);
    EXPECT_FALSE(section.nit.streams[2].hasPosition);

    // Our reader's own checks still hold: the same section with a
    // descriptor that overruns its entry is not believed.
    SectionBytes overrun = withShortCa;
    // the first entry's odd descriptor: after the header (8), the network
    // loop (2 + 9), the stream loop's length (2), the entry's ids and length
    // (6) and its satellite descriptor (13)
    ASSERT_EQ(0x09, overrun[40]);
    overrun[41] = 200;
    const size_t end = overrun.size() - 4;
    const uint32_t sum = psiCrc32(overrun.data(), end);
    for (size_t i = 0; i < 4; ++i) overrun[end + i] = static_cast<uint8_t>(sum >> (24 - 8 * i));
    EXPECT_FALSE(read(TableNit, overrun, &section));
}

TEST_F(DvbStreamSections, NamesBecomePrintableText)
{
    NitFacts facts = twoSatellites();
    facts.networkName = "\x15  Caf\xC3\xA9 Sat ";  // UTF-8, as the selector 0x15 says
    StreamSection section;
    ASSERT_TRUE(read(TableNit, buildNitSections(facts)[0], &section));
    EXPECT_EQ("Caf? Sat", section.nit.networkName);
    EXPECT_EQ("", printableNetworkName(nullptr));
    EXPECT_EQ("", printableNetworkName("   "));
    EXPECT_EQ("a?b", printableNetworkName("a\x01\xC3\xA9\x7F"
                                          "b"));
    EXPECT_EQ(64u, printableNetworkName(std::string(100, 'x').c_str()).size());
}

}  // namespace
