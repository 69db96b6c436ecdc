// What a survey decides without a frontend: what the networks' lists give
// at a position (each transponder once, circular and untypable ones counted
// and left out), the --transponders file, the satellite a name stands for,
// what a pattern of failures means (and that one dead transponder is no
// pattern), and when the catalogue's transponder is stale and what replaces
// it.
#include <gtest/gtest.h>

#include "dvb/helper/survey/survey_judge.h"

namespace {

static SurveyResult resultOf(const std::string& entry, bool locked, SurveyFound found = FoundInLists)
{
    SurveyResult result;
    EXPECT_TRUE(surveyTransponderOf(entry, found, &result.transponder)) << entry;
    result.transponder.listedHere = found == FoundInLists;
    result.entry.locked = locked;
    return result;
}

static std::vector<SurveyResult> resultsOf(const std::vector<std::pair<const char*, bool>>& entries)
{
    std::vector<SurveyResult> results;
    for (const auto& each : entries) results.push_back(resultOf(each.first, each.second));
    return results;
}

static const char highBandSentence[] = "no lock on any high-band transponder: is the 22 kHz tone reaching the LNB?";
static const char horizontalSentence[] = "no lock on any horizontal transponder: does the LNB switch to 18 V?";
static const char nothingSentence[] = "no lock at all: is the dish on the satellite, the LNB powered, the cable sound?";

TEST(DvbSurveyJudge, EachClearPatternGivesItsSentence)
{
    // The tone: both high-band ones fail, whatever their polarization.
    EXPECT_EQ(
        std::vector<std::string>{highBandSentence},
        surveySentences(
            resultsOf({{"10719V27500", true}, {"11034H27500", true}, {"11785H27500", false}, {"12149V27500", false}}),
            {130}));
    // 18 V: both horizontal ones fail, in both bands.
    EXPECT_EQ(
        std::vector<std::string>{horizontalSentence},
        surveySentences(
            resultsOf({{"10719V27500", true}, {"11034H27500", false}, {"11785H27500", false}, {"12149V27500", true}}),
            {130}));
    // Both faults at once: only low-band vertical ones lock.
    EXPECT_EQ(
        (std::vector<std::string>{highBandSentence, horizontalSentence}),
        surveySentences(
            resultsOf({{"10719V27500", true}, {"11034H27500", false}, {"11785H27500", false}, {"12149V27500", false}}),
            {130}));
    // Nothing: that sentence alone.
    EXPECT_EQ(std::vector<std::string>{nothingSentence},
              surveySentences(resultsOf({{"11034H27500", false}, {"12149V27500", false}}), {130}));

    // Another satellite, in the network's own word.
    std::vector<SurveyResult> elsewhere = resultsOf({{"10723H29900", true}});
    elsewhere[0].entry.network.state = NetworkKnown;
    elsewhere[0].entry.network.identity.known = true;
    elsewhere[0].entry.network.identity.certainty = PositionOfStream;
    elsewhere[0].entry.network.identity.position = 192;
    EXPECT_EQ(std::vector<std::string>{"this is 19.2\xC2\xB0 E, not 13.0\xC2\xB0 E"},
              surveySentences(elsewhere, {130}));
    // Within half a degree it is the one expected; a most common position is never judged.
    elsewhere[0].entry.network.identity.position = 125;
    EXPECT_TRUE(surveySentences(elsewhere, {130}).empty());
    elsewhere[0].entry.network.identity.position = 192;
    elsewhere[0].entry.network.identity.certainty = PositionMostCommon;
    EXPECT_TRUE(surveySentences(elsewhere, {130}).empty());
    elsewhere[0].entry.network.identity.certainty = PositionOfStream;
    EXPECT_TRUE(surveySentences(elsewhere, {}).empty());  // nothing was expected
}

TEST(DvbSurveyJudge, OneDeadTransponderOrAMixedFailureIsNoPattern)
{
    // A single high-band transponder failing is no pattern.
    EXPECT_TRUE(
        surveySentences(resultsOf({{"10719V27500", true}, {"11034H27500", true}, {"12149V27500", false}}), {130})
            .empty());
    // One high-band one locks: the tone reaches the LNB.
    EXPECT_TRUE(
        surveySentences(
            resultsOf({{"10719V27500", true}, {"11785H27500", false}, {"12149V27500", false}, {"12597V29900", true}}),
            {130})
            .empty());
    // Every high-band one fails, but so does every low-band one but none: nothing locks.
    EXPECT_EQ(
        std::vector<std::string>{nothingSentence},
        surveySentences(resultsOf({{"10719V27500", false}, {"11785H27500", false}, {"12149V27500", false}}), {130}));
    EXPECT_TRUE(surveySentences({}, {130}).empty());
    // C band has no high band to miss.
    EXPECT_TRUE(surveySentences(resultsOf({{"3740V29270", true}, {"4020V29270", true}}), {-1330}).empty());
}

static HeardLists listsOf(std::vector<NitTransportStream> actual, std::vector<NitTransportStream> other = {})
{
    HeardLists lists;
    lists.settled = true;
    NitTable table;
    table.networkId = 1;
    table.streams = actual;
    lists.tables.push_back(table);
    table.networkId = 2;
    table.streams = other;
    lists.tables.push_back(table);
    return lists;
}

static NitTransportStream listed(uint32_t frequencyKHz, uint8_t polarization, uint32_t rate, PositionTenths position,
                                 uint8_t system = 0, uint8_t type = 1, uint8_t fec = 3)
{
    NitTransportStream stream{1, 1, true, position, frequencyKHz};
    stream.hasDeliveryDescriptor = true;
    stream.polarization = polarization;
    stream.symbolsPerSecond = rate;
    stream.modulationSystem = system;
    stream.modulationType = type;
    stream.fecInner = fec;
    return stream;
}

TEST(DvbSurveyPlan, TheListsGiveEachTransponderAtThePositionOnceInOrder)
{
    const HeardLists lists = listsOf(
        {listed(12149000, 1, 27500000, 130, 1, 2, 3), listed(10719000, 1, 27500000, 130),
         listed(11362000, 0, 22000000, 192), listed(12300000, 2, 27500000, 130), listed(19700000, 0, 27500000, 130),
         listed(11034000, 0, 500000, 130)},
        {listed(10718500, 1, 27500000, 131), listed(12300000, 3, 27500000, 130), listed(12301000, 2, 27500000, 130)});
    const ListedTransponders at130 = listedAt(lists, 130, 5);
    ASSERT_EQ(2u, at130.tunable.size());
    EXPECT_EQ("10719V27500AB", at130.tunable[0].entry);  // 10718.5 MHz in the other list is the same one
    EXPECT_EQ("12149V27500AB", at130.tunable[1].entry);
    EXPECT_EQ(FoundInLists, at130.tunable[1].found);
    EXPECT_TRUE(at130.tunable[1].listedHere);
    ASSERT_TRUE(at130.tunable[1].listed.known);
    EXPECT_EQ("S2-8PSK-3/4", modcodText(at130.tunable[1].listed.modcod));
    EXPECT_EQ(2, at130.circular);   // left and right at 12300 are two; 12301 left is the first again
    EXPECT_EQ(2, at130.untypable);  // Ka band, and 500 kS/s
    EXPECT_EQ(1u, listedAt(lists, 192, 0).tunable.size());
    EXPECT_TRUE(listedAt(lists, -300, 0).tunable.empty());

    SurveyTransponder typed;
    ASSERT_TRUE(surveyTransponderOf("11361H22000", FoundAsStart, &typed));
    EXPECT_TRUE(listedAnywhere(lists, typed.tuning));
    ASSERT_TRUE(surveyTransponderOf("11361V22000", FoundAsStart, &typed));
    EXPECT_FALSE(listedAnywhere(lists, typed.tuning));
}

TEST(DvbSurveyPlan, TheTranspondersFileTakesTypedEntriesOneALine)
{
    std::vector<SurveyTransponder> read;
    std::string error;
    ASSERT_TRUE(parseTransponderFile("# vidtv's carriers\n11362h27500\r\n\n  12245H27500AB  \n", 2, &read, &error))
        << error;
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("11362H27500B", read[0].entry);  // without letters of its own, --switch's
    EXPECT_EQ("12245H27500AB", read[1].entry);
    EXPECT_EQ(FoundInFile, read[1].found);
    EXPECT_FALSE(parseTransponderFile("11362H27500\n11362X27500\n", 0, &read, &error));
    EXPECT_EQ(0u, error.find("line 2: \"11362X27500\""));
    std::string many;
    for (int i = 0; i <= 200; ++i) many += "11362H27500\n";
    EXPECT_FALSE(parseTransponderFile(many, 0, &read, &error));
    EXPECT_NE(std::string::npos, error.find("more than 200"));
}

TEST(DvbSurveyPlan, ASatelliteIsFoundByNameOrPositionInTheCatalogue)
{
    const std::vector<CatalogueLine> catalogue =
        catalogueLines("[Astra1B1H,2C   19.2e]=12515h22000;\r\n[HotBird1-6   13.0e]=10723h29900;\r\n"
                       "[Hot Spare   13.0e]=11034v27500;\r\n[Circle   5.0w]=11000x27500;\r\n");
    CatalogueLine line;
    std::string problem;
    ASSERT_TRUE(catalogueLineFor("hotbird", catalogue, &line, &problem)) << problem;
    EXPECT_EQ("HotBird1-6   13.0e", line.name);
    ASSERT_TRUE(catalogueLineFor("13.0E", catalogue, &line, &problem));
    EXPECT_EQ("HotBird1-6   13.0e", line.name);  // the first there
    EXPECT_FALSE(catalogueLineFor("28.2E", catalogue, &line, &problem));
    EXPECT_NE(std::string::npos, problem.find("no satellite at 28.2E"));
    EXPECT_FALSE(catalogueLineFor("Nowhere", catalogue, &line, &problem));
    ASSERT_TRUE(catalogueLineAt(-50, catalogue, &line));
    SurveyTransponder transponder;
    EXPECT_FALSE(catalogueTransponder(line, 0, &transponder));  // neither H nor V
    ASSERT_TRUE(catalogueLineAt(192, catalogue, &line));
    ASSERT_TRUE(catalogueTransponder(line, 1, &transponder));
    EXPECT_EQ("12515H22000A", transponder.entry);
    EXPECT_EQ(FoundInCatalogue, transponder.found);
    EXPECT_EQ(5, diseqcCodeOf("ab"));
    EXPECT_EQ(-1, diseqcCodeOf("C"));
}

TEST(DvbSurveyJudge, AStaleCatalogueTransponderIsReplacedByTheMostRobustThatLocked)
{
    const HeardLists lists = listsOf({listed(10758000, 1, 27500000, 130)});
    std::vector<SurveyResult> results = {resultOf("10723H29900", false, FoundInCatalogue),
                                         resultOf("11034V27500", true),
                                         resultOf("10758V27500", true),
                                         resultOf("12149V27500", true),
                                         resultOf("11200H27500", false),
                                         resultOf("12600H27500", true, FoundInFile)};
    results[1].transponder.listed = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    results[2].transponder.listed = knownWord(Modcod{ModDvbS, ModQpsk, 5, 6});
    results[3].transponder.listed = knownWord(Modcod{ModDvbS, ModQpsk, 3, 4});
    results[4].transponder.listed = knownWord(Modcod{ModDvbS, ModQpsk, 1, 2});  // most robust, but no lock
    EXPECT_TRUE(catalogueStale(results[0], lists));
    EXPECT_FALSE(catalogueStale(results[2], lists));  // it locks
    SurveyResult listedButDead = resultOf("10758V27500", false);
    EXPECT_FALSE(catalogueStale(listedButDead, lists));  // a network still lists it: not stale
    EXPECT_EQ(3, replacementFor(results));
    EXPECT_EQ("the catalogue's 10723H29900 for HotBird1-6 13.0e does not lock and no network here lists it: "
              "12149V27500 (DVB-S QPSK 3/4) replaces it",
              replacementSentence("HotBird1-6 13.0e", results[0], &results[3]));
    // Of two alike, the stronger; one without a listed modulation comes last.
    results[2].transponder.listed = results[3].transponder.listed;
    results[2].entry.carrierToNoiseDb = RecordSpread{true, 9.0, 9.0, 9.0};
    results[3].entry.carrierToNoiseDb = RecordSpread{true, 8.0, 8.0, 8.0};
    EXPECT_EQ(2, replacementFor(results));
    for (SurveyResult& result : results) result.transponder.listed = missingWord(GapNoNetworkTable);
    EXPECT_EQ(2, replacementFor(results));
    EXPECT_EQ(-1, replacementFor({results[0], results[5]}));  // not in the lists: no network's word on it
    EXPECT_NE(std::string::npos, replacementSentence("X", results[0], nullptr).find("no listed transponder locked"));
}

}  // namespace
