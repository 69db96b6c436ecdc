// The link margin: the thresholds against the published figures, the DVB-S
// conversion, the order of the sources and what does not count as a
// source's word, the verdicts at their edges and the texts shown.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/margin/link_margin.h"
#include "cardbase/margin/margin_watch.h"
#include "cardbase/network/network_identity.h"
#include "cardbase/network/psi_build.h"
#include "cardbase/phone/phone_feed.h"
#include "cardbase/phone/phone_margin.h"

namespace {

static Modcod parsed(const char* text)
{
    Modcod modcod;
    EXPECT_TRUE(parseModcod(text, &modcod)) << text;
    return modcod;
}

static double required(const char* text)
{
    double db = NAN;
    EXPECT_TRUE(requiredCarrierToNoiseDb(parsed(text), &db)) << text;
    return db;
}

TEST(MarginThresholds, EveryDvbS2RowIsTheIdealFigurePlusTheAllowance)
{
    struct Row {
        const char* modcod;
        double idealDb;
    };
    const Row rows[] = {
        {"S2-QPSK-1/4", -2.35},   {"S2-QPSK-1/3", -1.24},   {"S2-QPSK-2/5", -0.30},    {"S2-QPSK-1/2", 1.00},
        {"S2-QPSK-3/5", 2.23},    {"S2-QPSK-2/3", 3.10},    {"S2-QPSK-3/4", 4.03},     {"S2-QPSK-4/5", 4.68},
        {"S2-QPSK-5/6", 5.18},    {"S2-QPSK-8/9", 6.20},    {"S2-QPSK-9/10", 6.42},    {"S2-8PSK-3/5", 5.50},
        {"S2-8PSK-2/3", 6.62},    {"S2-8PSK-3/4", 7.91},    {"S2-8PSK-5/6", 9.35},     {"S2-8PSK-8/9", 10.69},
        {"S2-8PSK-9/10", 10.98},  {"S2-16APSK-2/3", 8.97},  {"S2-16APSK-3/4", 10.21},  {"S2-16APSK-4/5", 11.03},
        {"S2-16APSK-5/6", 11.61}, {"S2-16APSK-8/9", 12.89}, {"S2-16APSK-9/10", 13.13}, {"S2-32APSK-3/4", 12.73},
        {"S2-32APSK-4/5", 13.64}, {"S2-32APSK-5/6", 14.28}, {"S2-32APSK-8/9", 15.69},  {"S2-32APSK-9/10", 16.05},
    };
    EXPECT_DOUBLE_EQ(0.3, dvbs2ImplementationAllowanceDb);
    for (const Row& row : rows) EXPECT_NEAR(row.idealDb + 0.3, required(row.modcod), 1e-9) << row.modcod;
    // The table holds exactly these and the five DVB-S rates.
    EXPECT_EQ(sizeof rows / sizeof rows[0] + 5, modcodThresholdCount);
}

TEST(MarginThresholds, DvbSEbN0BecomesTheEsN0ADemodulatorMeasures)
{
    struct Row {
        const char* modcod;
        int numerator, denominator;
        double ebN0Db, esN0Db;
    };
    const Row rows[] = {{"S-QPSK-1/2", 1, 2, 4.5, 4.15},
                        {"S-QPSK-2/3", 2, 3, 5.0, 5.89},
                        {"S-QPSK-3/4", 3, 4, 5.5, 6.91},
                        {"S-QPSK-5/6", 5, 6, 6.0, 7.86},
                        {"S-QPSK-7/8", 7, 8, 6.4, 8.48}};
    for (const Row& row : rows) {
        EXPECT_NEAR(row.esN0Db, dvbsEsN0FromEbN0(row.ebN0Db, row.numerator, row.denominator), 0.005) << row.modcod;
        EXPECT_NEAR(row.esN0Db, required(row.modcod), 0.005) << row.modcod;
    }
    // No allowance on top: the standard's figures carry their own margin.
    EXPECT_NEAR(4.5 + 10 * std::log10(2 * 0.5 * 188 / 204.0), required("S-QPSK-1/2"), 1e-9);
}

TEST(MarginThresholds, OnlyRowsOfTheTableParseAndTheyReadBack)
{
    for (size_t i = 0; i < modcodThresholdCount; ++i) {
        const Modcod& modcod = modcodThresholds[i].modcod;
        Modcod back;
        ASSERT_TRUE(parseModcod(modcodText(modcod), &back)) << modcodText(modcod);
        EXPECT_TRUE(back == modcod);
    }
    EXPECT_EQ("S2-8PSK-3/4", modcodText(parsed("s2-8psk-3/4")));
    EXPECT_EQ("DVB-S2 8PSK 3/4", modcodName(parsed("S2-8PSK-3/4")));
    EXPECT_EQ("DVB-S QPSK 3/4", modcodName(parsed("S-QPSK-3/4")));
    Modcod untouched = parsed("S-QPSK-1/2");
    for (const char* wrong :
         {"", "S-8PSK-3/4", "S2-QPSK-7/8", "S-QPSK-9/10", "S2-8PSK-1/2", "S2-16APSK-1/2", "S2-8PSK-3/4 ",
          " S2-8PSK-3/4", "S2 8PSK 3/4", "DVB-S2-8PSK-3/4", "S2-8PSK-6/8", "S3-QPSK-3/4", "S2-8PSK-3/4x"}) {
        EXPECT_FALSE(parseModcod(wrong, &untouched)) << wrong;
    }
    EXPECT_EQ("S-QPSK-1/2", modcodText(untouched));
}

static TunerModcodFields definite(const char* text)
{
    const Modcod modcod = parsed(text);
    TunerModcodFields fields;
    fields.systemState = fields.modulationState = fields.rateState = FieldDefinite;
    fields.system = modcod.system;
    fields.modulation = modcod.modulation;
    fields.rateNumerator = modcod.rateNumerator;
    fields.rateDenominator = modcod.rateDenominator;
    return fields;
}

TEST(MarginSources, TheTunerCountsOnlyWithDefiniteValuesItWasNotSimplyGiven)
{
    // What the Linux bridge asks: the system and modulation of its attempt, the code rate left automatic.
    TunerModcodFields asked = definite("S2-8PSK-3/4");
    asked.rateState = FieldAutomatic;
    asked.rateNumerator = asked.rateDenominator = 0;

    const ModcodWord reported = tunerWord(definite("S2-8PSK-3/4"), asked);
    ASSERT_TRUE(reported.known);
    EXPECT_EQ("S2-8PSK-3/4", modcodText(reported.modcod));

    // A driver without a report of its own hands back what it was set to.
    EXPECT_EQ(GapEcho, tunerWord(asked, asked).gap);
    EXPECT_FALSE(tunerWord(asked, asked).known);
    // Asked for exact values, the same values back prove nothing either.
    EXPECT_EQ(GapEcho, tunerWord(definite("S-QPSK-3/4"), definite("S-QPSK-3/4")).gap);
    EXPECT_TRUE(tunerWord(definite("S-QPSK-5/6"), definite("S-QPSK-3/4")).known);

    TunerModcodFields automatic = definite("S2-8PSK-3/4");
    automatic.modulationState = FieldAutomatic;
    EXPECT_EQ(GapAutomatic, tunerWord(automatic, asked).gap);
    TunerModcodFields other = definite("S2-8PSK-3/4");
    other.rateState = FieldOther;
    EXPECT_EQ(GapTunerOutside, tunerWord(other, asked).gap);
    TunerModcodFields noRow = definite("S2-8PSK-3/4");
    noRow.rateNumerator = 1;
    noRow.rateDenominator = 2;  // DVB-S2 8PSK has no rate 1/2
    EXPECT_EQ(GapTunerOutside, tunerWord(noRow, asked).gap);
}

TEST(MarginSources, TheNetworkDescriptorGivesOnlyDefiniteRowsOfTheTable)
{
    EXPECT_EQ("S-QPSK-3/4", modcodText(networkWord(0, 1, 3).modcod));
    EXPECT_EQ("S2-8PSK-2/3", modcodText(networkWord(1, 2, 2).modcod));
    EXPECT_EQ("S2-QPSK-9/10", modcodText(networkWord(1, 1, 9).modcod));
    EXPECT_EQ("S2-8PSK-3/5", modcodText(networkWord(1, 2, 7).modcod));
    EXPECT_EQ("S-QPSK-7/8", modcodText(networkWord(0, 1, 5).modcod));
    EXPECT_EQ(GapDescriptorVague, networkWord(1, 0, 3).gap);   // automatic modulation
    EXPECT_EQ(GapDescriptorVague, networkWord(0, 1, 0).gap);   // FEC not defined
    EXPECT_EQ(GapDescriptorVague, networkWord(0, 1, 15).gap);  // no convolutional coding
    EXPECT_EQ(GapNetworkOutside, networkWord(1, 3, 3).gap);    // 16-QAM
    EXPECT_EQ(GapNetworkOutside, networkWord(0, 1, 9).gap);    // DVB-S has no 9/10
    EXPECT_EQ(GapNetworkOutside, networkWord(0, 2, 3).gap);    // nor 8PSK
}

TEST(MarginSources, TunerBeforeNetworkBeforeUserAndNeverAGuess)
{
    const ModcodWord tuner = knownWord(parsed("S2-8PSK-3/4"));
    const ModcodWord network = knownWord(parsed("S2-8PSK-2/3"));
    const ModcodWord user = knownWord(parsed("S-QPSK-3/4"));
    const ModcodWord none = missingWord(GapEcho);
    EXPECT_EQ(SourceTuner, chooseModcod(tuner, network, user).source);
    EXPECT_EQ("S2-8PSK-3/4", modcodText(chooseModcod(tuner, network, user).modcod));
    EXPECT_EQ(SourceNetwork, chooseModcod(none, network, user).source);
    EXPECT_EQ("S2-8PSK-2/3", modcodText(chooseModcod(none, network, user).modcod));
    EXPECT_EQ(SourceUser, chooseModcod(none, none, user).source);
    EXPECT_EQ(SourceUnknown, chooseModcod(none, none, none).source);
}

static NitFacts twoStreams()
{
    NitFacts facts;
    facts.networkId = 0x0001;
    facts.networkName = "Astra";
    // Ours (0x0401) has no satellite descriptor; its neighbour's has one with definite values.
    facts.streams = {{0x0401, 0x0001, false, 0, 0}, {0x0403, 0x0001, true, 192, 11836000, 1, 2, 2}};
    return facts;
}

static NetworkIdentity identified(const NitFacts& facts, uint16_t transportStreamId, bool withIds = true)
{
    NitTable table;
    for (const SectionBytes& bytes : buildNitSections(facts)) {
        NitSection section;
        EXPECT_TRUE(parseNitSection(bytes.data(), bytes.size(), &section));
        addNitSection(table, section);
    }
    StreamIds ids;
    ids.hasTransportStreamId = ids.hasOriginalNetworkId = withIds;
    ids.transportStreamId = transportStreamId;
    ids.originalNetworkId = 0x0001;
    return identifyNetwork(table, ids);
}

TEST(MarginSources, OnlyThisStreamsOwnEntryGivesTheNetworksWord)
{
    const NetworkIdentity neighbour = identified(twoStreams(), 0x0403);
    ASSERT_TRUE(neighbour.modcod.known);
    EXPECT_EQ("S2-8PSK-2/3", modcodText(neighbour.modcod.modcod));

    // The neighbour's descriptor says nothing of our stream, even where its position is taken as the most common.
    const NetworkIdentity ours = identified(twoStreams(), 0x0401);
    EXPECT_EQ(PositionMostCommon, ours.certainty);
    EXPECT_FALSE(ours.modcod.known);
    EXPECT_EQ(GapNoDescriptor, ours.modcod.gap);

    const NetworkIdentity withoutIds = identified(twoStreams(), 0x0403, false);
    EXPECT_FALSE(withoutIds.modcod.known);
    EXPECT_EQ(GapNoOwnEntry, withoutIds.modcod.gap);
    EXPECT_EQ(GapNoOwnEntry, identified(twoStreams(), 0x0999).modcod.gap);

    NitFacts automatic = twoStreams();
    automatic.streams[0] = {0x0401, 0x0001, true, 192, 11597000, 1, 0, 3};
    EXPECT_EQ(GapDescriptorVague, identified(automatic, 0x0401).modcod.gap);
}

static MarginInputs lockedAt(double carrierToNoiseDb, const char* modcod)
{
    MarginInputs inputs;
    inputs.locked = true;
    inputs.carrierToNoiseInDecibels = true;
    inputs.carrierToNoiseDb = carrierToNoiseDb;
    inputs.tuner = knownWord(parsed(modcod));
    return inputs;
}

TEST(MarginVerdicts, ThreeDecibelsIsGoodZeroIsMarginalBelowIsFailingAsShown)
{
    EXPECT_EQ(MarginGood, judgeMargin(3.0));
    EXPECT_EQ(MarginGood, judgeMargin(2.96));  // shown as +3.0 dB
    EXPECT_EQ(MarginMarginal, judgeMargin(2.94));
    EXPECT_EQ(MarginMarginal, judgeMargin(0.0));
    EXPECT_EQ(MarginMarginal, judgeMargin(-0.04));  // shown as +0.0 dB
    EXPECT_EQ(MarginFailing, judgeMargin(-0.06));
    EXPECT_EQ(MarginFailing, judgeMargin(-5.0));
    EXPECT_EQ("+0.0 dB", marginDecibelsText(-0.04));
    EXPECT_EQ("-0.1 dB", marginDecibelsText(-0.06));
    EXPECT_EQ("+4.2 dB", marginDecibelsText(4.21));

    // DVB-S2 8PSK 3/4 needs 7.91 + 0.3 = 8.21 dB.
    EXPECT_EQ(MarginGood, linkMargin(lockedAt(11.21, "S2-8PSK-3/4")).verdict);
    EXPECT_EQ(MarginMarginal, linkMargin(lockedAt(11.1, "S2-8PSK-3/4")).verdict);
    EXPECT_EQ(MarginMarginal, linkMargin(lockedAt(8.21, "S2-8PSK-3/4")).verdict);
    EXPECT_EQ(MarginFailing, linkMargin(lockedAt(8.1, "S2-8PSK-3/4")).verdict);
}

TEST(MarginVerdicts, TheLinesSayTheFigureTheSourceOrWhatIsMissing)
{
    const LinkMargin good = linkMargin(lockedAt(12.4, "S2-8PSK-3/4"));
    EXPECT_EQ(MarginKnown, good.state);
    EXPECT_NEAR(4.2, good.marginDb, 1e-9);
    EXPECT_EQ("modulation: DVB-S2 8PSK 3/4 (tuner)", modulationLine(good));
    EXPECT_EQ("margin: +4.2 dB (good)", marginLine(good));

    MarginInputs fromUser = lockedAt(5.0, "S-QPSK-3/4");
    fromUser.user = fromUser.tuner;
    fromUser.tuner = missingWord(GapEcho);
    fromUser.network = missingWord(GapNoDescriptor);
    const LinkMargin failing = linkMargin(fromUser);
    EXPECT_EQ("modulation: DVB-S QPSK 3/4 (user)", modulationLine(failing));
    EXPECT_EQ("margin: -1.9 dB (failing)", marginLine(failing));

    MarginInputs nothing = fromUser;
    nothing.user = missingWord(GapNotChosen);
    const LinkMargin unknown = linkMargin(nothing);
    EXPECT_EQ(MarginNoModcod, unknown.state);
    EXPECT_EQ("modulation: unknown (the tuner gives back only what it was asked; this stream's entry has no "
              "satellite delivery system descriptor)",
              modulationLine(unknown));
    EXPECT_EQ("margin: unknown (modulation and code rate unknown)", marginLine(unknown));

    // A relative scale, older statistics or a quality: no margin, whatever is known of the modulation.
    MarginInputs relative = lockedAt(12.4, "S2-8PSK-3/4");
    relative.carrierToNoiseInDecibels = false;
    const LinkMargin noDecibels = linkMargin(relative);
    EXPECT_EQ(MarginNoDecibels, noDecibels.state);
    EXPECT_EQ("modulation: DVB-S2 8PSK 3/4 (tuner)", modulationLine(noDecibels));
    EXPECT_EQ("margin: unknown (the tuner gives no C/N in dB)", marginLine(noDecibels));

    MarginInputs unlocked = lockedAt(12.4, "S2-8PSK-3/4");
    unlocked.locked = false;
    EXPECT_EQ("margin: unknown (no lock)", marginLine(linkMargin(unlocked)));
    EXPECT_EQ("modulation: unknown (no lock)", modulationLine(linkMargin(unlocked)));
}

TEST(MarginWatches, ALostLockOrANewStartForgetsTheTunersWord)
{
    MarginWatch watch;
    watch.carrierToNoiseInDecibels = true;
    const SignalReading locked{true, 80, 12.4f};
    NetworkReport network;
    network.state = NetworkKnown;
    network.identity.modcod = knownWord(parsed("S2-8PSK-2/3"));

    marginLock(watch, true);
    EXPECT_EQ(SourceNetwork, watchedMargin(watch, network, locked).choice.source);
    marginTunerWord(watch, knownWord(parsed("S2-8PSK-3/4")));
    EXPECT_EQ(SourceTuner, watchedMargin(watch, network, locked).choice.source);
    EXPECT_NEAR(12.4 - 8.21, watchedMargin(watch, network, locked).marginDb, 0.051);

    marginLock(watch, false);
    marginLock(watch, true);
    EXPECT_EQ(SourceNetwork, watchedMargin(watch, network, locked).choice.source);
    marginTunerWord(watch, knownWord(parsed("S2-8PSK-3/4")));
    marginRetuned(watch);
    marginLock(watch, true);
    EXPECT_EQ(SourceNetwork, watchedMargin(watch, network, locked).choice.source);

    network.state = NetworkReading;
    EXPECT_EQ(GapNetworkReading, watchedMargin(watch, network, locked).networkGap);
    watch.carrierToNoiseInDecibels = false;
    EXPECT_EQ(MarginNoDecibels, watchedMargin(watch, network, locked).state);
}

// A reading at a driver's floor (decibel-or-less) makes a margin at most its
// figure, carried to the page as "or less".
TEST(MarginWatches, AReadingAtTheDriversFloorMakesAMarginAtMostItsFigure)
{
    MarginWatch watch;
    marginLock(watch, true);
    marginTunerWord(watch, knownWord(parsed("S2-8PSK-3/4")));
    SignalReading floor{true, 1, 1.5f};
    floor.unit = SnrUnitDecibelOrLess;
    const LinkMargin atMost = watchedMargin(watch, NetworkReport(), floor);
    ASSERT_EQ(MarginKnown, atMost.state);
    EXPECT_TRUE(atMost.atMost);
    EXPECT_FALSE(atMost.atLeast);
    EXPECT_EQ("-6.7 dB or less", marginFigureText(atMost));
    EXPECT_EQ("margin: -6.7 dB or less (failing)", marginLine(atMost));
    EXPECT_NE(std::string::npos, marginJson(atMost).find("\"orMore\":false,\"orLess\":true}"));
    PhoneFeed feed;
    feedReading(feed, floor, feed.network, atMost, 1300);
    EXPECT_NE(std::string::npos,
              readingEvent(feed, readingsAfter(feed, 0)[0]).find("\"cn\":1.50,\"cnOrMore\":false,\"cnOrLess\":true,"));
    EXPECT_NE(std::string::npos, streamOpening(feed, 1400).find("[1,1300,1,1,1.50,0,8.21,-1,"));
    // A reading whose figure is derived makes none, whatever its floor.
    floor.unit = SnrUnitDerived;
    EXPECT_EQ(MarginNoDecibels, watchedMargin(watch, NetworkReport(), floor).state);
}

}  // namespace
