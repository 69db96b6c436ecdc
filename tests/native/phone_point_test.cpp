// The phone page's pointing answers: /satellites and /point, read-only,
// bounded by the request's head, and a malformed query refused with what is
// wrong and what a good one looks like.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_point.h"

namespace {

const char catalogue[] = "[HotBird1-6   13.0e]=10723h29900;[HotBird 13B 13.0e]=11034v27500;"
                         "[Astra1B1H,2C   19.2e]=12515h22000;[AMC1   103.0w]=3740v29270;";
// London, Astra, 15 January 2026 11:00 UTC, in UTC.
const char londonQuery[] = "site=51.51%2C-0.13&satellite=19.2E&t=1768474800000&zone=0";

PhonePlace place() { return phonePlaceFrom("phone=8474\r\n", "C:\\simcard\\simcard.ini", nullptr, catalogue); }

std::string bodyOf(const PhoneAnswer& answer) { return answer.bytes.substr(answer.bytes.find("\r\n\r\n") + 4); }

std::string problemOf(const std::string& query)
{
    PointingQuestion question;
    std::string problem;
    EXPECT_FALSE(readPointingQuery(query, place(), &question, &problem)) << query;
    return problem;
}

TEST(PhonePoint, TheQueryIsReadStrictly)
{
    PointingQuestion question;
    std::string problem;
    ASSERT_TRUE(readPointingQuery(londonQuery, place(), &question, &problem)) << problem;
    EXPECT_DOUBLE_EQ(51.51, question.site.latitudeDeg);
    EXPECT_DOUBLE_EQ(-0.13, question.site.longitudeDeg);
    EXPECT_DOUBLE_EQ(19.2, question.satelliteLongitudeDeg);
    EXPECT_EQ(1768474800000, question.unixMs);
    EXPECT_EQ(0, question.zoneMinutes);
    EXPECT_FALSE(question.hasOffset);
    // Percent-encoded as a form sends it, a catalogue name, an offset, a zone west of UTC.
    ASSERT_TRUE(readPointingQuery("zone=-300&t=1768474800000&satellite=hotbird+13b&site=40.7%2C-74&offset=26.5",
                                  place(), &question, &problem));
    EXPECT_DOUBLE_EQ(13.0, question.satelliteLongitudeDeg);
    EXPECT_EQ(-300, question.zoneMinutes);
    EXPECT_TRUE(question.hasOffset);
    EXPECT_DOUBLE_EQ(26.5, question.offsetDeg);
    ASSERT_TRUE(
        readPointingQuery("site=1,2&satellite=19.2%C2%B0%20E&t=0&zone=0&offset=", place(), &question, &problem));
    EXPECT_DOUBLE_EQ(19.2, question.satelliteLongitudeDeg);
    EXPECT_FALSE(question.hasOffset);  // left empty: none

    const std::string all = ": give site=LAT,LON, satellite=19.2E, t=MS since 1970 and zone=MINUTES east of UTC";
    EXPECT_EQ("the query lacks site" + all, problemOf(""));
    EXPECT_EQ("the query lacks zone" + all, problemOf("site=1,2&satellite=19.2E&t=0"));
    EXPECT_EQ("the query gives site twice", problemOf("site=1,2&site=1,2&satellite=19.2E&t=0&zone=0"));
    EXPECT_EQ("the query names \"lnb\": only site, satellite, t, zone and offset are asked",
              problemOf("site=1,2&lnb=1&satellite=19.2E&t=0&zone=0"));
    for (const char* broken : {"site", "site=1%2", "site=1%G2,3", "site=1%0A,2", "site=1,2&"})
        EXPECT_NE(std::string::npos, problemOf(broken).find("does not read: give KEY=VALUE, percent-encoded"))
            << broken;
    EXPECT_EQ("the site's latitude 95 is beyond 90\xC2\xB0: give LAT,LON in degrees, north and east positive, such as "
              "55.75,37.62",
              problemOf("site=95,2&satellite=19.2E&t=0&zone=0"));
    EXPECT_EQ("the satellite \"Sirius\" is neither a position such as 19.2E or 0.8W nor a name in satellite.ini such "
              "as HotBird1-6",
              problemOf("site=1,2&satellite=Sirius&t=0&zone=0"));
    for (const char* t : {"t=-2177452800001", "t=4102444800000", "t=12a", "t=", "t=-", "t=99999999999999999999999"})
        EXPECT_EQ(0u, problemOf(std::string("site=1,2&satellite=19.2E&zone=0&") + t).find("the time t=")) << t;
    for (const char* zone : {"zone=841", "zone=-841", "zone=+60", "zone=1.5"})
        EXPECT_EQ(0u, problemOf(std::string("site=1,2&satellite=19.2E&t=0&") + zone).find("the time zone zone="))
            << zone;
    EXPECT_EQ(0u, problemOf("site=1,2&satellite=19.2E&t=0&zone=0&offset=99").find("the offset angle 99"));
    // A value past the longest worth reading is refused.
    EXPECT_NE(std::string::npos,
              problemOf("site=1,2&satellite=" + std::string(200, 'a') + "&t=0&zone=0").find("KEY=VALUE"));
}

TEST(PhonePoint, TheServerAnswersWithJson)
{
    const PhonePlace london = place();
    const PhoneAnswer answer =
        answerRequest("GET /point?" + std::string(londonQuery) + " HTTP/1.1\r\nHost: x\r\n\r\n", true, &london);
    ASSERT_EQ(PhoneAnswer::Respond, answer.kind);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ(0u, answer.bytes.find("HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\n"));
    const std::string body = bodyOf(answer);
    EXPECT_NE(std::string::npos, answer.bytes.find("Content-Length: " + std::to_string(body.size()) + "\r\n"));
    for (const char* part :
         {"{\"site\":{\"latitude\":51.510,\"longitude\":-0.130},\"satellite\":{\"longitude\":19.200,\"position\":\"19."
          "2\xC2\xB0 E\"}",
          "\"azimuth\":155.86", "\"visibility\":\"visible\"", "\"skew\":-14.7", "\"usals\":21.2", "\"plateTilt\":null",
          "\"sun\":[{\"at\":17684729", "\"local\":\"10:29\"",
          "\"lines\":[[\"azimuth\",\"155.9\xC2\xB0 (true)\"],[\"magnetic azimuth\",",
          "\"skewText\":\"turn the LNB 14.7\xC2\xB0 counterclockwise, seen from behind the dish\"",
          "\"sunText\":\"the sun stands at the satellite's azimuth at 10:29 local time (UTC), 14\xC2\xB0 high\"}"})
        EXPECT_NE(std::string::npos, body.find(part)) << part << "\n" << body;

    const PhoneAnswer head =
        answerRequest("HEAD /point?" + std::string(londonQuery) + " HTTP/1.1\r\n\r\n", true, &london);
    EXPECT_EQ(200, head.status);
    EXPECT_EQ("", bodyOf(head));
    const PhoneAnswer refused =
        answerRequest("GET /point?site=95,1&satellite=1E&t=0&zone=0 HTTP/1.1\r\n\r\n", true, &london);
    EXPECT_EQ(400, refused.status);
    EXPECT_EQ("400 Bad Request: the site's latitude 95 is beyond 90\xC2\xB0: give LAT,LON in degrees, north and east "
              "positive, such as 55.75,37.62\n",
              bodyOf(refused));
    // Still read-only, and nothing without the card's place.
    EXPECT_EQ(405,
              answerRequest("POST /point?" + std::string(londonQuery) + " HTTP/1.1\r\n\r\n", true, &london).status);
    EXPECT_EQ(404, answerRequest("GET /point?" + std::string(londonQuery) + " HTTP/1.1\r\n\r\n", true).status);
    EXPECT_EQ(404, answerRequest("GET /satellites HTTP/1.1\r\n\r\n", true).status);
}

TEST(PhonePoint, TheCatalogueAndTheSettingsFilesSite)
{
    PhonePlace fromFile =
        phonePlaceFrom("phone=8474\nsite = 51.5, -0.13\n", "C:\\dvb\\dvbcard.ini", nullptr, catalogue);
    EXPECT_TRUE(fromFile.hasSite);
    EXPECT_EQ("site= in C:\\dvb\\dvbcard.ini", fromFile.siteFrom);
    const PhoneAnswer answer = answerRequest("GET /satellites HTTP/1.1\r\n\r\n", true, &fromFile);
    EXPECT_EQ(200, answer.status);
    // One satellite for each position, named by its first line.
    EXPECT_EQ("{\"site\":{\"latitude\":51.500,\"longitude\":-0.130,\"text\":\"51.5,-0.13\"},"
              "\"siteFrom\":\"site= in C:\\\\dvb\\\\dvbcard.ini\",\"siteProblem\":null,\"satellites\":["
              "{\"name\":\"HotBird1-6 13.0e\",\"position\":\"13.0\xC2\xB0 E\",\"value\":\"13.0E\"},"
              "{\"name\":\"Astra1B1H,2C 19.2e\",\"position\":\"19.2\xC2\xB0 E\",\"value\":\"19.2E\"},"
              "{\"name\":\"AMC1 103.0w\",\"position\":\"103.0\xC2\xB0 W\",\"value\":\"103.0W\"}]}",
              bodyOf(answer));

    // The practice dish's own site where the file names none; a site= line
    // that does not read is said, and the card's site stands in.
    const DishSite dish{55.75, 37.62};
    PhonePlace practice = phonePlaceFrom("", "simcard.ini", &dish, catalogue);
    EXPECT_TRUE(practice.hasSite);
    EXPECT_EQ("the practice dish's site", practice.siteFrom);
    PhonePlace wrong = phonePlaceFrom("site=north\n", "simcard.ini", &dish, catalogue);
    EXPECT_EQ("site= in simcard.ini: the site \"north\" does not read: give LAT,LON in degrees, north and east "
              "positive, such as 55.75,37.62",
              wrong.siteProblem);
    EXPECT_DOUBLE_EQ(55.75, wrong.site.latitudeDeg);
    PhonePlace none = phonePlaceFrom("site=north\n", "bdacard.ini", nullptr, "");
    EXPECT_FALSE(none.hasSite);
    EXPECT_NE(std::string::npos, satellitesJson(none).find("\"site\":null"));
    EXPECT_NE(std::string::npos, satellitesJson(none).find("\"satellites\":[]"));
    // UTF-16 with its mark, as Notepad saves it.
    const std::string utf16("\xFF\xFEs\0i\0t\0e\0=\0-\0001\0,\0002\0", 20);
    EXPECT_TRUE(phonePlaceFrom(utf16, "bdacard.ini", nullptr, "").hasSite);
}

}  // namespace
