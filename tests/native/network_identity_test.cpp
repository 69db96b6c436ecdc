// Which satellite the dish sees, from the NIT of the tuned stream: sections
// read (and refused), a table gathered, the stream's position chosen, and
// what the catalogue expected.
#include <gtest/gtest.h>

#include "cardbase/network/network_identity.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/network/psi_build.h"

namespace {

static NitFacts astraLike()
{
    NitFacts facts;
    facts.networkId = 0x0001;
    facts.version = 3;
    facts.networkName = "Astra 19.2E";
    facts.streams = {{0x03EF, 0x0001, true, 192, 11597000},
                     {0x0401, 0x0001, true, 192, 11836000},
                     {0x0403, 0x0001, true, 235, 12070000},
                     {0x0405, 0x0001, false, 0, 0}};
    return facts;
}

// Gathers every section given into a table and identifies the stream.
static NetworkIdentity identify(const std::vector<SectionBytes>& sections, const StreamIds& ids)
{
    NitTable table;
    for (const SectionBytes& bytes : sections) {
        NitSection section;
        if (parseNitSection(bytes.data(), bytes.size(), &section)) addNitSection(table, section);
    }
    return identifyNetwork(table, ids);
}

static StreamIds idsOf(uint16_t transportStreamId, uint16_t originalNetworkId)
{
    StreamIds ids;
    ids.hasTransportStreamId = ids.hasOriginalNetworkId = true;
    ids.transportStreamId = transportStreamId;
    ids.originalNetworkId = originalNetworkId;
    return ids;
}

TEST(NitSections, ABuiltSectionReadsBackWithNameStreamsAndPositions)
{
    const std::vector<SectionBytes> sections = buildNitSections(astraLike());
    ASSERT_EQ(1u, sections.size());
    EXPECT_EQ(0u, psiCrc32(sections[0].data(), sections[0].size()));
    NitSection section;
    ASSERT_TRUE(parseNitSection(sections[0].data(), sections[0].size(), &section));
    EXPECT_EQ(nitActualTable, section.tableId);
    EXPECT_EQ(0x0001, section.networkId);
    EXPECT_EQ(3, section.version);
    EXPECT_TRUE(section.hasName);
    EXPECT_EQ("Astra 19.2E", section.networkName);
    ASSERT_EQ(4u, section.streams.size());
    EXPECT_EQ(0x03EF, section.streams[0].transportStreamId);
    EXPECT_TRUE(section.streams[0].hasPosition);
    EXPECT_EQ(192, section.streams[0].position);
    EXPECT_EQ(11597000u, section.streams[0].frequencyKHz);
    EXPECT_EQ(235, section.streams[2].position);
    EXPECT_FALSE(section.streams[3].hasPosition);
}

TEST(NitSections, DamagedOrForeignSectionsAreRefused)
{
    const SectionBytes good = buildNitSections(astraLike())[0];
    NitSection section;
    SectionBytes flipped = good;
    flipped[20] ^= 0x01;
    EXPECT_FALSE(parseNitSection(flipped.data(), flipped.size(), &section)) << "wrong CRC";
    EXPECT_FALSE(parseNitSection(good.data(), good.size() - 1, &section)) << "cut short";
    EXPECT_FALSE(parseNitSection(good.data(), 2, &section));
    EXPECT_FALSE(parseNitSection(nullptr, 0, &section));
    const SectionBytes pat = buildPatSection(0x03EF, 0);
    EXPECT_FALSE(parseNitSection(pat.data(), pat.size(), &section)) << "another table";

    // A "next" version is not the table in force.
    SectionBytes next = good;
    next[5] &= 0xFE;
    const uint32_t crc = psiCrc32(next.data(), next.size() - 4);
    for (int i = 0; i < 4; ++i) next[next.size() - 4 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    EXPECT_FALSE(parseNitSection(next.data(), next.size(), &section));

    // Trailing bytes after a whole section (a demux buffer, say) are not read.
    SectionBytes padded = good;
    padded.insert(padded.end(), 7, 0xFF);
    EXPECT_TRUE(parseNitSection(padded.data(), padded.size(), &section));
}

TEST(NitSections, ADescriptorThatOverrunsItsLoopIsRefusedButALoopLengthIsNotTrusted)
{
    NitFacts facts = astraLike();
    facts.streams.resize(1);
    SectionBytes bytes = buildNitSections(facts)[0];
    const auto resign = [](SectionBytes& section) {
        const uint32_t crc = psiCrc32(section.data(), section.size() - 4);
        for (int i = 0; i < 4; ++i) section[section.size() - 4 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    };
    // Some multiplexers write the transport stream loop length without the
    // descriptors: the entries are still read up to the CRC.
    const size_t loopLength = 10 + 2 + facts.networkName.size();
    SectionBytes shortLoop = bytes;
    shortLoop[loopLength] = 0xF0;
    shortLoop[loopLength + 1] = 6;
    resign(shortLoop);
    NitSection section;
    ASSERT_TRUE(parseNitSection(shortLoop.data(), shortLoop.size(), &section));
    ASSERT_EQ(1u, section.streams.size());
    EXPECT_EQ(192, section.streams[0].position);

    // The name descriptor claims more bytes than its loop has.
    SectionBytes overrun = bytes;
    overrun[11] = static_cast<uint8_t>(facts.networkName.size() + 1);
    resign(overrun);
    EXPECT_FALSE(parseNitSection(overrun.data(), overrun.size(), &section));
}

TEST(NitSections, OddPositionsAndNamesReadAsNothingRatherThanNonsense)
{
    NitFacts facts = astraLike();
    facts.streams = {{1, 1, true, 0, 11000000}, {2, 1, true, -300, 11000000}};
    SectionBytes bytes = buildNitSections(facts)[0];
    NitSection section;
    ASSERT_TRUE(parseNitSection(bytes.data(), bytes.size(), &section));
    EXPECT_FALSE(section.streams[0].hasPosition) << "0.0 is no position";
    EXPECT_TRUE(section.streams[1].hasPosition);
    EXPECT_EQ(-300, section.streams[1].position);

    const uint8_t latin[] = {0x05, 'S', 0xE9, 'r', 0x86, 'x'};  // table selector, emphasis code
    EXPECT_EQ("S?rx", networkNameText(latin, sizeof latin));
    const uint8_t wide[] = {0x11, 0x00, 'A', 0x04, 0x10, 0x00, 'B'};
    EXPECT_EQ("A?B", networkNameText(wide, sizeof wide));
    const uint8_t threeByteSelector[] = {0x10, 0x00, 0x05, 'N', 'T', 'V'};
    EXPECT_EQ("NTV", networkNameText(threeByteSelector, sizeof threeByteSelector));
    EXPECT_EQ("", networkNameText(nullptr, 0));
    const std::string longName(300, 'x');
    EXPECT_EQ(64u, networkNameText(reinterpret_cast<const uint8_t*>(longName.data()), longName.size()).size());
}

TEST(NitTable, ATableIsWholeOnlyWithEverySectionOfOneVersion)
{
    NitFacts facts = astraLike();
    facts.streamsPerSection = 1;
    const std::vector<SectionBytes> sections = buildNitSections(facts);
    ASSERT_EQ(4u, sections.size());

    NitFacts other = facts;
    other.tableId = nitOtherTable;
    other.networkId = 0x0085;
    other.networkName = "Elsewhere";
    other.streams = {{0x0001, 0x0085, true, 130, 10723000}};
    NitSection otherSection;
    const SectionBytes otherBytes = buildNitSections(other)[0];
    ASSERT_TRUE(parseNitSection(otherBytes.data(), otherBytes.size(), &otherSection));

    NitTable table;
    NitSection section;
    for (size_t i : {2u, 0u, 2u, 1u}) {
        ASSERT_TRUE(parseNitSection(sections[i].data(), sections[i].size(), &section));
        EXPECT_FALSE(addNitSection(table, section));
        EXPECT_FALSE(addNitSection(table, otherSection)) << "NIT other is left out";
    }
    ASSERT_TRUE(parseNitSection(sections[3].data(), sections[3].size(), &section));
    EXPECT_TRUE(addNitSection(table, section));
    EXPECT_EQ(4u, table.streams.size()) << "a repeated section counts once";
    EXPECT_EQ("Astra 19.2E", table.networkName);

    // A new version starts the table again.
    facts.version = 4;
    const std::vector<SectionBytes> newer = buildNitSections(facts);
    ASSERT_TRUE(parseNitSection(newer[1].data(), newer[1].size(), &section));
    EXPECT_FALSE(addNitSection(table, section));
    EXPECT_EQ(1u, table.streams.size());
}

TEST(NetworkIdentity, TheStreamsOwnEntryGivesThePositionElseTheMostCommonOneUncertain)
{
    const std::vector<SectionBytes> sections = buildNitSections(astraLike());

    const NetworkIdentity own = identify(sections, idsOf(0x0403, 0x0001));
    EXPECT_TRUE(own.known);
    EXPECT_EQ(0x0001, own.networkId);
    EXPECT_EQ(PositionOfStream, own.certainty);
    EXPECT_EQ(235, own.position) << "this stream's entry, though most say 19.2";

    for (const StreamIds& ids : {idsOf(0x0999, 0x0001), idsOf(0x0403, 0x0002), idsOf(0x0405, 0x0001), StreamIds()}) {
        const NetworkIdentity guessed = identify(sections, ids);
        EXPECT_EQ(PositionMostCommon, guessed.certainty);
        EXPECT_EQ(192, guessed.position);
    }

    NitFacts even = astraLike();
    even.streams.erase(even.streams.begin());
    EXPECT_EQ(PositionUnknown, identify(buildNitSections(even), StreamIds()).certainty) << "19.2 and 23.5 tie";

    NitFacts bare = astraLike();
    bare.withName = false;
    for (NitStreamFacts& stream : bare.streams) stream.withSatelliteDescriptor = false;
    const NetworkIdentity nameless = identify(buildNitSections(bare), idsOf(0x03EF, 0x0001));
    EXPECT_TRUE(nameless.known);
    EXPECT_EQ(PositionUnknown, nameless.certainty);
    EXPECT_EQ("network: (no name) (0x0001)", networkLine(nameless));
    EXPECT_EQ("position: unknown", positionLine(nameless));

    EXPECT_FALSE(identify({}, idsOf(1, 1)).known);
    EXPECT_EQ("no network information", networkLine(identify({}, idsOf(1, 1))));
}

TEST(NetworkIdentity, LinesAndTextsAsTheHelperAndThePageShowThem)
{
    NetworkIdentity identity;
    identity.known = true;
    identity.networkId = 0xFF44;
    identity.networkName = "LinuxTV.org";
    EXPECT_EQ("network: LinuxTV.org (0xff44)", networkLine(identity));
    EXPECT_EQ("position: unknown", positionLine(identity));
    identity.certainty = PositionOfStream;
    identity.position = 192;
    EXPECT_EQ("position: 19.2E", positionLine(identity));
    identity.certainty = PositionMostCommon;
    identity.position = -300;
    EXPECT_EQ("position: 30.0W (uncertain)", positionLine(identity));
    EXPECT_EQ("0.5E", positionText(5));
    EXPECT_EQ("180.0W", positionText(-1800));
    EXPECT_EQ("13.0\xC2\xB0 E", positionDegreesText(130));
}

TEST(NetworkIdentity, TheCatalogueSaysWhatWasExpectedAndOnlyAClearMissIsWrong)
{
    const std::vector<CatalogueLine> catalogue = catalogueLines("[HotBird1-6   13.0e]=10723h29900;\r\n"
                                                                "[HotBird7     13.0E]=10723h29900;\r\n"
                                                                "[Eutelsat W2  16.0e]=10723h29900;\r\n"
                                                                "[Astra   19.2e]=11597v22000;\r\n"
                                                                "[No position]=12000h27500;\r\n"
                                                                "[Intelsat 180.0w]=3840h27500;\r\n");
    const std::vector<PositionTenths> hotBird = expectedPositions(catalogue, 10723, 0, 29900);
    ASSERT_EQ((std::vector<PositionTenths>{130, 160}), hotBird);
    EXPECT_TRUE(expectedPositions(catalogue, 10723, 1, 29900).empty()) << "other polarization";
    EXPECT_TRUE(expectedPositions(catalogue, 10723, 0, 27500).empty()) << "other symbol rate";
    EXPECT_TRUE(expectedPositions(catalogue, 12000, 0, 27500).empty()) << "a name without a position";

    NetworkIdentity seen;
    seen.known = true;
    seen.certainty = PositionOfStream;
    seen.position = 192;
    EXPECT_EQ(VerdictWrong, judgePosition(seen, hotBird));
    EXPECT_EQ(VerdictAsExpected, judgePosition(seen, expectedPositions(catalogue, 11597, 1, 22000)));
    EXPECT_EQ(VerdictNoExpectation, judgePosition(seen, {}));
    seen.position = 135;
    EXPECT_EQ(VerdictAsExpected, judgePosition(seen, hotBird)) << "half a degree is the same satellite";
    seen.position = 136;
    EXPECT_EQ(VerdictWrong, judgePosition(seen, {130}));
    seen.position = 1799;  // 179.9 E is 0.2 degrees from 180.0 W
    EXPECT_EQ(VerdictAsExpected, judgePosition(seen, expectedPositions(catalogue, 3840, 0, 27500)));

    // The table's most common position may be another satellite's: a miss proves nothing.
    seen.certainty = PositionMostCommon;
    seen.position = 192;
    EXPECT_NE(VerdictWrong, judgePosition(seen, hotBird));
    EXPECT_EQ(VerdictProbable, judgePosition(seen, hotBird));
    EXPECT_EQ(VerdictProbable, judgePosition(seen, {192}));
    EXPECT_EQ(VerdictNoExpectation, judgePosition(seen, {}));

    seen.certainty = PositionUnknown;
    EXPECT_EQ(VerdictUnknown, judgePosition(seen, hotBird));
    EXPECT_EQ(VerdictUnknown, judgePosition(NetworkIdentity(), hotBird));
}

TEST(PsiSections, PatAndSdtGiveTheStreamsOwnIds)
{
    const SectionBytes pat = buildPatSection(0x4081, 1);
    uint16_t streamId = 0, networkId = 0;
    ASSERT_TRUE(parsePatStreamId(pat.data(), pat.size(), &streamId));
    EXPECT_EQ(0x4081, streamId);
    const SectionBytes sdt = buildSdtSection(0x4081, 0xFF44, 2);
    ASSERT_TRUE(parseSdtIds(sdt.data(), sdt.size(), &streamId, &networkId));
    EXPECT_EQ(0xFF44, networkId);
    EXPECT_FALSE(parseSdtIds(pat.data(), pat.size(), &streamId, &networkId));
    EXPECT_FALSE(parsePatStreamId(sdt.data(), sdt.size(), &streamId));
}

}  // namespace

namespace {

// What a card knows moment by moment: the table is read a while after the
// lock, forgotten at a new start or a lost lock, and a lock without a whole
// table for networkInformationWaitMs has "no network information".
TEST(NetworkWatch, KnownAfterTheTableForgottenWithTheLockAndNoneAfterTheWait)
{
    NetworkIdentity astra;
    astra.known = true;
    astra.networkId = 1;
    astra.networkName = "Astra";
    astra.certainty = PositionOfStream;
    astra.position = 192;

    NetworkWatch watch;
    EXPECT_EQ(NetworkNotLocked, networkState(watch, 0));
    networkFound(watch, astra);
    EXPECT_EQ(NetworkNotLocked, networkState(watch, 0)) << "a table read without lock is not believed";
    networkLock(watch, true, 1000);
    EXPECT_EQ(NetworkReading, networkState(watch, 1000));
    networkFound(watch, astra);
    EXPECT_EQ(NetworkKnown, networkState(watch, 1200));
    EXPECT_EQ(192, networkReport(watch, 1200).identity.position);
    networkLock(watch, true, 1300);  // still locked: still known
    EXPECT_EQ(NetworkKnown, networkState(watch, 90000));

    networkLock(watch, false, 2000);
    networkLock(watch, true, 2100);
    EXPECT_EQ(NetworkReading, networkState(watch, 2100)) << "the dish may have moved to another satellite";
    EXPECT_EQ(NetworkReading, networkState(watch, 2100 + networkInformationWaitMs - 1));
    EXPECT_EQ(NetworkNoInformation, networkState(watch, 2100 + networkInformationWaitMs));
    EXPECT_FALSE(networkReport(watch, 2100 + networkInformationWaitMs).identity.known);

    networkFound(watch, astra);
    networkRetuned(watch);
    EXPECT_EQ(NetworkNotLocked, networkState(watch, 30000));
    networkLock(watch, true, 0xFFFFFF00u);  // the tick count wraps
    EXPECT_EQ(NetworkReading, networkState(watch, 0x00000100u));
}

}  // namespace
