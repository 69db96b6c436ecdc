// The bracketing guide on readings made up to the purpose: the steps it
// calls and when, what counts as a reading and as an edge, a card of whole
// decibels, the check, the skew's chances from the network's list, and
// what the phone page asks of it and is told.
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "cardbase/peak/peak_guide.h"
#include "cardbase/peak/peak_words.h"
#include "cardbase/peak/skew_chance.h"
#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_peak.h"
#include "cardbase/phone/phone_server_core.h"
#include "tests/native/phone_server_support.h"

namespace {

// A guide on the C/N of a card that measures it every 100 ms, fed a
// reading every 100 ms.
struct GuideRun {
    PeakGuide guide;
    uint32_t nowMs = 1000;
    std::vector<std::string> said;

    explicit GuideRun(double edgeDb = 1.0, PeakAxis axis = PeakAzimuth) { startPeak(guide, axis, edgeDb, 1, nowMs); }

    void read(double value, bool locked = true, SkewChance skew = SkewChance())
    {
        nowMs += 100;
        PeakReading reading;
        reading.atMs = nowMs;
        reading.wallMs = nowMs;
        reading.tune = 1;
        reading.source = PeakSourceCarrierToNoise;
        reading.hasValue = locked;
        reading.value = value;
        reading.refreshMs = 100;
        reading.skew = skew;
        if (peakTakeReading(guide, reading)) said.push_back(peakWords(guide).english);
    }
    // A reading at each value in turn.
    void sweep(double from, double to, double by)
    {
        const int steps = static_cast<int>(std::lround((to - from) / by));
        for (int i = 0; i <= steps; ++i) read(std::round((from + i * by) * 10.0) / 10.0);
    }
    std::string last() const { return said.empty() ? "" : said.back(); }
};

}  // namespace

TEST(PeakGuide, ABracketIsCalledEdgeOnePastThePeakEdgeTwoThenSetHalfwayAndChecked)
{
    GuideRun run;
    EXPECT_EQ("waiting for readings", peakWords(run.guide).english);
    run.sweep(10.0, 13.0, 0.1);  // rising to the peak
    run.sweep(12.9, 12.1, -0.1);
    EXPECT_EQ("turn slowly one way", run.last());
    run.read(12.0);  // the depth below the best: one reading is not yet an edge
    EXPECT_EQ("turn slowly one way", run.last());
    run.read(11.9);
    EXPECT_EQ("edge one: mark the mount", run.last());
    ASSERT_EQ(1u, run.guide.marks.size());
    EXPECT_EQ(PeakMarkEdgeOne, run.guide.marks[0].kind);
    run.sweep(12.0, 13.0, 0.1);  // back up, and past the peak
    run.sweep(12.9, 12.6, -0.1);
    EXPECT_EQ("past the peak", run.last());
    run.sweep(12.5, 11.9, -0.1);
    EXPECT_EQ("edge two: mark the mount", run.last());
    EXPECT_EQ(3u, run.guide.marks.size());
    // Three seconds to mark, then the middle.
    for (int i = 0; i < 29; ++i) run.read(11.9);
    EXPECT_EQ("edge two: mark the mount", run.last());
    run.read(11.9);
    EXPECT_EQ("set the dish halfway between your marks", run.last());
    // The best stays as the edges were judged by, whatever comes on the way to the middle.
    run.read(13.4);
    EXPECT_NEAR(13.0, run.guide.best, 1e-9);

    // The check reads the set point after its first refresh, for five seconds.
    ASSERT_TRUE(checkPeak(run.guide, run.nowMs));
    EXPECT_EQ(PeakChecking, run.guide.step);
    for (int i = 0; i < 50; ++i) run.read(12.95);
    EXPECT_EQ("checking", peakWords(run.guide).english);
    run.read(12.95);
    EXPECT_EQ("within 0.1 dB of the best: done", run.last());
    EXPECT_EQ("next: elevation", peakWords(run.guide).hint);
    EXPECT_FALSE(peakRunning(run.guide));

    // Checked again from a set point 0.4 dB down.
    ASSERT_TRUE(checkPeak(run.guide, run.nowMs));
    for (int i = 0; i < 55; ++i) run.read(12.6);
    EXPECT_EQ("below the best by 0.4 dB: try again", run.last());
    EXPECT_EQ("ниже лучшего на 0,4 дБ: попробуйте ещё раз", peakWords(run.guide).russian);
    EXPECT_EQ(PeakMarkCheck, run.guide.marks.back().kind);
}

TEST(PeakGuide, AFallWithoutARiseTurnsTheInstallerRoundAndOnlyAfterTheRiseIsThereAnEdge)
{
    GuideRun run;
    run.sweep(12.0, 10.8, -0.1);
    EXPECT_EQ("falling: turn the other way", run.last());
    run.sweep(10.7, 10.0, -0.1);  // still the wrong way: no edge called
    EXPECT_EQ("falling: turn the other way", run.last());
    run.sweep(10.1, 12.0, 0.1);
    EXPECT_EQ("rising: keep turning", run.last());
    run.sweep(12.1, 12.8, 0.1);
    run.sweep(12.7, 11.7, -0.1);
    EXPECT_EQ("edge one: mark the mount", run.last());

    // Noise of ±0.1 dB and a lone reading beyond never make an edge.
    GuideRun steady;
    for (int i = 0; i < 100; ++i) steady.read(12.0 + ((i * 7) % 3 - 1) * 0.1);
    steady.read(10.9);
    steady.read(12.0);
    EXPECT_EQ(std::vector<std::string>{"turn slowly one way"}, steady.said);
}

TEST(PeakGuide, OnlyReadingsARefreshApartCountAndALostLockIsBeyondEveryEdge)
{
    // A card that measures every 500 ms: of readings ten a second, one in five counts.
    PeakGuide guide;
    startPeak(guide, PeakElevation, 1.0, 1, 0);
    PeakReading reading;
    reading.tune = 1;
    reading.source = PeakSourceCarrierToNoise;
    reading.hasValue = true;
    reading.refreshMs = 500;
    uint32_t t = 0;
    auto feed = [&](double value, bool locked = true) {
        t += 100;
        reading.atMs = t;
        reading.value = value;
        reading.hasValue = locked;
        return peakTakeReading(guide, reading);
    };
    // Rising every reading, for three seconds: counted at 100, 600, ... 2600 ms.
    for (int i = 0; i < 30; ++i) feed(10.0 + 0.1 * i);
    EXPECT_EQ(6u, guide.counted);
    EXPECT_NEAR(12.5, guide.best, 1e-9);
    // Unlocked: two counted readings beyond the edge, the second a refresh after the first.
    feed(0.0, false);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(PeakSeeking, (feed(0.0, false), guide.step));
    feed(0.0, false);
    EXPECT_EQ(PeakEdgeOne, guide.step);

    // Without a lock at the start the guide waits for one.
    GuideRun waiting;
    waiting.read(0.0, false);
    EXPECT_EQ("no lock: find the satellite first", waiting.last());
    waiting.read(9.0);
    EXPECT_EQ("turn slowly one way", waiting.last());
    // Another transponder tuned: the figures no longer hold.
    PeakReading other;
    other.tune = 2;
    other.atMs = waiting.nowMs + 100;
    EXPECT_TRUE(peakTakeReading(waiting.guide, other));
    EXPECT_EQ(PeakRetuned, waiting.guide.step);
    EXPECT_FALSE(peakRunning(waiting.guide));
}

TEST(PeakGuide, ACardOfWholeDecibelsIsToldToUseThreeDecibelEdges)
{
    GuideRun run(1.0);
    for (double v : {11.0, 11.0, 12.0, 12.0, 11.0, 11.0, 10.0}) run.read(v);
    EXPECT_EQ("this card reads whole decibels: use 3 dB edges", run.last());
    EXPECT_EQ(std::vector<std::string>({"turn slowly one way", "this card reads whole decibels: use 3 dB edges"}),
              run.said);
    EXPECT_FALSE(peakRunning(run.guide));
    // With 3 dB edges the same card brackets.
    GuideRun deep(3.0);
    for (double v : {9.0, 10.0, 11.0, 12.0, 13.0, 13.0, 12.0, 11.0, 10.0, 10.0}) deep.read(v);
    EXPECT_EQ("edge one: mark the mount", deep.last());
    // A card of tenths reading a whole value now and then is no card of whole decibels.
    GuideRun fine(0.5);
    for (double v : {11.0, 11.3, 12.0, 12.0, 11.0}) fine.read(v);
    EXPECT_NE("this card reads whole decibels: use 3 dB edges", fine.last());

    double edge = 0.0;
    EXPECT_TRUE(parsePeakEdge("0.5", &edge));
    EXPECT_DOUBLE_EQ(0.5, edge);
    EXPECT_TRUE(parsePeakEdge("3", &edge));
    EXPECT_DOUBLE_EQ(3.0, edge);
    EXPECT_FALSE(parsePeakEdge("2", &edge));
    EXPECT_FALSE(parsePeakEdge("1.0", &edge));
}

TEST(PeakGuide, TheFigureIsTheCarrierToNoiseInDecibelsElseALevelInDecibels)
{
    SignalReading locked{true, 80, 12.34f};
    locked.level.state = LevelLive;
    locked.level.unit = LevelDbm;
    locked.level.value = -48.5;
    locked.level.refreshMs = 2000;
    PeakReading taken = peakReadingOf(locked, true, 0);
    EXPECT_EQ(PeakSourceCarrierToNoise, taken.source);
    EXPECT_NEAR(12.34, taken.value, 1e-5);
    EXPECT_EQ(unknownFiguresRefreshMs, taken.refreshMs);
    // A C/N derived from a quality: the level, refreshed as slowly as it is.
    locked.unit = SnrUnitDerived;
    taken = peakReadingOf(locked, true, 300);
    EXPECT_EQ(PeakSourceLevel, taken.source);
    EXPECT_DOUBLE_EQ(-48.5, taken.value);
    EXPECT_EQ(2000u, taken.refreshMs);
    // The card's own word, and a reading that says its own refresh.
    locked.unit = SnrUnitOfCard;
    locked.refreshMs = 250;
    taken = peakReadingOf(locked, true, 300);
    EXPECT_EQ(PeakSourceCarrierToNoise, taken.source);
    EXPECT_EQ(250u, taken.refreshMs);
    // A level of a driver's own percentages is nothing to bracket by.
    locked.level.unit = LevelPercent;
    EXPECT_EQ(PeakSourceNone, peakReadingOf(locked, false, 300).source);
    GuideRun none;
    PeakReading nothing;
    nothing.tune = 1;
    nothing.atMs = none.nowMs + 100;
    peakTakeReading(none.guide, nothing);
    EXPECT_EQ("this card gives no figure in decibels: the guide cannot bracket", peakWords(none.guide).english);
}

namespace {

NitTransportStream entry(uint32_t megahertz, uint8_t polarization, PositionTenths position = 192)
{
    NitTransportStream stream{};
    stream.hasDeliveryDescriptor = true;
    stream.frequencyKHz = megahertz * 1000u;
    stream.polarization = polarization;
    stream.hasPosition = true;
    stream.position = position;
    return stream;
}

NetworkReport networkOf(const std::vector<NitTransportStream>& streams)
{
    NetworkReport report;
    report.state = NetworkKnown;
    report.identity.known = true;
    report.identity.certainty = PositionOfStream;
    report.identity.position = 192;
    report.identity.listed = true;
    report.identity.streams = streams;
    return report;
}

}  // namespace

TEST(PeakSkew, ItIsJudgedWhereTheOtherPolarizationSharesTheFrequencyAndElsewhereSaysWhere)
{
    const NetworkReport astra =
        networkOf({entry(11720, 0), entry(11739, 1), entry(12515, 0), entry(12516, 1), entry(12545, 1, 130),
                   entry(12545, 0, 130), entry(11778, 1), entry(11778, 0)});
    SkewChance chance = judgeSkewChance(astra, 12515, 0);
    EXPECT_EQ(SkewHere, chance.kind);
    EXPECT_EQ(12516, chance.frequencyMHz);
    EXPECT_EQ(1, chance.polarization);
    // 11720 H has only an interleaved neighbour; of the pairs, the nearest of its own polarization.
    chance = judgeSkewChance(astra, 11720, 0);
    EXPECT_EQ(SkewElsewhere, chance.kind);
    EXPECT_EQ(11778, chance.frequencyMHz);
    EXPECT_EQ(0, chance.polarization);
    GuideRun run(1.0, PeakSkew);
    run.read(12.0, true, chance);
    EXPECT_EQ("skew cannot be judged here: tune 11778 H, where a transponder of the other polarisation shares the "
              "frequency",
              run.last());
    // Another satellite's entries in the table do not count.
    EXPECT_EQ(SkewNowhere,
              judgeSkewChance(networkOf({entry(12545, 0, 130), entry(12545, 1, 130), entry(11720, 0)}), 11720, 0).kind);
    // Before the list, without one, and for a circular polarization.
    NetworkReport reading;
    reading.state = NetworkReading;
    EXPECT_EQ(SkewNotYet, judgeSkewChance(reading, 12515, 0).kind);
    reading.state = NetworkNoInformation;
    EXPECT_EQ(SkewNoNetwork, judgeSkewChance(reading, 12515, 0).kind);
    NetworkReport unlisted = astra;
    unlisted.identity.listed = false;
    EXPECT_EQ(SkewNoList, judgeSkewChance(unlisted, 12515, 0).kind);
    EXPECT_EQ(SkewCircular, judgeSkewChance(astra, 12515, 3).kind);

    // The skew waits for the list, then brackets the LNB's turn.
    GuideRun skew(1.0, PeakSkew);
    skew.read(12.0, true, SkewChance());
    EXPECT_EQ("reading the network's list of transponders", skew.last());
    skew.read(12.0, true, judgeSkewChance(astra, 12515, 0));
    EXPECT_EQ("turn the LNB slowly one way", skew.last());
}

TEST(PeakPhone, ThePageAsksTheGuideWithItsOwnHeaderAndIsToldEachStep)
{
    PhoneAnswer answer =
        answerRequest("POST /peak?do=start&axis=elevation&edge=0.5 HTTP/1.1\r\nX-Azimora: peak\r\n\r\n", true);
    ASSERT_EQ(PhoneAnswer::AskPeak, answer.kind);
    EXPECT_EQ(PeakRequest::Start, answer.peak.kind);
    EXPECT_EQ(PeakElevation, answer.peak.axis);
    EXPECT_DOUBLE_EQ(0.5, answer.peak.edgeDb);
    EXPECT_EQ(403, answerRequest("POST /peak?do=check HTTP/1.1\r\n\r\n", true).status);
    EXPECT_EQ(403, answerRequest("POST /peak?do=check HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n", true).status);
    for (const char* bad : {"do=start&edge=2", "do=start&axis=roll", "do=check&axis=azimuth", "do=start&do=stop",
                            "axis=azimuth", "do=start&speed=1"}) {
        const PhoneAnswer refused =
            answerRequest(std::string("POST /peak?") + bad + " HTTP/1.1\r\nX-Azimora: peak\r\n\r\n", true);
        EXPECT_EQ(400, refused.status) << bad;
    }

    // Through the server: refused while the program is not measuring, then
    // asked, carried out, and each phone told the step.
    PhoneFeed feed;
    feed.run = "r";
    PhoneServerCore core;
    const int64_t wall = 1700000000000;
    const int slot = openPhoneConnection(core, 0);
    const std::string ask = "POST /peak?do=start&axis=azimuth HTTP/1.1\r\nX-Azimora: peak\r\n\r\n";
    receiveWithFeed(core, slot, ask, feed, wall);
    EXPECT_NE(std::string::npos, core.slots[slot].queue.find("409 Conflict"));
    EXPECT_TRUE(core.peakAsked.empty());
    closePhoneConnection(core, slot);

    SignalReading locked{true, 80, 12.0f};
    feedReading(feed, locked, "{}", LinkMargin(), wall);
    const int asking = openPhoneConnection(core, 0);
    receiveWithFeed(core, asking, ask, feed, wall + 100);
    EXPECT_NE(std::string::npos, core.slots[asking].queue.find("202 Accepted"));
    ASSERT_EQ(1u, core.peakAsked.size());
    feedPeakRequest(feed, core.peakAsked[0]);
    EXPECT_EQ(PeakNoReading, feed.peak.step);

    const int follower = openPhoneConnection(core, 0);
    const std::string events = "GET /events HTTP/1.1\r\n\r\n";
    receiveWithFeed(core, follower, events, feed, wall + 100);
    core.slots[follower].queue.clear();
    PeakReading peak;
    peak.atMs = 100;
    peak.refreshMs = 100;
    peak.source = PeakSourceCarrierToNoise;
    peak.hasValue = true;
    peak.value = 12.0;
    feedReading(feed, locked, "{}", LinkMargin(), wall + 200, peak);
    phoneFeedStreams(core, feed, wall + 200, 10);
    const std::string& sent = core.slots[follower].queue;
    EXPECT_NE(std::string::npos, sent.find("event: peak\ndata: {\"step\":\"seeking\",\"running\":true,"
                                           "\"axis\":\"azimuth\",\"edgeDb\":1.0,\"source\":\"cn\",\"unit\":\"dB\","
                                           "\"best\":12.00,\"edgeAt\":11.00,\"belowDb\":null,"
                                           "\"words\":\"turn slowly one way\","))
        << sent;
    EXPECT_NE(std::string::npos, sent.find("\"say\":{\"en\":\"turn slowly one way\",\"ru\":"));
    EXPECT_NE(std::string::npos, sent.find("\"cue\":\"start\""));
    // A new best alone goes out at most twice a second.
    core.slots[follower].queue.clear();
    peak.atMs += 100;
    peak.value = 12.3;
    feedReading(feed, locked, "{}", LinkMargin(), wall + 300, peak);
    phoneFeedStreams(core, feed, wall + 300, 110);
    EXPECT_EQ(std::string::npos, core.slots[follower].queue.find("event: peak"));
    phoneFeedStreams(core, feed, wall + 800, 510);
    EXPECT_NE(std::string::npos, core.slots[follower].queue.find("\"best\":12.30"));
    // Nothing to check yet.
    PeakRequest check;
    check.kind = PeakRequest::Check;
    EXPECT_EQ("nothing to check yet: the guide checks once both edges are marked", peakRefusal(feed, check, wall));
}
