// The helper's side of a connection: calls taken only in their order, a
// tune for each complete set of six, readings latched as a card latches
// them. The frontend is a stand-in that records what it is asked.
#include <gtest/gtest.h>

#include "cardbase/frontend_plan.h"
#include "dvb/protocol/reading_words.h"
#include "dvb/protocol/session.h"

namespace {

struct RecordingFrontend : FrontendPort {
    int opens = 0;
    std::vector<FrontendPlan> tunes;
    int measures = 0;
    bool openFails = false;
    bool tuneFails = false;
    bool measureFails = false;
    SignalReading next{true, 55, 10.07f};

    bool open(std::string* reason) override
    {
        ++opens;
        if (openFails) *reason = "frontend is busy";
        return !openFails;
    }
    bool tune(const CardTuning& tuning, std::string* reason) override
    {
        tunes.push_back(frontendPlanFor(tuning));
        if (tuneFails) *reason = "tune refused";
        return !tuneFails;
    }
    bool measure(SignalReading* reading) override
    {
        ++measures;
        *reading = next;
        return !measureFails;
    }
    NetworkReport network() override { return networkNow; }
    NetworkReport networkNow;
};

static std::string call(Session& session, RecordingFrontend& frontend, RequestKind kind, int32_t value = 0)
{
    return formatReply(handleRequest(session, Request{kind, value}, frontend));
}

static void tuneTo12245HighAB(Session& session, RecordingFrontend& frontend, std::string* lastReply = nullptr)
{
    call(session, frontend, RequestSetLnbSelection, 1);
    call(session, frontend, RequestSetLnbFrequency, 10600);
    call(session, frontend, RequestSetPolarity, 0);
    call(session, frontend, RequestSetSymbolRate, 27500);
    call(session, frontend, RequestSetTransponderFrequency, 12245);
    const std::string reply = call(session, frontend, RequestSetDiseqc, 5);
    if (lastReply) *lastReply = reply;
}

TEST(DvbSession, NothingButInitializeIsTakenFirstAndNothingReachesTheFrontend)
{
    Session session;
    RecordingFrontend frontend;
    for (int i = 1; i < requestKindCount; ++i)
        EXPECT_EQ("fail not initialized", call(session, frontend, static_cast<RequestKind>(i), 1)) << i;
    EXPECT_EQ(0, frontend.opens);
    EXPECT_TRUE(frontend.tunes.empty());
    EXPECT_EQ(0, frontend.measures);
    EXPECT_EQ(0, session.tuning.received);

    EXPECT_EQ("ok", call(session, frontend, RequestInitialize));
    EXPECT_EQ("ok", call(session, frontend, RequestInitialize));
    EXPECT_EQ(1, frontend.opens);  // opened once
}

TEST(DvbSession, AFrontendThatCannotBeOpenedFailsInitializeWithItsReason)
{
    Session session;
    RecordingFrontend frontend;
    frontend.openFails = true;
    EXPECT_EQ("fail frontend is busy", call(session, frontend, RequestInitialize));
    EXPECT_EQ("fail not initialized", call(session, frontend, RequestSetFec, 6));
    frontend.openFails = false;
    EXPECT_EQ("ok", call(session, frontend, RequestInitialize));  // asked again, it opens now
}

TEST(DvbSession, ACompleteSetOfSixTunesOnceWithTheFrontendPlan)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    EXPECT_EQ("ok", call(session, frontend, RequestSetFec, 6));  // no part of the set
    EXPECT_TRUE(frontend.tunes.empty());
    std::string last;
    tuneTo12245HighAB(session, frontend, &last);
    EXPECT_EQ("ok", last);
    ASSERT_EQ(1u, frontend.tunes.size());
    const FrontendPlan& plan = frontend.tunes[0];
    EXPECT_EQ(1645000u, plan.intermediateKHz);
    EXPECT_EQ(27500000u, plan.symbolsPerSecond);
    EXPECT_EQ(Voltage18, plan.voltage);
    EXPECT_TRUE(plan.toneOn);
    EXPECT_EQ(2, plan.switchPort);  // "AB"
    EXPECT_EQ(0xFB, plan.diseqc[3]);

    // Five of the next six: no tune yet.
    call(session, frontend, RequestSetLnbSelection, 0);
    call(session, frontend, RequestSetLnbFrequency, 9750);
    call(session, frontend, RequestSetPolarity, 1);
    call(session, frontend, RequestSetSymbolRate, 22000);
    call(session, frontend, RequestSetTransponderFrequency, 11344);
    EXPECT_EQ(1u, frontend.tunes.size());
}

TEST(DvbSession, ReadingsAreLatchedByStatusAndTakenByRefresh)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    EXPECT_EQ("fail not tuned", call(session, frontend, RequestQuerySignalStatus));
    tuneTo12245HighAB(session, frontend);
    EXPECT_EQ("fail no status", call(session, frontend, RequestRefreshSignalReadings));
    EXPECT_EQ("fail no readings", call(session, frontend, RequestGetSignalQuality));
    EXPECT_EQ(0, frontend.measures);

    frontend.next.unit = SnrUnitDecibelOrMore;
    EXPECT_EQ("ok", call(session, frontend, RequestQuerySignalStatus));
    frontend.next = SignalReading{true, 80, 13.44f};  // the frontend moves on
    frontend.next.unit = SnrUnitDerived;
    EXPECT_EQ("fail no readings", call(session, frontend, RequestGetSignalNoiseRatio));
    // What the s/n of the reading taken is travels with it.
    EXPECT_EQ("ok unit decibel-or-more", call(session, frontend, RequestRefreshSignalReadings));
    EXPECT_EQ("ok 55", call(session, frontend, RequestGetSignalQuality));  // what the status latched
    EXPECT_EQ("ok 10070", call(session, frontend, RequestGetSignalNoiseRatio));

    frontend.next = SignalReading{false, 0, 0.0f};
    EXPECT_EQ("fail no lock", call(session, frontend, RequestQuerySignalStatus));
    // A driver searching in the kernel's thread: how long no reading came.
    frontend.next.searchingMs = 2300;
    EXPECT_EQ("fail searching 2300 ms", call(session, frontend, RequestQuerySignalStatus));
    EXPECT_EQ(2300u, searchingMsOf("searching 2300 ms"));
    EXPECT_EQ(0u, searchingMsOf("no lock"));
    EXPECT_EQ(0u, searchingMsOf("searching -3 ms"));
    EXPECT_EQ(SnrUnitDecibelOrMore, readingUnitOf("unit decibel-or-more"));
    EXPECT_EQ(SnrUnitOfCard, readingUnitOf(""));  // an older helper says nothing
    // How often the driver measures, where the table knows, travels with the unit.
    EXPECT_EQ("unit decibel refresh 250", readingUnitWords(SnrUnitDecibel, 250));
    EXPECT_EQ(SnrUnitDecibel, readingUnitOf("unit decibel refresh 250"));
    EXPECT_EQ(250u, readingRefreshOf("unit decibel refresh 250"));
    EXPECT_EQ(0u, readingRefreshOf("unit decibel"));
    for (const char* odd :
         {"unit decibel refresh", "unit decibel refresh 0", "unit decibel refresh x", "unit odd refresh 5"})
        EXPECT_EQ(0u, readingRefreshOf(odd)) << odd;
    EXPECT_EQ(SnrUnitOfCard, readingUnitOf("unit decibel refresh -1"));
    frontend.next.searchingMs = 0;
    EXPECT_EQ("ok 55", call(session, frontend, RequestGetSignalQuality));  // until the next refresh
    frontend.measureFails = true;
    EXPECT_EQ("fail frontend does not answer", call(session, frontend, RequestQuerySignalStatus));

    // A new tuning forgets what was measured before it.
    frontend.measureFails = false;
    tuneTo12245HighAB(session, frontend);
    EXPECT_EQ("fail no readings", call(session, frontend, RequestGetSignalQuality));
}

TEST(DvbSession, ARefusedTuneFailsTheCompletingCallAndLeavesNothingToMeasure)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    frontend.tuneFails = true;
    std::string last;
    tuneTo12245HighAB(session, frontend, &last);
    EXPECT_EQ("fail tune refused", last);
    EXPECT_EQ("fail not tuned", call(session, frontend, RequestQuerySignalStatus));
}

TEST(DvbSession, QueryNetworkSaysWhatTheFrontendHasReadAnyTimeAfterInitialize)
{
    Session session;
    RecordingFrontend frontend;
    EXPECT_EQ("fail not initialized", call(session, frontend, RequestQueryNetwork));
    call(session, frontend, RequestInitialize);
    EXPECT_EQ("ok network unlocked", call(session, frontend, RequestQueryNetwork));
    tuneTo12245HighAB(session, frontend);
    frontend.networkNow.state = NetworkKnown;
    frontend.networkNow.identity.known = true;
    frontend.networkNow.identity.networkId = 0x0085;
    frontend.networkNow.identity.certainty = PositionMostCommon;
    frontend.networkNow.identity.position = 130;
    frontend.networkNow.identity.networkName = "Hot Net";
    EXPECT_EQ("ok network known 0x0085 13.0E uncertain Hot Net", call(session, frontend, RequestQueryNetwork));
    EXPECT_EQ(0, frontend.measures);  // it takes no reading of its own
    EXPECT_EQ("fail no status", call(session, frontend, RequestRefreshSignalReadings));
}

TEST(DvbSession, QueryLevelGivesTheLevelOfTheLatestStatusLockedOrNot)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    tuneTo12245HighAB(session, frontend);
    EXPECT_EQ("fail no status", call(session, frontend, RequestQueryLevel));
    frontend.next = SignalReading{false, 0, 0.0f};
    frontend.next.level.state = LevelRefreshed;
    frontend.next.level.value = -58.5;
    frontend.next.level.ageMs = 600;
    frontend.next.level.refreshMs = 2000;
    EXPECT_EQ("fail no lock", call(session, frontend, RequestQuerySignalStatus));
    frontend.next.level.value = -40.0;  // the frontend moves on; the status latched the one before
    EXPECT_EQ("ok level refreshed dbm -58500 age 600 refresh 2000", call(session, frontend, RequestQueryLevel));
    EXPECT_EQ(1, frontend.measures);  // it takes no reading of its own
    frontend.next.locked = true;
    frontend.next.quality = 60;
    EXPECT_EQ("ok", call(session, frontend, RequestQuerySignalStatus));
    EXPECT_EQ("ok level refreshed dbm -40000 age 600 refresh 2000", call(session, frontend, RequestQueryLevel));
    tuneTo12245HighAB(session, frontend);
    EXPECT_EQ("fail no status", call(session, frontend, RequestQueryLevel));
}

TEST(DvbSession, TooLongAndMalformedLinesChangeNothing)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    call(session, frontend, RequestSetLnbSelection, 1);
    const Session before = session;
    EXPECT_EQ("fail line too long", formatReply(handleLine(session, ReadLine{true, ""}, frontend)));
    EXPECT_EQ("fail malformed request", formatReply(handleLine(session, ReadLine{false, "SetPolarity x"}, frontend)));
    EXPECT_EQ(before.tuning.received, session.tuning.received);
    EXPECT_EQ(before.tuning.lnbSelection, session.tuning.lnbSelection);
    EXPECT_EQ("ok", formatReply(handleLine(session, ReadLine{false, "SetPolarity 0"}, frontend)));
}

// Lines as a peer queued them.
static std::deque<ReadLine> queuedLines(std::initializer_list<const char*> texts)
{
    std::deque<ReadLine> lines;
    for (const char* text : texts) lines.push_back(ReadLine{false, text});
    return lines;
}

TEST(DvbSession, ATuneIsReplacedOnlyByALaterCompleteSetOfTheSameQueue)
{
    Session session;
    RecordingFrontend frontend;
    call(session, frontend, RequestInitialize);
    call(session, frontend, RequestSetLnbSelection, 1);
    call(session, frontend, RequestSetLnbFrequency, 10600);
    call(session, frontend, RequestSetPolarity, 0);
    call(session, frontend, RequestSetSymbolRate, 27500);
    call(session, frontend, RequestSetTransponderFrequency, 12245);
    CardTuning tuning;
    EXPECT_TRUE(completesTuning(session, Request{RequestSetDiseqc, 5}, &tuning));
    EXPECT_EQ(5, tuning.diseqcCode);
    EXPECT_EQ(12245, tuning.frequencyMHz);
    // Another complete set behind it, whatever comes between: replaced.
    EXPECT_TRUE(
        laterTuningQueued(session, queuedLines({"SetDiseqc 5", "QuerySignalStatus", "xyzzy", "SetLnbSelection 0",
                                                "SetLnbFrequency 9750", "SetPolarity 1", "SetSymbolRate 22000",
                                                "SetFec 6", "SetTransponderFrequency 11000", "SetDiseqc 0"})));
    // An incomplete one, or none: not replaced.
    EXPECT_FALSE(laterTuningQueued(session, queuedLines({"SetDiseqc 5", "SetLnbSelection 0", "SetLnbFrequency 9750",
                                                         "SetPolarity 1", "SetSymbolRate 22000", "SetDiseqc 0"})));
    EXPECT_FALSE(laterTuningQueued(session, queuedLines({"SetDiseqc 5", "QuerySignalStatus"})));
    // A first line that does not tune is never replaced.
    EXPECT_FALSE(laterTuningQueued(session, queuedLines({"SetFec 6", "SetDiseqc 5"})));
    EXPECT_TRUE(frontend.tunes.empty());
}

TEST(DvbSession, TheSignalToNoiseTravelsInThousandthsOfADecibel)
{
    EXPECT_EQ(10070, milliDecibels(10.07f));
    EXPECT_EQ(-2500, milliDecibels(-2.5f));
    EXPECT_EQ(0, milliDecibels(0.0f));
    EXPECT_EQ(2000000000, milliDecibels(1e30f));
    EXPECT_EQ(-2000000000, milliDecibels(-1e30f));
    EXPECT_EQ(0, milliDecibels(std::numeric_limits<float>::quiet_NaN()));
}

}  // namespace
