// The line protocol between dvbcard.dll and azimora-dvb: what each side
// writes the other reads back, and anything else is refused.
#include <gtest/gtest.h>

#include "dvb/protocol/line_protocol.h"

namespace {

TEST(DvbProtocol, EveryRequestReadsBackAsWritten)
{
    for (int i = 0; i < requestKindCount; ++i) {
        const RequestKind kind = static_cast<RequestKind>(i);
        for (int32_t value : {0, 6, -1, 12245, INT32_MIN, INT32_MAX}) {
            const Request written{kind, requestTakesValue(kind) ? value : 0,
                                  requestTakesWords(kind) ? "band=low pol=H switch= lnb=universal" : ""};
            Request read{RequestInitialize, 99};
            ASSERT_TRUE(parseRequest(formatRequest(written), &read)) << formatRequest(written);
            EXPECT_EQ(written.kind, read.kind);
            EXPECT_EQ(written.value, read.value);
            EXPECT_EQ(written.words, read.words);
        }
    }
    EXPECT_EQ("SetDiseqc 5", formatRequest(Request{RequestSetDiseqc, 5}));
    EXPECT_EQ("QuerySignalStatus", formatRequest(Request{RequestQuerySignalStatus, 7}));
}

TEST(DvbProtocol, MalformedRequestsAreRefusedAndLeaveTheRequestAlone)
{
    const char* const malformed[] = {
        "",
        "setpolarity 0",            // names are exact
        "SetPolarity",              // a set call needs its value
        "SetPolarity 0 1",          // and only one
        "SetPolarity  0",           // one space
        "SetPolarity 0 ",           //
        " SetPolarity 0",           //
        "SetPolarity 00",           // no leading zeros
        "SetPolarity -0",           //
        "SetPolarity +1",           //
        "SetPolarity 1x",           //
        "SetPolarity 2147483648",   // beyond int32
        "SetPolarity -2147483649",  //
        "SetPolarity 99999999999",  //
        "Initialize 1",             // calls without a value take none
        "QuerySignalStatus ",       //
        "Reserved10",               // never called
        "SetPolarity\t0",           //
        "SetPolarity 0\r",          // the reader strips a carriage return, the parser does not
        "Sweep",                    // the sweep needs its words
        "Sweep ",                   //
        "Sweep  band=low",          // no blank at either end
        "Sweep band=low ",          //
        "Sweep band=\x01low",       // printable only
        "SweepLevels",              // its lines need their number
        "QuerySweep 1",             //
    };
    for (const char* line : malformed) {
        Request request{RequestGetSignalQuality, 42};
        EXPECT_FALSE(parseRequest(line, &request)) << '"' << line << '"';
        EXPECT_EQ(RequestGetSignalQuality, request.kind) << line;
        EXPECT_EQ(42, request.value) << line;
    }
    EXPECT_FALSE(parseRequest("SetPolarity " + std::string(maxLineLength, '1'), nullptr));
}

TEST(DvbProtocol, RepliesReadBackAndFailureReasonsStayOneShortPrintableLine)
{
    Reply reply;
    ASSERT_TRUE(parseReply(formatReply(okReply()), &reply));
    EXPECT_TRUE(reply.ok);
    EXPECT_FALSE(reply.hasValue);
    ASSERT_TRUE(parseReply(formatReply(valueReply(-10070)), &reply));
    EXPECT_TRUE(reply.ok && reply.hasValue);
    EXPECT_EQ(-10070, reply.value);
    ASSERT_TRUE(parseReply(formatReply(failReply("no lock")), &reply));
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ("no lock", reply.reason);

    EXPECT_EQ("fail failed", formatReply(failReply("")));
    EXPECT_EQ("fail a b", formatReply(failReply("a\nb")));
    const std::string longReason = formatReply(failReply(std::string(500, 'x')));
    EXPECT_EQ(maxLineLength, longReason.size());
    EXPECT_TRUE(parseReply(longReason, &reply));

    for (const char* bad : {"", "ok ", "ok 1 2", "ok 055", "okay", "fail", "fail ", "FAIL x", "ok\t1", "fail a\tb"})
        EXPECT_FALSE(parseReply(bad, &reply)) << '"' << bad << '"';
}

static std::vector<ReadLine> feed(LineReader& reader, const std::string& bytes)
{
    std::vector<ReadLine> lines;
    readLines(reader, bytes.data(), bytes.size(), &lines);
    return lines;
}

TEST(DvbProtocol, TheReaderCutsLinesAcrossChunksAndDropsAnOversizedOne)
{
    LineReader reader;
    EXPECT_TRUE(feed(reader, "SetPol").empty());
    std::vector<ReadLine> lines = feed(reader, "arity 0\r\nInitialize\nQuery");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("SetPolarity 0", lines[0].text);
    EXPECT_EQ("Initialize", lines[1].text);

    // A line past the limit is reported once; the reader is back in step at
    // the next newline, whatever came in between.
    lines = feed(reader, std::string(3 * maxLineLength, 'x'));
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(lines[0].tooLong);
    EXPECT_TRUE(feed(reader, std::string(1000, 'y')).empty());
    lines = feed(reader, "zz\nInitialize\n");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("Initialize", lines[0].text);

    // The longest line there is room for, with and without a carriage return.
    lines = feed(reader, std::string(maxLineLength, 'a') + "\r\n" + std::string(maxLineLength, 'b') + "\n");
    ASSERT_EQ(2u, lines.size());
    EXPECT_FALSE(lines[0].tooLong || lines[1].tooLong);
    EXPECT_EQ(maxLineLength, lines[0].text.size());
}

TEST(DvbProtocol, AddressesAreHostAndPort)
{
    std::string host;
    uint16_t port = 0;
    ASSERT_TRUE(parseHostPort("127.0.0.1:47474", nullptr, false, &host, &port));
    EXPECT_EQ("127.0.0.1", host);
    EXPECT_EQ(47474, port);
    ASSERT_TRUE(parseHostPort("dish-pc.local:5555", nullptr, false, &host, &port));
    EXPECT_EQ("dish-pc.local", host);
    ASSERT_TRUE(parseHostPort("47000", "127.0.0.1", false, &host, &port));
    EXPECT_EQ("127.0.0.1", host);
    EXPECT_EQ(47000, port);
    EXPECT_TRUE(parseHostPort("0.0.0.0:0", nullptr, true, &host, &port));
    for (const char* bad :
         {"", ":47474", "host:", "host:0", "host:65536", "host:-1", "host:4x", "47474", "a b:1", "host:123456"})
        EXPECT_FALSE(parseHostPort(bad, nullptr, false, &host, &port)) << bad;
}

}  // namespace
