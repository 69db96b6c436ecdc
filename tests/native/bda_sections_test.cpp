// What the BDA bridge gathers from the sections its graph delivers, and
// which lock the identity found belongs to.
#include <gtest/gtest.h>

#include "bda/bda_sections.h"
#include "cardbase/network/psi_build.h"

namespace {

NitFacts astra()
{
    NitFacts facts;
    facts.networkId = 1;
    facts.networkName = "Astra";
    facts.streams = {{0x0403, 1, true, 130, 11000000}, {0x0401, 1, true, 192, 12000000}, {0x0405, 1, true, 130, 0}};
    facts.streamsPerSection = 2;
    return facts;
}

void gather(SectionGathering& gathering, const SectionBytes& section, uint32_t nowMs)
{
    gatherSection(gathering, section.data(), section.size(), nowMs);
}

TEST(BdaSections, TheStreamsOwnEntryOnceNitPatAndSdtAreIn)
{
    SectionGathering gathering;
    const std::vector<SectionBytes> nit = buildNitSections(astra());
    ASSERT_EQ(2u, nit.size());
    NetworkIdentity identity;
    gather(gathering, buildPatSection(0x0401, 0), 0);
    gather(gathering, nit[1], 10);
    EXPECT_FALSE(gatheredIdentity(gathering, 10, &identity));
    gather(gathering, nit[0], 20);
    // The NIT is whole, the original network id not yet known.
    EXPECT_FALSE(gatheredIdentity(gathering, 20, &identity));
    gather(gathering, buildSdtSection(0x0401, 1, 0), 30);
    ASSERT_TRUE(gatheredIdentity(gathering, 30, &identity));
    EXPECT_TRUE(identity.known);
    EXPECT_EQ("Astra", identity.networkName);
    EXPECT_EQ(PositionOfStream, identity.certainty);
    EXPECT_EQ(192, identity.position);
}

TEST(BdaSections, WithoutTheIdsAfterTheirWaitTheMostCommonPosition)
{
    SectionGathering gathering;
    for (const SectionBytes& section : buildNitSections(astra())) gather(gathering, section, 1000);
    NetworkIdentity identity;
    EXPECT_FALSE(gatheredIdentity(gathering, 1000 + streamIdsWaitMs - 1, &identity));
    // A PAT alone gives the stream id but not the network it comes from.
    gather(gathering, buildPatSection(0x0401, 0), 1100);
    EXPECT_FALSE(gatheredIdentity(gathering, 1100, &identity));
    ASSERT_TRUE(gatheredIdentity(gathering, 1000 + streamIdsWaitMs, &identity));
    EXPECT_EQ(PositionMostCommon, identity.certainty);
    EXPECT_EQ(130, identity.position);
}

TEST(BdaSections, TheSdtsIdsGoTogetherOverThePats)
{
    SectionGathering gathering;
    gather(gathering, buildPatSection(0x0999, 0), 0);
    gather(gathering, buildSdtSection(0x0401, 1, 0), 0);
    gather(gathering, buildPatSection(0x0777, 0), 0);
    EXPECT_EQ(0x0401, gathering.ids.transportStreamId);
    EXPECT_EQ(1, gathering.ids.originalNetworkId);
}

TEST(BdaSections, DamagedSectionsAndOtherNetworksAreLeftOut)
{
    SectionGathering gathering;
    NitFacts other = astra();
    other.tableId = nitOtherTable;
    other.networkId = 2;
    other.networkName = "Other";
    for (const SectionBytes& section : buildNitSections(other)) gather(gathering, section, 0);
    NitFacts single = astra();
    single.streamsPerSection = 16;
    SectionBytes damaged = buildNitSections(single)[0];
    damaged[12] ^= 0x02;  // a bit of the name
    gather(gathering, damaged, 0);
    SectionBytes cut = buildSdtSection(0x0401, 1, 0);
    cut.pop_back();
    gather(gathering, cut, 0);
    EXPECT_FALSE(gathering.nitWhole);
    EXPECT_FALSE(gathering.ids.hasOriginalNetworkId);
    gather(gathering, buildNitSections(single)[0], 0);
    gather(gathering, buildSdtSection(0x0401, 1, 0), 0);
    NetworkIdentity identity;
    ASSERT_TRUE(gatheredIdentity(gathering, 0, &identity));
    EXPECT_EQ("Astra", identity.networkName);
    EXPECT_EQ(1, identity.networkId);
}

TEST(BdaSections, ABufferIsTakenApartIntoItsWholeSections)
{
    const SectionBytes pat = buildPatSection(1, 0), sdt = buildSdtSection(1, 1, 0);
    SectionBytes buffer = pat;
    buffer.insert(buffer.end(), sdt.begin(), sdt.end());
    std::vector<size_t> sizes;
    const auto take = [&](const uint8_t* bytes, size_t size) {
        EXPECT_TRUE(bytes[0] == patTable || bytes[0] == sdtActualTable);
        sizes.push_back(size);
    };
    eachSection(buffer.data(), buffer.size(), take);
    EXPECT_EQ(std::vector<size_t>({pat.size(), sdt.size()}), sizes);

    // Stuffing ends the buffer; a section cut short is not passed on.
    sizes.clear();
    SectionBytes stuffed = pat;
    stuffed.insert(stuffed.end(), 20, 0xFF);
    stuffed.insert(stuffed.end(), sdt.begin(), sdt.end());
    eachSection(stuffed.data(), stuffed.size(), take);
    SectionBytes cut = pat;
    cut.insert(cut.end(), sdt.begin(), sdt.end() - 1);
    eachSection(cut.data(), cut.size(), take);
    eachSection(cut.data(), 2, take);
    EXPECT_EQ(std::vector<size_t>({pat.size(), pat.size()}), sizes);
}

NetworkIdentity named(const char* name)
{
    NetworkIdentity identity;
    identity.known = true;
    identity.networkName = name;
    return identity;
}

TEST(BdaSectionWatch, SectionsAreWantedWhileLockedUntilTheIdentityIsFound)
{
    SectionWatch watch;
    sectionWatchStart(watch);
    EXPECT_FALSE(sectionsWanted(watch));
    EXPECT_FALSE(sectionWatchLock(watch, true));
    EXPECT_TRUE(sectionsWanted(watch));
    sectionWatchFound(watch, watch.generation, named("Astra"));
    EXPECT_FALSE(sectionsWanted(watch));
    NetworkIdentity taken;
    ASSERT_TRUE(takeFoundIdentity(watch, &taken));
    EXPECT_EQ("Astra", taken.networkName);
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));
    // Still locked: the identity holds, and nothing more is read.
    EXPECT_FALSE(sectionWatchLock(watch, true));
    EXPECT_FALSE(sectionsWanted(watch));
}

TEST(BdaSectionWatch, ALostLockOrANewStartForgetsWhatWasFoundBeforeItWasTaken)
{
    SectionWatch watch;
    sectionWatchStart(watch);
    sectionWatchLock(watch, true);
    const uint32_t before = watch.generation;
    sectionWatchFound(watch, before, named("Astra"));
    EXPECT_TRUE(sectionWatchLock(watch, false));
    NetworkIdentity taken;
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));
    sectionWatchLock(watch, true);
    EXPECT_TRUE(sectionsWanted(watch));
    // What was gathered during the reading before is not this one's.
    sectionWatchFound(watch, before, named("Astra"));
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));

    sectionWatchFound(watch, watch.generation, named("Hotbird"));
    sectionWatchStart(watch);
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));
    EXPECT_FALSE(sectionsWanted(watch));
    EXPECT_NE(before, watch.generation);
}

TEST(BdaSectionWatch, NothingIsFoundWithoutLockOrAWholeTable)
{
    SectionWatch watch;
    sectionWatchStart(watch);
    sectionWatchFound(watch, watch.generation, named("Astra"));
    sectionWatchLock(watch, true);
    sectionWatchFound(watch, watch.generation, NetworkIdentity());
    NetworkIdentity taken;
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));
    EXPECT_TRUE(sectionsWanted(watch));
}

// Through a single-cable device the PAT's stream id is watched while
// locked: another receiver on the same user band changes it under a steady tune.
TEST(BdaSectionWatch, TheUserBandIsWatchedByThePatsStreamIdWhileLocked)
{
    SectionWatch watch;
    watch.watchingBand = true;
    sectionWatchStart(watch);
    sectionWatchLock(watch, true);
    sectionWatchFound(watch, watch.generation, named("Astra"));
    NetworkIdentity taken;
    ASSERT_TRUE(takeFoundIdentity(watch, &taken));
    EXPECT_TRUE(sectionsWanted(watch));  // still, for the stream id
    sectionWatchFound(watch, watch.generation, named("Astra"));
    EXPECT_FALSE(takeFoundIdentity(watch, &taken));  // the identity is handed on once

    uint16_t streamId = 0;
    const SectionBytes pat = buildPatSection(0x0401, 0);
    ASSERT_TRUE(patStreamIdOf(pat.data(), pat.size(), &streamId));
    EXPECT_EQ(0x0401, streamId);
    const SectionBytes sdt = buildSdtSection(0x0401, 1, 0);
    EXPECT_FALSE(patStreamIdOf(sdt.data(), sdt.size(), &streamId));

    sectionWatchStreamId(watch, watch.generation, 0x0401);
    sectionWatchStreamId(watch, watch.generation, 0x0401);
    EXPECT_FALSE(takeBandShared(watch));
    // A lost lock on the way does not forget the first id.
    sectionWatchLock(watch, false);
    sectionWatchStreamId(watch, watch.generation, 0x0777);  // not locked: not believed
    EXPECT_FALSE(takeBandShared(watch));
    sectionWatchLock(watch, true);
    sectionWatchStreamId(watch, watch.generation - 1, 0x0777);  // of the reading before
    EXPECT_FALSE(takeBandShared(watch));
    sectionWatchStreamId(watch, watch.generation, 0x0777);
    EXPECT_TRUE(takeBandShared(watch));
    EXPECT_FALSE(takeBandShared(watch));
    sectionWatchStreamId(watch, watch.generation, 0x0401);
    EXPECT_FALSE(takeBandShared(watch));  // said once until the next start

    // A new start forgets the first id.
    sectionWatchStart(watch);
    sectionWatchLock(watch, true);
    sectionWatchStreamId(watch, watch.generation, 0x0777);
    sectionWatchStreamId(watch, watch.generation, 0x0777);
    EXPECT_FALSE(takeBandShared(watch));

    // Without a single-cable device nothing is watched.
    SectionWatch plain;
    sectionWatchStart(plain);
    sectionWatchLock(plain, true);
    sectionWatchStreamId(plain, plain.generation, 1);
    sectionWatchStreamId(plain, plain.generation, 2);
    EXPECT_FALSE(takeBandShared(plain));
}

}  // namespace
