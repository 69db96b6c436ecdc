// What an answer takes from the feed, and only that under the feed's lock:
// a stream's opening, a sweep's decision; and the words every message
// carries of a single-cable device.
#include <gtest/gtest.h>

#include "tests/native/phone_server_support.h"

namespace {

TEST(PhoneStream, AnAnswerIsMadeWithoutTheFeedAndTakesFromItOnlyWhatItNeeds)
{
    Server server;
    server.reading(50, 9.0f);
    PhoneServing serving;
    serving.place = &server.feed.place;
    serving.recordFolder = &server.feed.recordFolder;
    const std::string page = "GET /phone.js HTTP/1.1\r\n\r\n", stream = "GET /events HTTP/1.1\r\n\r\n";
    const int file = server.open();
    EXPECT_FALSE(phoneReceived(server.core, file, page.data(), page.size(), serving, server.now));
    EXPECT_EQ(0u, server.queue(file).find("HTTP/1.1 200 OK"));
    // A stream's head at once, its last minute from the feed; meanwhile it is kept.
    const int follower = server.open();
    EXPECT_TRUE(phoneReceived(server.core, follower, stream.data(), stream.size(), serving, server.now));
    EXPECT_EQ(std::string::npos, server.queue(follower).find("event: history"));
    EXPECT_EQ(1, phoneStreams(server.core));
    server.drain(follower);
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, follower, server.now));
    phoneFeedStreams(server.core, server.feed, 1700000000000 + server.now, server.now);
    EXPECT_NE(std::string::npos, server.queue(follower).find("event: history"));
    // A sweep asked: nothing is sent, nor the connection closed, until the feed decides.
    const std::string ask = "POST /sweep?band=low&pol=H HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n";
    const int asker = server.open();
    EXPECT_TRUE(phoneReceived(server.core, asker, ask.data(), ask.size(), serving, server.now));
    EXPECT_TRUE(server.queue(asker).empty());
    EXPECT_EQ(PhoneAction::Keep, phoneActionFor(server.core, asker, server.now));
    phoneJoinFeed(server.core, asker, server.feed, 1700000000000 + server.now, server.now);
    EXPECT_EQ(0u, server.queue(asker).find("HTTP/1.1 409"));  // no card that sweeps
}

TEST(PhoneStream, TheSingleCableDeviceAndASharedUserBandAreInEveryMessage)
{
    Server server;
    const int slot = server.stream();
    EXPECT_NE(std::string::npos, server.drain(slot).find("\"singleCable\":null,\"userBand\":null"));
    server.feed.singleCable = "EN 50494, user band 1 at 1210 MHz";
    server.reading(60, 10.0f);
    EXPECT_NE(std::string::npos,
              server.drain(slot).find("\"singleCable\":\"EN 50494, user band 1 at 1210 MHz\",\"userBand\":null"));
    server.feed.userBandNote = "another receiver uses user band 1";
    server.reading(60, 10.0f);
    EXPECT_NE(std::string::npos, server.drain(slot).find("\"userBand\":\"another receiver uses user band 1\""));
    // A new start forgets the note; the device stays.
    for (CardSetCall call : {SetLnbSelectionCall, SetLnbFrequencyCall, SetPolarityCall, SetSymbolRateCall,
                             SetTransponderFrequencyCall, SetDiseqcCall})
        feedSetCall(server.feed, call, 1, 0);
    server.reading(60, 10.0f);
    EXPECT_NE(std::string::npos,
              server.drain(slot).find("\"singleCable\":\"EN 50494, user band 1 at 1210 MHz\",\"userBand\":null"));
}

}  // namespace
