// QueryNetwork and its answer: the request and a reply of words read back
// as written, every state and certainty travels, a long name is cut to the
// line, and anything else is refused. QuerySkew's answer likewise.
#include <gtest/gtest.h>

#include "dvb/protocol/line_protocol.h"
#include "dvb/protocol/network_answer.h"
#include "dvb/protocol/skew_answer.h"

namespace {

static NetworkReport known(uint16_t id, PositionCertainty certainty, PositionTenths position, const std::string& name)
{
    NetworkReport report;
    report.state = NetworkKnown;
    report.identity.known = true;
    report.identity.networkId = id;
    report.identity.certainty = certainty;
    report.identity.position = position;
    report.identity.networkName = name;
    return report;
}

// Through the line as the helper writes it and the card reads it.
static NetworkReport travelled(const NetworkReport& report, std::string* line = nullptr)
{
    const std::string written = formatReply(textReply(networkAnswerText(report)));
    if (line) *line = written;
    Reply reply;
    NetworkReport read;
    read.state = NetworkKnown;
    EXPECT_TRUE(parseReply(written, &reply)) << written;
    EXPECT_TRUE(reply.ok && !reply.hasValue) << written;
    EXPECT_TRUE(parseNetworkAnswer(reply.text, &read)) << written;
    return read;
}

TEST(DvbNetworkAnswer, EveryStateAndCertaintyTravels)
{
    EXPECT_EQ("QueryNetwork", formatRequest(Request{RequestQueryNetwork, 0}));
    Request request;
    ASSERT_TRUE(parseRequest("QueryNetwork", &request));
    EXPECT_EQ(RequestQueryNetwork, request.kind);
    EXPECT_FALSE(parseRequest("QueryNetwork 1", &request));

    std::string line;
    for (NetworkState state : {NetworkNotLocked, NetworkReading, NetworkNoInformation}) {
        NetworkReport report;
        report.state = state;
        EXPECT_EQ(state, travelled(report).state);
    }
    NetworkReport report;
    report.state = NetworkReading;
    travelled(report, &line);
    EXPECT_EQ("ok network reading", line);

    NetworkReport read = travelled(known(0x0001, PositionOfStream, 192, "Astra 19.2E"), &line);
    EXPECT_EQ("ok network known 0x0001 19.2E own Astra 19.2E", line);
    EXPECT_EQ(NetworkKnown, read.state);
    EXPECT_TRUE(read.identity.known);
    EXPECT_EQ(0x0001, read.identity.networkId);
    EXPECT_EQ(PositionOfStream, read.identity.certainty);
    EXPECT_EQ(192, read.identity.position);
    EXPECT_EQ("Astra 19.2E", read.identity.networkName);

    read = travelled(known(0xff44, PositionUnknown, 0, "LinuxTV.org"), &line);
    EXPECT_EQ("ok network known 0xff44 - unknown LinuxTV.org", line);
    EXPECT_EQ(PositionUnknown, read.identity.certainty);

    read = travelled(known(0xABCD, PositionMostCommon, -1800, ""), &line);
    EXPECT_EQ("ok network known 0xabcd 180.0W uncertain", line);
    EXPECT_EQ(-1800, read.identity.position);
    EXPECT_EQ("", read.identity.networkName);

    read = travelled(known(2, PositionOfStream, 1, " \tName\x01 "));
    EXPECT_EQ(1, read.identity.position);
    EXPECT_EQ("?Name?", read.identity.networkName);  // controls become '?', blanks at the ends go
}

TEST(DvbNetworkAnswer, ALongNameIsCutToTheLineAndAPositionBeyondTheArcIsUnknown)
{
    std::string line;
    const NetworkReport read = travelled(known(0xffff, PositionMostCommon, -1800, std::string(200, 'n')), &line);
    EXPECT_EQ(maxLineLength, line.size());
    EXPECT_EQ(std::string(maxLineLength - line.rfind(' ') - 1, 'n'), read.identity.networkName);
    EXPECT_EQ(PositionUnknown, travelled(known(1, PositionOfStream, 1801, "x")).identity.certainty);
    EXPECT_EQ(PositionUnknown, travelled(known(1, PositionOfStream, 0, "x")).identity.certainty);
}

TEST(DvbNetworkAnswer, AnythingElseIsRefused)
{
    const char* const wrong[] = {"",
                                 "network",
                                 "network Reading",
                                 "network reading ",
                                 "network  reading",
                                 "network known",
                                 "network known 0x0001 19.2E",
                                 "network known 0x0001 19.2E own ",
                                 "network known 0x0001 19.2E own  Name",
                                 "network known 0x00001 19.2E own",
                                 "network known 0x0G01 19.2E own",
                                 "network known 0X0001 19.2E own",
                                 "network known 0x00AB 19.2E own",
                                 "network known 1 19.2E own",
                                 "network known 0x0001 19.2 own",
                                 "network known 0x0001 019.2E own",
                                 "network known 0x0001 19.25E own",
                                 "network known 0x0001 0.0E own",
                                 "network known 0x0001 180.1W own",
                                 "network known 0x0001 19,2E own",
                                 "network known 0x0001 - own",
                                 "network known 0x0001 19.2E unknown",
                                 "network known 0x0001 19.2E sure",
                                 "network known 0x0001 19.2E own Na\tme",
                                 "network none now",
                                 "networks none"};
    for (const char* text : wrong) {
        NetworkReport report;
        report.state = NetworkKnown;
        EXPECT_FALSE(parseNetworkAnswer(text, &report)) << '"' << text << '"';
        EXPECT_EQ(NetworkKnown, report.state) << text;  // left alone
    }
    // Longer than a reply line holds after "ok ".
    const std::string prefix = "network known 0xff44 - unknown ";
    NetworkReport report;
    EXPECT_TRUE(parseNetworkAnswer(prefix + std::string(maxLineLength - 3 - prefix.size(), 'n'), &report));
    EXPECT_FALSE(parseNetworkAnswer(prefix + std::string(maxLineLength - 2 - prefix.size(), 'n'), &report));
    Reply reply;
    for (const char* bad : {"ok Network reading", "ok network reading ", "ok 5x", "ok -"})
        EXPECT_FALSE(parseReply(bad, &reply)) << bad;
    // A reply of words keeps to one printable line.
    EXPECT_EQ("ok a b", formatReply(textReply("a\nb  ")));
    EXPECT_EQ("ok", formatReply(textReply("Capital")));
}

// Where the skew can be judged, as the helper reads the network's list and
// dvbcard.dll, which reads none, is told: every kind travels, the
// transponder with the kinds that name one, and nothing else is taken.
TEST(DvbSkewAnswer, EveryKindTravelsAndAnythingElseIsRefused)
{
    for (int kind = SkewNotYet; kind <= SkewNowhere; ++kind) {
        SkewChance chance;
        chance.kind = static_cast<SkewChanceKind>(kind);
        if (kind == SkewHere || kind == SkewElsewhere) {
            chance.frequencyMHz = kind == SkewHere ? 11362 : 12188;
            chance.polarization = kind == SkewHere ? 1 : 0;
        }
        Reply reply;
        ASSERT_TRUE(parseReply(formatReply(textReply(skewAnswerText(chance))), &reply));
        SkewChance read;
        read.kind = SkewNowhere;
        ASSERT_TRUE(parseSkewAnswer(reply.text, &read)) << reply.text;
        EXPECT_EQ(chance.kind, read.kind) << reply.text;
        EXPECT_EQ(chance.frequencyMHz, read.frequencyMHz) << reply.text;
        EXPECT_EQ(chance.polarization, read.polarization) << reply.text;
    }
    SkewChance here;
    here.kind = SkewHere;
    here.frequencyMHz = 11362;
    here.polarization = 1;
    EXPECT_EQ("skew here 11362 V", skewAnswerText(here));
    EXPECT_EQ("QuerySkew", formatRequest(Request{RequestQuerySkew, 0}));

    SkewChance untouched;
    untouched.kind = SkewElsewhere;
    for (const char* text : {"skew", "skew ", "skew maybe", "skew here", "skew here 11362", "skew here 11362 L",
                             "skew here 011362 V", "skew here -1 V", "skew here 11362  V", "skew nowhere 11362 V",
                             "skew nolist ", "Skew nolist", "skew here 11362 V "})
        EXPECT_FALSE(parseSkewAnswer(text, &untouched)) << text;
    EXPECT_EQ(SkewElsewhere, untouched.kind);
}

}  // namespace
