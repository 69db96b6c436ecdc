// The motorised dish on the phone page: the request a page's button makes
// (a POST with the page's own mark), refused while Azimora measures, one
// move at a time, and the card's words on every phone's stream.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_motor.h"
#include "cardbase/phone/phone_server_core.h"
#include "cardbase/phone/phone_sweep.h"
#include "tests/native/phone_server_support.h"

namespace {

TEST(PhoneMotor, TheRequestsAPagesButtonsMake)
{
    MotorRequest request;
    std::string problem;
    ASSERT_TRUE(parseMotorRequestWords("goto=19.2E", &request, &problem)) << problem;
    EXPECT_EQ(MotorGotoSatellite, request.kind);
    EXPECT_DOUBLE_EQ(19.2, request.longitudeDeg);
    ASSERT_TRUE(parseMotorRequestWords("goto=30.0w", &request, &problem)) << problem;
    EXPECT_DOUBLE_EQ(-30.0, request.longitudeDeg);
    ASSERT_TRUE(parseMotorRequestWords("step=west&n=10", &request, &problem)) << problem;
    EXPECT_EQ(MotorDriveSteps, request.kind);
    EXPECT_EQ(MotorWest, request.side);
    EXPECT_EQ(10, request.steps);
    ASSERT_TRUE(parseMotorRequestWords("n=128&step=east", &request, &problem)) << problem;
    EXPECT_EQ(128, request.steps);
    ASSERT_TRUE(parseMotorRequestWords("halt=1", &request, &problem)) << problem;
    EXPECT_EQ(MotorHaltRequest, request.kind);

    const struct {
        const char* query;
        const char* problem;
    } bad[] = {
        {"", "a motor request is goto=19.2E, step=east|west[&n=N] or halt=1"},
        {"goto=Astra", "goto=Astra is no orbital position such as 19.2E"},
        {"step=up", "unknown motor request \"step=up\""},
        {"step=east&n=129", "n=129 is not 1-128 steps"},
        {"step=east&n=0", "n=0 is not 1-128 steps"},
        {"step=east&n=", "n= is not 1-128 steps"},
        {"goto=19.2E&halt=1", "unknown motor request \"halt=1\""},
        {"goto", "\"goto\" is no KEY=VALUE"},
    };
    for (const auto& each : bad) {
        EXPECT_FALSE(parseMotorRequestWords(each.query, &request, &problem)) << each.query;
        EXPECT_EQ(each.problem, problem) << each.query;
    }

    const PhoneAnswer asked = answerRequest("POST /motor?step=east&n=5 HTTP/1.1\r\nX-Azimora: motor\r\n\r\n", true);
    ASSERT_EQ(PhoneAnswer::AskMotor, asked.kind);
    EXPECT_EQ(5, asked.motor.steps);
    EXPECT_EQ(403, answerRequest("POST /motor?halt=1 HTTP/1.1\r\n\r\n", true).status) << "without the page's mark";
    EXPECT_EQ(403, answerRequest("POST /motor?halt=1 HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n", true).status);
    EXPECT_EQ(400, answerRequest("POST /motor?goto=up HTTP/1.1\r\nX-Azimora: motor\r\n\r\n", true).status);
    EXPECT_EQ(404, answerRequest("GET /motor?halt=1 HTTP/1.1\r\n\r\n", true).status);
    EXPECT_EQ(202, motorAnswer("").status);
    EXPECT_EQ(409, motorAnswer("this card drives no motor").status);
}

TEST(PhoneMotor, AMoveOnlyWhileAzimoraIsNotMeasuringAndEveryPhoneHearsWhatTheCardDid)
{
    PhoneServerCore core;
    PhoneFeed feed;
    uint32_t now = 1000;
    const int64_t wall = 1700000000000;
    const auto ask = [&](const std::string& query) {
        const int slot = openPhoneConnection(core, now);
        const std::string request = "POST /motor?" + query + " HTTP/1.1\r\nX-Azimora: motor\r\n\r\n";
        receiveWithFeed(core, slot, request, feed, wall + now, now);
        const std::string answer = core.slots[slot].queue;
        phoneSent(core, slot, answer.size(), now);
        closePhoneConnection(core, slot);
        return answer;
    };
    EXPECT_NE(std::string::npos, ask("halt=1").find("409 Conflict\r\n"));
    EXPECT_NE(std::string::npos, ask("halt=1").find("this card drives no motor"));
    EXPECT_FALSE(core.motorAsked);

    feed.canMotor = true;
    feedReading(feed, SignalReading{true, 60, 11.0f}, feed.network, feed.margin, wall + now);
    EXPECT_NE(std::string::npos, ask("goto=19.2E").find("Azimora is measuring and turns the dish itself"));
    EXPECT_FALSE(core.motorAsked);
    now += measuringWithinMs;
    EXPECT_NE(std::string::npos, ask("goto=19.2E").find("202 Accepted"));
    ASSERT_TRUE(core.motorAsked);
    EXPECT_DOUBLE_EQ(19.2, core.motorRequest.longitudeDeg);
    EXPECT_NE(std::string::npos, ask("halt=1").find("a move is being sent"));

    // The card's words go to every phone following, once each.
    const int phone = openPhoneConnection(core, now);
    const std::string stream = "GET /events HTTP/1.1\r\n\r\n";
    receiveWithFeed(core, phone, stream, feed, wall + now, now);
    EXPECT_NE(std::string::npos, core.slots[phone].queue.find("\"canMotor\":true"));
    core.slots[phone].queue.clear();
    feed.motorWords = "turning the dish to 19.2\xC2\xB0 E (21.3\xC2\xB0 east), there in about 15 s";
    ++feed.motorVersion;
    phoneFeedStreams(core, feed, wall + now, now);
    phoneFeedStreams(core, feed, wall + now, now);
    const std::string sent = core.slots[phone].queue;
    EXPECT_EQ(0u, sent.find("event: motor\ndata: {\"words\":\"turning the dish to 19.2\xC2\xB0 E")) << sent;
    EXPECT_EQ(sent.find("event: motor"), sent.rfind("event: motor"));
}

}  // namespace
