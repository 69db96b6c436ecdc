// The one reading of numbers in text: its forms, and the edges each reader
// of the project relies on (the line protocol's strict values, ports with
// leading zeros, the phone's query, the helper's options, bdacard.ini's
// modulation numbers, the catalogue's positions and the typed times).
#include <climits>
#include <gtest/gtest.h>

#include "app/number_text.h"
#include "bda/bda_settings.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/phone/phone_point.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/pointing/civil_time.h"
#include "dvb/helper/helper_options.h"
#include "dvb/protocol/line_protocol.h"
#include "dvb/protocol/network_answer.h"

namespace {

const WholeForm strict{INT32_MIN, INT32_MAX, 10, false};

bool reads(const std::string& text, const WholeForm& form, int64_t expected)
{
    int64_t value = 12345;
    return readWholeNumber(text, form, &value) && value == expected;
}

bool refused(const std::string& text, const WholeForm& form)
{
    int64_t value = 12345;
    return !readWholeNumber(text, form, &value) && value == 12345;
}

TEST(NumberText, WholeNumbersInTheirForm)
{
    EXPECT_TRUE(reads("0", strict, 0));
    EXPECT_TRUE(reads("-2147483648", strict, INT32_MIN));
    EXPECT_TRUE(reads("2147483647", strict, INT32_MAX));
    for (const char* text : {"", "-", "+5", "-0", "007", "00", "2147483648", "-2147483649", "12345678901", " 5", "5 ",
                             "5x", "0x10", "1e3", "99999999999999999999999999"})
        EXPECT_TRUE(refused(text, strict)) << text;
    // Leading zeros where the form takes them, within its digits.
    const WholeForm lenient{-840, 840, 5, true};
    EXPECT_TRUE(reads("-0", lenient, 0));
    EXPECT_TRUE(reads("00060", lenient, 60));
    EXPECT_TRUE(reads("-00060", lenient, -60));
    EXPECT_TRUE(refused("000060", lenient));
    EXPECT_TRUE(refused("841", lenient));
    EXPECT_TRUE(refused("-841", lenient));
    // A minus only where the form goes below zero.
    EXPECT_TRUE(refused("-0", portForm));
    EXPECT_TRUE(refused("0", portForm));
    EXPECT_TRUE(reads("00080", portForm, 80));
    EXPECT_TRUE(reads("65535", portForm, 65535));
    EXPECT_TRUE(refused("65536", portForm));
    // The whole range of 64 bits, and a form wholly below zero.
    const WholeForm widest{INT64_MIN, INT64_MAX, 19, false};
    EXPECT_TRUE(reads("-9223372036854775808", widest, INT64_MIN));
    EXPECT_TRUE(reads("9223372036854775807", widest, INT64_MAX));
    EXPECT_TRUE(refused("9223372036854775808", widest));
    EXPECT_TRUE(reads("-3", WholeForm{-5, -2, 1, true}, -3));
    EXPECT_TRUE(refused("1", WholeForm{-5, -2, 1, true}));
    // Into a narrower type.
    uint16_t port = 0;
    EXPECT_TRUE(readWholeNumber("47474", portForm, &port));
    EXPECT_EQ(47474, port);
}

TEST(NumberText, PlainDecimalsAndLeadingDigits)
{
    double value = 0;
    for (const char* text : {"2", "2.5", ".5", "2.", "+2.5", "-0"})
        EXPECT_TRUE(readDecimalNumber(text, {true, true, 16, 0}, &value)) << text;
    EXPECT_TRUE(readDecimalNumber("-179.999999", {true, true, 16, 0}, &value));
    EXPECT_DOUBLE_EQ(-179.999999, value);
    for (const char* text :
         {"", ".", "-", "+.", "1.2.3", "1e3", "0x10", "nan", "inf", " 1", "1,5", "12345678901234567"})
        EXPECT_FALSE(readDecimalNumber(text, {true, true, 16, 0}, &value)) << text;
    EXPECT_FALSE(readDecimalNumber("-1", {false, false, 0, 0}, &value));
    EXPECT_FALSE(readDecimalNumber("+1", {false, false, 0, 0}, &value));
    EXPECT_TRUE(readDecimalNumber(std::string(300, '1'), {false, false, 0, 0}, &value));   // no bound on its length
    EXPECT_FALSE(readDecimalNumber(std::string(400, '9'), {false, false, 0, 0}, &value));  // beyond a double

    uint64_t number = 0;
    EXPECT_EQ(5u, leadingDigits("10723h29900", 11, 6, UINT64_MAX, &number));
    EXPECT_EQ(10723u, number);
    EXPECT_EQ(6u, leadingDigits("12345678", 8, 6, UINT64_MAX, &number));
    EXPECT_EQ(123456u, number);
    EXPECT_EQ(3u, leadingDigits("12345678", 3, 6, UINT64_MAX, &number));  // nothing past the length is looked at
    EXPECT_EQ(0u, leadingDigits("x1", 2, 6, UINT64_MAX, &number));
    EXPECT_EQ(0u, number);
    EXPECT_EQ(30u, leadingDigits(std::string(30, '9').c_str(), 30, 40, 2147483647u, &number));
    EXPECT_EQ(2147483647u, number);  // it stops growing at the cap
    EXPECT_EQ(1u, leadingDigits("7", 1, 1, 5, &number));
    EXPECT_EQ(5u, number);
}

TEST(NumberText, EachReaderKeepsItsForm)
{
    // The line protocol: as formatRequest writes them, nothing else.
    Request request;
    EXPECT_TRUE(parseRequest("SetFec 0", &request));
    EXPECT_TRUE(parseRequest("SetLnbFrequency -2147483648", &request));
    EXPECT_EQ(INT32_MIN, request.value);
    for (const char* line : {"SetFec -0", "SetFec 07", "SetFec +7", "SetFec 2147483648"})
        EXPECT_FALSE(parseRequest(line, &request)) << line;
    // Ports: leading zeros in five digits; port 0 where the system may choose.
    std::string host;
    uint16_t port = 0;
    EXPECT_TRUE(parseHostPort("00080", "127.0.0.1", false, &host, &port));
    EXPECT_EQ(80, port);
    EXPECT_FALSE(parseHostPort("000080", "127.0.0.1", false, &host, &port));
    EXPECT_FALSE(parseHostPort("0", "127.0.0.1", false, &host, &port));
    EXPECT_TRUE(parseHostPort("host:0", nullptr, true, &host, &port));
    EXPECT_EQ(0, port);
    EXPECT_EQ(80, phoneSettingOf("pc:00080").port);
    EXPECT_EQ(0, phoneSettingOf("-80").port);
    EXPECT_EQ(0, phoneSettingOf("000080").port);
    // The helper's small numbers: three digits at most.
    HelperOptions options;
    std::string error;
    const char* adapter[] = {"azimora-dvb", "--adapter", "007"};
    ASSERT_TRUE(parseHelperOptions(3, adapter, &options, &error)) << error;
    EXPECT_EQ(7, options.adapter);
    const char* tooLong[] = {"azimora-dvb", "--adapter", "0007"};
    EXPECT_FALSE(parseHelperOptions(3, tooLong, &options, &error));
    // The phone's query: a zone of "-0" is UTC, a time may be before 1970.
    const PhonePlace place = phonePlaceFrom("", "", nullptr, "");
    PointingQuestion question;
    std::string problem;
    ASSERT_TRUE(readPointingQuery("site=1,2&satellite=19.2E&t=-0001000&zone=-0", place, &question, &problem))
        << problem;
    EXPECT_EQ(-1000, question.unixMs);
    EXPECT_EQ(0, question.zoneMinutes);
    // bdacard.ini's modulation numbers: two digits after an optional minus.
    const ModulationOrder order = modulationsFromSettings("modulation=-01,020,07");
    EXPECT_EQ(std::vector<int32_t>({-1, 7}), std::vector<int32_t>(order.values, order.values + order.count));
    // Positions: a catalogue name's, the network's answer in tenths.
    double longitude = 0;
    EXPECT_TRUE(orbitalPosition("Astra 19.e", &longitude));
    EXPECT_DOUBLE_EQ(19.0, longitude);
    EXPECT_FALSE(orbitalPosition("Astra 1.9.2e", &longitude));
    EXPECT_FALSE(orbitalPosition("Astra +19.2e", &longitude));
    NetworkReport report;
    EXPECT_TRUE(parseNetworkAnswer("network known 0x0001 0.5E own", &report)) << "a position under 1 degree";
    EXPECT_EQ(5, report.identity.position);
    EXPECT_FALSE(parseNetworkAnswer("network known 0x0001 05.5E own", &report));
    EXPECT_FALSE(parseNetworkAnswer("network known 0x0001 0.0E own", &report));
    // Typed times: two digits each, no sign.
    int64_t unixMs = 0;
    int32_t zone = 0;
    EXPECT_TRUE(parseLocalTime("2025-06-21T12:00+03", 0, &unixMs, &zone));
    EXPECT_EQ(180, zone);
    EXPECT_FALSE(parseLocalTime("2025-06-21T12:0+03", 0, &unixMs, &zone));
    EXPECT_FALSE(parseLocalTime("2025-06-21T+2:00", 0, &unixMs, &zone));
}

}  // namespace
