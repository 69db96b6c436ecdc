// The phone page's server without its sockets: a few phones at a time, a
// stream per phone fed every reading once, a slow or silent phone dropped,
// every connection ended in bounded time.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_level.h"
#include "cardbase/phone/phone_margin.h"
#include "cardbase/phone/phone_server_core.h"
#include "cardbase/phone/phone_sweep.h"
#include "tests/native/phone_server_support.h"

namespace {

TEST(PhoneServer, EachStreamGetsTheLastMinuteThenEveryReadingOnce)
{
    Server server;
    server.reading(50, 9.0f);
    server.reading(51, 9.1f);
    const int first = server.stream();
    const std::string opening = server.drain(first);
    EXPECT_NE(std::string::npos, opening.find("event: history\ndata: {"));
    EXPECT_NE(std::string::npos, opening.find("[2,1700000001000,1,51,9.10,0,null,0,{\"state\":\"unknown\","));
    server.reading(52, 9.2f);
    const int second = server.stream();
    server.reading(53, 9.3f);
    const std::string toFirst = server.drain(first), toSecond = server.drain(second);
    EXPECT_EQ(2, countOf(toFirst, "event: reading"));
    EXPECT_NE(std::string::npos, toFirst.find("\"seq\":3,"));
    EXPECT_NE(std::string::npos, toFirst.find("\"seq\":4,"));
    EXPECT_EQ(1, countOf(toSecond, "event: reading"));  // 3 came in its history
    phoneFeedStreams(server.core, server.feed, 0, server.now);
    EXPECT_TRUE(server.queue(first).empty());
    EXPECT_EQ(2, phoneStreams(server.core));
}

TEST(PhoneServer, WithoutReadingsAStreamHearsOnceASecondThatNothingIsMeasured)
{
    Server server;
    const int slot = server.stream();
    server.drain(slot);
    server.now += idleEventMs - 1;
    phoneFeedStreams(server.core, server.feed, 0, server.now);
    EXPECT_TRUE(server.queue(slot).empty());
    server.now += 1;
    phoneFeedStreams(server.core, server.feed, 0, server.now);
    EXPECT_EQ(0u, server.queue(slot).find("event: idle\ndata: {"));
}

TEST(PhoneServer, AFewPhonesAtATime)
{
    Server server;
    int streams[maxPhoneStreams];
    for (int& slot : streams) slot = server.stream();
    const int ninth = server.stream();
    EXPECT_EQ(0u, server.queue(ninth).find("HTTP/1.1 503"));
    EXPECT_EQ(maxPhoneStreams, phoneStreams(server.core));
    for (int i = maxPhoneStreams + 1; i < maxPhoneConnections; ++i) EXPECT_GE(server.open(), 0);
    EXPECT_EQ(-1, server.open());  // the socket loop closes it at once
    closePhoneConnection(server.core, streams[0]);
    EXPECT_GE(server.open(), 0);
}

TEST(PhoneServer, AnAnswerIsSentThenHalfClosedThenClosed)
{
    Server server;
    const int slot = server.open();
    server.send(slot, "GET /phone.css HTTP/1.1\r\n");
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, slot, server.now));
    server.send(slot, "\r\n");
    EXPECT_EQ(PhoneConnectionState::Answering, server.core.slots[slot].state);
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, slot, server.now));
    server.drain(slot);
    EXPECT_EQ(PhoneAction::HalfClose, phoneActionFor(server.core, slot, server.now));
    server.send(slot, "GET / HTTP/1.1\r\n\r\n");  // nothing more is read
    EXPECT_TRUE(server.queue(slot).empty());
    server.now += closingTimeoutMs;
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, slot, server.now));
}

// A phone that half-closes after its request (nc -N) is answered all the
// same; one that ends before its head is complete is let go at once.
TEST(PhoneServer, TheEndOfAPhonesInputDropsNoAnswerDue)
{
    Server server;
    const int answered = server.open();
    server.send(answered, "GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(phoneInputEnded(server.core, answered));
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, answered, server.now));
    EXPECT_EQ(0u, server.drain(answered).find("HTTP/1.1 200 OK"));
    EXPECT_EQ(PhoneAction::HalfClose, phoneActionFor(server.core, answered, server.now));
    // It has closed its side already: nothing to wait for.
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, answered, server.now));

    const int streaming = server.open();
    server.send(streaming, "GET /events HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(phoneInputEnded(server.core, streaming));
    server.reading(60, 11.0f);
    EXPECT_NE(std::string::npos, server.drain(streaming).find("event: reading"));
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, streaming, server.now));

    const int cut = server.open();
    server.send(cut, "GET / HTTP/1.0\r\n");
    EXPECT_FALSE(phoneInputEnded(server.core, cut));

    // An answer already sent and half-closed: the phone's end ends it.
    const int closing = server.open();
    server.send(closing, "GET /phone.css HTTP/1.1\r\n\r\n");
    server.drain(closing);
    EXPECT_EQ(PhoneAction::HalfClose, phoneActionFor(server.core, closing, server.now));
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, closing, server.now));
    EXPECT_FALSE(phoneInputEnded(server.core, closing));
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, closing, server.now));
}

TEST(PhoneServer, SilentSlowAndFloodingPhonesAreDropped)
{
    Server server;
    // A head that never comes.
    const int silent = server.open();
    server.send(silent, "GET / HT");
    server.now += requestTimeoutMs;
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, silent, server.now));

    // A head of endless bytes is answered with an error as soon as it passes the bound.
    const int flooding = server.open();
    for (int i = 0; i < 100; ++i) server.send(flooding, std::string(1000, 'a'));
    EXPECT_EQ(0u, server.queue(flooding).find("HTTP/1.1 431"));
    EXPECT_LE(server.core.slots[flooding].received.size(), maxRequestHeadBytes + 1);

    // A phone that takes nothing: its queue fills and it goes; the other stays.
    const int slow = server.stream(), fast = server.stream();
    for (int i = 0; i < 2000 && server.core.slots[slow].state == PhoneConnectionState::Streaming; ++i) {
        server.now += 100;
        server.reading(60, 11.0f);
        server.drain(fast);
    }
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, slow, server.now));
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, fast, server.now));

    // A phone that takes a little and then nothing for a while.
    const int stalled = server.stream();
    server.now += stalledPhoneMs;
    EXPECT_EQ(PhoneAction::Close, phoneActionFor(server.core, stalled, server.now));
}

TEST(PhoneServer, ReadingsAndTheTuningInWords)
{
    PhoneFeed feed;
    feed.run = "1700000000000-4242";
    feed.card = "BDA tuner \"Sky\\Star\"\n";
    const CardSetCall calls[] = {SetLnbSelectionCall, SetLnbFrequencyCall,         SetPolarityCall,
                                 SetSymbolRateCall,   SetTransponderFrequencyCall, SetDiseqcCall};
    const int32_t values[] = {1, 10600, 1, 27500, 12245, 5};
    for (int i = 0; i < cardSetCallCount; ++i) feedSetCall(feed, calls[i], values[i], 1700000000000);
    feedReading(feed, SignalReading{false, 0, 0.0f}, feed.network, feed.margin, 1700000000100);
    feedReading(feed, SignalReading{true, 72, 13.456f}, feed.network, feed.margin, 1700000000200);
    const std::vector<PhoneReading> held = readingsAfter(feed, 0);
    ASSERT_EQ(2u, held.size());
    const std::string event = readingEvent(feed, held[1]);
    EXPECT_EQ(0u, event.find("event: reading\ndata: {\"seq\":2,\"t\":1700000000200,\"lock\":true,\"quality\":72,"));
    EXPECT_EQ(event.size() - 3, event.find("}\n\n"));
    EXPECT_NE(std::string::npos, event.find("\"tune\":{\"n\":1,\"frequencyMHz\":12245,"));
    EXPECT_NE(std::string::npos, event.find("\"cn\":13.46,"));
    EXPECT_NE(std::string::npos, event.find("\"polarization\":\"V\""));
    EXPECT_NE(std::string::npos, event.find("\"switch\":\"AB\""));
    EXPECT_NE(std::string::npos, event.find("\\\"Sky\\\\Star\\\"\\u000a"));
    EXPECT_NE(std::string::npos, readingEvent(feed, held[0]).find("\"lock\":false"));
    // Every message names the server's run, so that a page tells a program
    // started again from the one it followed.
    for (const std::string& message : {event, streamOpening(feed, 1700000000300), idleEvent(feed, 1700000000300)})
        EXPECT_NE(std::string::npos, message.find("\"run\":\"1700000000000-4242\",")) << message;
    // A start half sent keeps the tuning shown.
    feedSetCall(feed, SetLnbSelectionCall, 0, 1700000000300);
    EXPECT_EQ(1u, feed.tuning.number);
}

TEST(PhoneServer, TheHistoryHoldsTheLastMinuteOnly)
{
    PhoneFeed feed;
    for (int i = 0; i < 1000; ++i)
        feedReading(feed, SignalReading{true, 50, 9.0f}, feed.network, feed.margin, 100 * static_cast<int64_t>(i));
    const std::vector<PhoneReading> held = readingsAfter(feed, 0);
    EXPECT_EQ(phoneHistoryCapacity, held.size());
    EXPECT_EQ(1000u, held.back().seq);
    EXPECT_EQ(281u, held.front().seq);
    EXPECT_TRUE(readingsAfter(feed, 1000).empty());
    EXPECT_TRUE(readingsAfter(feed, 5000).empty());
    const std::string opening = streamOpening(feed, 99900);
    EXPECT_EQ(600, countOf(opening.substr(opening.find("\"readings\":")), "],[") + 1);  // 60 s at ten a second
}

}  // namespace

// The stream's "network" object as the page reads it: known or not, the
// position in degrees, what the catalogue expected and the verdict, which
// is never "wrong" without a position.
TEST(PhoneFeedNetwork, TheNetworkObjectSaysWhatIsKnownAndWhatWasExpected)
{
    EXPECT_EQ("{\"state\":\"unlocked\",\"name\":null,\"id\":null,\"position\":null,\"uncertain\":false,"
              "\"expected\":[],\"verdict\":\"unknown\"}",
              networkJson(NetworkReport(), {}));
    NetworkReport report;
    report.state = NetworkKnown;
    report.identity.known = true;
    report.identity.networkId = 0x0001;
    report.identity.networkName = "Astra \"1\"";
    report.identity.certainty = PositionOfStream;
    report.identity.position = 192;
    EXPECT_EQ("{\"state\":\"known\",\"name\":\"Astra \\\"1\\\"\",\"id\":\"0x0001\",\"position\":\"19.2\xC2\xB0 E\","
              "\"uncertain\":false,\"expected\":[\"13.0\xC2\xB0 E\",\"16.0\xC2\xB0 E\"],\"verdict\":\"wrong\"}",
              networkJson(report, {130, 160}));
    EXPECT_NE(std::string::npos, networkJson(report, {192}).find("\"verdict\":\"expected\""));
    EXPECT_NE(std::string::npos, networkJson(report, {}).find("\"verdict\":\"unexpected\""));
    // Where the stream's own entry was not found, the position is only probable: never wrong.
    report.identity.certainty = PositionMostCommon;
    EXPECT_NE(std::string::npos, networkJson(report, {192}).find("\"uncertain\":true"));
    EXPECT_NE(std::string::npos, networkJson(report, {130, 160}).find("\"verdict\":\"probable\""));
    EXPECT_NE(std::string::npos, networkJson(report, {}).find("\"verdict\":\"unexpected\""));
    report.identity.certainty = PositionUnknown;
    const std::string unknown = networkJson(report, {130});
    EXPECT_NE(std::string::npos, unknown.find("\"position\":null"));
    EXPECT_NE(std::string::npos, unknown.find("\"verdict\":\"unknown\""));
    report.state = NetworkNoInformation;
    EXPECT_NE(std::string::npos, networkJson(report, {130}).find("{\"state\":\"none\",\"name\":null"));

    // Every message carries it.
    PhoneFeed feed;
    feed.network = networkJson(report, {130});
    EXPECT_NE(std::string::npos, idleEvent(feed, 0).find("\"network\":{\"state\":\"none\""));
}

// The stream's "margin" object and the table the page picks from: the
// figure and its source, or why there is none and what is missing; each
// row of the history with the threshold of its moment.
TEST(PhoneFeedMargin, TheMarginObjectTheThresholdsAndTheHistorysThresholds)
{
    EXPECT_EQ("{\"status\":\"nolock\",\"modcod\":null,\"name\":null,\"source\":\"unknown\",\"thresholdDb\":null,"
              "\"marginDb\":null,\"verdict\":null,\"why\":\"no lock\",\"missing\":null,\"orMore\":false,"
              "\"orLess\":false}",
              marginJson(LinkMargin()));
    MarginInputs inputs;
    inputs.locked = inputs.carrierToNoiseInDecibels = true;
    inputs.carrierToNoiseDb = 12.43;
    inputs.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    const LinkMargin known = linkMargin(inputs);
    EXPECT_EQ("{\"status\":\"known\",\"modcod\":\"S2-8PSK-3/4\",\"name\":\"DVB-S2 8PSK 3/4\",\"source\":\"tuner\","
              "\"thresholdDb\":8.21,\"marginDb\":4.2,\"verdict\":\"good\",\"why\":null,\"missing\":null,"
              "\"orMore\":false,\"orLess\":false}",
              marginJson(known));
    inputs.tuner = missingWord(GapEcho);
    inputs.network = missingWord(GapNoDescriptor);
    EXPECT_EQ("{\"status\":\"nomodcod\",\"modcod\":null,\"name\":null,\"source\":\"unknown\",\"thresholdDb\":null,"
              "\"marginDb\":null,\"verdict\":null,\"why\":\"modulation and code rate unknown\",\"missing\":"
              "\"the tuner gives back only what it was asked; this stream's entry has no satellite delivery system "
              "descriptor\",\"orMore\":false,\"orLess\":false}",
              marginJson(linkMargin(inputs)));
    inputs.carrierToNoiseInDecibels = false;
    EXPECT_NE(std::string::npos, marginJson(linkMargin(inputs)).find("\"why\":\"the tuner gives no C/N in dB\""));

    const std::string table = thresholdsJson();
    EXPECT_EQ(0u,
              table.find("{\"allowanceDb\":0.3,\"goodDb\":3.0,\"rows\":[[\"S2-QPSK-1/4\",\"DVB-S2 QPSK 1/4\",-2.05],"));
    EXPECT_NE(std::string::npos, table.find("[\"S-QPSK-3/4\",\"DVB-S QPSK 3/4\",6.91]"));
    EXPECT_EQ(static_cast<int>(modcodThresholdCount), countOf(table, "\",\"DVB-S"));

    PhoneFeed feed;
    feedReading(feed, SignalReading{true, 50, 9.0f}, feed.network, LinkMargin(), 1000);
    SignalReading floored{true, 90, 12.43f};
    floored.unit = SnrUnitDecibelOrMore;
    floored.level.state = LevelLive;
    floored.level.value = -41.5;
    feedReading(feed, floored, feed.network, known, 1100);
    const std::string opening = streamOpening(feed, 1200);
    const std::string unknownLevel = levelJson(SignalLevel());
    EXPECT_NE(std::string::npos, opening.find("[1,1000,1,50,9.00,0,null,0," + unknownLevel +
                                              "],[2,1100,1,90,12.43,0,8.21,1," + levelJson(floored.level) + "]"));
    // Each reading carries its own level, locked or not.
    EXPECT_NE(std::string::npos,
              readingEvent(feed, readingsAfter(feed, 1)[0]).find(",\"level\":" + levelJson(floored.level) + ","));
    EXPECT_NE(std::string::npos, opening.find("\"thresholds\":{\"allowanceDb\""));
    const std::string second = readingEvent(feed, readingsAfter(feed, 1)[0]);
    EXPECT_NE(std::string::npos, second.find("\"margin\":{\"status\":\"known\""));
    EXPECT_NE(std::string::npos, second.find("\"cn\":12.43,\"cnOrMore\":true,\"cnOrLess\":false,"));
    // A margin that is at least its figure says so.
    inputs = MarginInputs();
    inputs.locked = inputs.carrierToNoiseInDecibels = inputs.carrierToNoiseAtLeast = true;
    inputs.carrierToNoiseDb = 12.43;
    inputs.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    EXPECT_NE(std::string::npos, marginJson(linkMargin(inputs)).find("\"orMore\":true,\"orLess\":false}"));
}

// Readings sent together (a phone that fell behind, a stream opened late)
// each carry the network and margin of their own moment, not the newest.
TEST(PhoneFeedMargin, EachReadingCarriesTheNetworkAndMarginOfItsOwnMoment)
{
    PhoneFeed feed;
    MarginInputs inputs;
    inputs.locked = inputs.carrierToNoiseInDecibels = true;
    inputs.carrierToNoiseDb = 12.43;
    inputs.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    const LinkMargin good = linkMargin(inputs);
    NetworkReport report;
    report.state = NetworkReading;
    const std::string reading = networkJson(report, {});
    feedReading(feed, SignalReading{true, 90, 12.43f}, reading, good, 1000);
    feedReading(feed, SignalReading{false, 0, 0.0f}, networkJson(NetworkReport(), {}), LinkMargin(), 1100);
    const std::vector<PhoneReading> batch = readingsAfter(feed, 0);
    ASSERT_EQ(2u, batch.size());
    const std::string first = readingEvent(feed, batch[0]);
    EXPECT_NE(std::string::npos, first.find("\"margin\":{\"status\":\"known\"")) << first;
    EXPECT_NE(std::string::npos, first.find("\"network\":{\"state\":\"reading\"")) << first;
    const std::string second = readingEvent(feed, batch[1]);
    EXPECT_NE(std::string::npos, second.find("\"margin\":{\"status\":\"nolock\"")) << second;
    // The messages without a reading carry the newest.
    EXPECT_NE(std::string::npos, idleEvent(feed, 1200).find("\"network\":{\"state\":\"unlocked\""));
    // A search under way says how long no reading came.
    SignalReading searching{false, 0, 0.0f};
    searching.searchingMs = 2300;
    feedReading(feed, searching, feed.network, LinkMargin(), 1300);
    EXPECT_NE(std::string::npos, readingEvent(feed, readingsAfter(feed, 2)[0])
                                     .find("\"cnOrMore\":false,\"cnOrLess\":false,\"searchingMs\":2300,"));
}

TEST(PhoneSweep, OneSweepAtATimeOnlyWhileAzimoraIsNotMeasuringAndEveryPhoneSeesIt)
{
    Server server;
    const std::string ask = "POST /sweep?band=low&pol=H HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n";
    int slot = server.open();
    server.send(slot, ask);
    EXPECT_NE(std::string::npos, server.drain(slot).find("409 Conflict"));  // a card that cannot sweep
    EXPECT_FALSE(server.core.sweepAsked);

    server.feed.canSweep = true;
    server.reading(50, 9.0f);  // measuring: the frontend is the program's
    slot = server.open();
    server.send(slot, ask);
    EXPECT_NE(std::string::npos, server.drain(slot).find("Azimora is measuring"));
    EXPECT_EQ("Azimora is measuring: go back to Setup to sweep the band",
              sweepRefusal(server.feed, 1700000000000 + server.now + 1999));
    EXPECT_EQ("", sweepRefusal(server.feed, 1700000000000 + server.now + measuringWithinMs));

    // The program went back to Setup: the sweep starts, once.
    server.now += 5000;
    const int watcher = server.stream();
    server.drain(watcher);
    slot = server.open();
    server.send(slot, ask);
    EXPECT_NE(std::string::npos, server.drain(slot).find("202 Accepted"));
    ASSERT_TRUE(server.core.sweepAsked);
    EXPECT_EQ(0, server.core.sweepRequest.polarization);
    slot = server.open();
    server.send(slot, ask);
    EXPECT_NE(std::string::npos, server.drain(slot).find("a sweep is starting"));

    // As it goes, the phones get it at most twice a second, and at its end at once.
    server.core.sweepAsked = false;
    SweepStatus& status = server.feed.sweep;
    status.state = SweepRunning;
    status.plan = planSweep(SweepRequest());
    status.steps = 500;
    for (uint32_t step = 1; step <= 10; ++step) {
        status.stepsDone = step;
        status.result.points.push_back(SweepPoint{10698 + 2 * static_cast<int32_t>(step), true, -64.0});
        ++server.feed.sweepVersion;
        server.now += 100;
        phoneFeedStreams(server.core, server.feed, 0, server.now);
    }
    const std::string progress = server.drain(watcher);
    EXPECT_EQ(2, countOf(progress, "event: sweep\n"));
    EXPECT_NE(std::string::npos, progress.find("\"state\":\"running\""));
    EXPECT_NE(std::string::npos, sweepRefusal(server.feed, 0).find("under way"));
    status.state = SweepDone;
    status.result.peaks.push_back(SweepPeak());
    status.result.peaks.back().frequencyMHz = 10706;
    ++server.feed.sweepVersion;
    server.now += 10;
    phoneFeedStreams(server.core, server.feed, 0, server.now);
    const std::string done = server.drain(watcher);
    EXPECT_EQ(1, countOf(done, "event: sweep\n"));
    EXPECT_NE(std::string::npos, done.find("\"state\":\"done\",\"title\":\"10700-11698 MHz H, low band\""));
    EXPECT_NE(std::string::npos, done.find("\"points\":[[10700,-64.00],[10702,-64.00]"));
    EXPECT_NE(std::string::npos, done.find("\"peaks\":[{\"f\":10706,"));
    // A phone that comes later sees the latest sweep too.
    const int late = server.stream();
    phoneFeedStreams(server.core, server.feed, 0, server.now);
    EXPECT_EQ(1, countOf(server.drain(late), "event: sweep\n"));
}

TEST(PhoneSweep, APeakThatLockedCarriesItsNetwork)
{
    SweepStatus status;
    status.state = SweepDone;
    status.plan = planSweep(SweepRequest());
    SweepPeak peak;
    peak.frequencyMHz = 11362;
    peak.level = -41.25;
    peak.aboveFloor = 23.5;
    peak.widthMHz = 27.6;
    peak.tried = peak.locked = true;
    peak.symbolRate = 27500;
    peak.hasModcod = true;
    peak.modcod = Modcod{ModDvbS2, Mod8psk, 3, 4};
    peak.network.known = true;
    peak.network.networkName = "Astra \"1\"";
    peak.network.position = 192;
    peak.network.certainty = PositionOfStream;
    status.result.peaks.push_back(peak);
    EXPECT_NE(std::string::npos,
              sweepJson(status).find("{\"f\":11362,\"level\":-41.25,\"above\":23.50,\"width\":27.6,\"tried\":true,"
                                     "\"locked\":true,\"symbolRate\":27500,\"modcod\":\"S2-8PSK-3/4\","
                                     "\"network\":\"Astra \\\"1\\\"\",\"position\":\"19.2\u00b0 E\"}"));
}
