// What the phone page's server answers: the page, its files and the stream
// to GET and HEAD, an error to everything else, whatever a phone sends.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_http.h"

namespace {

int statusOf(const std::string& request, bool streamRoom = true)
{
    const PhoneAnswer answer = answerRequest(request, streamRoom);
    return answer.kind == PhoneAnswer::NeedMore ? 0 : answer.status;
}

TEST(PhoneRequest, ServesThePageItsFilesAndTheStream)
{
    PhoneAnswer page = answerRequest("GET / HTTP/1.1\r\nHost: 192.168.1.5:8474\r\n\r\n", true);
    ASSERT_EQ(PhoneAnswer::Respond, page.kind);
    EXPECT_EQ(0u, page.bytes.find("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"));
    EXPECT_NE(std::string::npos, page.bytes.find("Connection: close\r\n"));
    EXPECT_NE(std::string::npos, page.bytes.find("<!doctype html>"));
    for (size_t i = 0; i < phoneAssetCount; ++i) {
        const std::string path = phoneAssets[i].path;
        const PhoneAnswer asset = answerRequest("GET " + path + "?v=2 HTTP/1.0\n\n", true);
        EXPECT_EQ(200, asset.status) << path;
        EXPECT_NE(std::string::npos, asset.bytes.find("Content-Length: " + std::to_string(phoneAssets[i].size)));
        EXPECT_EQ(phoneAssets[i].size, asset.bytes.size() - asset.bytes.find("\r\n\r\n") - 4) << path;
    }
    const PhoneAnswer head = answerRequest("HEAD /phone.js HTTP/1.1\r\n\r\n", true);
    EXPECT_EQ(200, head.status);
    EXPECT_EQ(head.bytes.size() - 4, head.bytes.find("\r\n\r\n"));  // no body

    const PhoneAnswer stream = answerRequest("GET /events HTTP/1.1\r\nAccept: text/event-stream\r\n\r\n", true);
    EXPECT_EQ(PhoneAnswer::StartStream, stream.kind);
    EXPECT_NE(std::string::npos, stream.bytes.find("Content-Type: text/event-stream"));
    EXPECT_EQ(std::string::npos, stream.bytes.find("Content-Length"));
    EXPECT_EQ(503, statusOf("GET /events HTTP/1.1\r\n\r\n", false));  // too many phones
}

TEST(PhoneRequest, AnythingButReadingGetsAnError)
{
    EXPECT_EQ(405, statusOf("POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n"));
    EXPECT_EQ(405, statusOf("PUT /events HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(405, statusOf("DELETE /index.html HTTP/1.1\r\n\r\n"));
    EXPECT_NE(std::string::npos, answerRequest("OPTIONS / HTTP/1.1\r\n\r\n", true).bytes.find("Allow: GET, HEAD"));
    EXPECT_EQ(413, statusOf("GET / HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello"));
    EXPECT_EQ(413, statusOf("GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"));
    EXPECT_EQ(200, statusOf("GET / HTTP/1.1\r\ncontent-length:   0\r\n\r\n"));
    EXPECT_EQ(404, statusOf("GET /../../windows/win.ini HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(404, statusOf("GET /%70hone.js HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(404, statusOf("GET /tune?frequency=11000 HTTP/1.1\r\n\r\n"));
}

TEST(PhoneRequest, ASweepIsAskedByAPostThatCarriesThePagesOwnMark)
{
    const PhoneAnswer asked = answerRequest(
        "POST /sweep?band=high&pol=V&switch=AB&lnb=universal&step=2&try=1 HTTP/1.1\r\nX-Azimora: sweep\r\n"
        "Content-Length: 0\r\n\r\n",
        true);
    ASSERT_EQ(PhoneAnswer::AskSweep, asked.kind);
    EXPECT_EQ(SweepHighBand, asked.sweep.band);
    EXPECT_EQ(1, asked.sweep.polarization);
    EXPECT_EQ(5, asked.sweep.diseqcCode);
    EXPECT_TRUE(asked.sweep.tryPeaks);
    EXPECT_TRUE(asked.bytes.empty());  // the server says whether it starts
    // Without the mark (a form of another site's page can post, but not add it), or elsewhere: no.
    EXPECT_EQ(403, statusOf("POST /sweep?band=low HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(405, statusOf("POST /events HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n"));
    EXPECT_EQ(404, statusOf("GET /sweep HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n"));
    EXPECT_EQ(400, statusOf("POST /sweep?band=middle HTTP/1.1\r\nX-Azimora: sweep\r\n\r\n"));
    EXPECT_EQ(413, statusOf("POST /sweep HTTP/1.1\r\nX-Azimora: sweep\r\nContent-Length: 9\r\n\r\nband=high"));
    EXPECT_EQ(202, sweepAnswer("").status);
    const PhoneAnswer refused = sweepAnswer("Azimora is measuring");
    EXPECT_EQ(409, refused.status);
    EXPECT_NE(std::string::npos, refused.bytes.find("Azimora is measuring"));
}

TEST(PhoneRequest, MalformedRequestsAreRefused)
{
    EXPECT_EQ(400, statusOf("GET /\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET  / HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET / HTTP/1.1 extra\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET http://host/ HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(400, statusOf("G(T / HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(400, statusOf(std::string("GET /a\x01 HTTP/1.1\r\n\r\n")));
    EXPECT_EQ(400, statusOf("GET / SPDY/3\r\n\r\n"));
    EXPECT_EQ(505, statusOf("GET / HTTP/2.0\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET / HTTP/1.1\r\nNo colon here\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET / HTTP/1.1\r\n: empty name\r\n\r\n"));
    EXPECT_EQ(400, statusOf("GET / HTTP/1.1\r\n folded: line\r\n\r\n"));
    EXPECT_EQ(400, statusOf(std::string("\0\0\0\0\n\n", 6)));
}

TEST(PhoneRequest, TheHeadIsBoundedInSizeAndLines)
{
    EXPECT_EQ(0, statusOf("GET / HTTP/1.1\r\nHost: a"));  // not complete yet
    const std::string longTarget = "GET /" + std::string(maxRequestHeadBytes, 'a') + " HTTP/1.1\r\n\r\n";
    EXPECT_EQ(431, statusOf(longTarget));
    EXPECT_EQ(431, statusOf(std::string(maxRequestHeadBytes, 'x')));  // never ends
    std::string manyLines = "GET / HTTP/1.1\r\n";
    for (size_t i = 0; i <= maxRequestHeaderLines; ++i) manyLines += "X-" + std::to_string(i) + ": 1\r\n";
    EXPECT_EQ(431, statusOf(manyLines + "\r\n"));
    // An error's body says what it is, in plain text.
    const PhoneAnswer answer = answerRequest(longTarget, true);
    EXPECT_NE(std::string::npos, answer.bytes.find("431 Request Header Fields Too Large"));
}

}  // namespace

// As the server gathers them on a computer named "Workshop-PC" at 192.168.1.5
// and fe80::1c2a:3bff:fe4d:5e6f.
PhoneHosts workshopHosts()
{
    PhoneHosts hosts = loopbackHosts();
    addHostName(hosts, "Workshop-PC");
    addHostName(hosts, "workshop-pc.local");
    HostAddress address{};
    EXPECT_TRUE(parseHostAddress("192.168.1.5", &address));
    addHostAddress(hosts, address);
    EXPECT_TRUE(parseHostAddress("fe80::1c2a:3bff:fe4d:5e6f", &address));
    addHostAddress(hosts, address);
    return hosts;
}

int statusWithHost(const std::string& hostLines, const char* version = "HTTP/1.1")
{
    static const PhoneHosts hosts = workshopHosts();
    PhoneServing serving;
    serving.hosts = &hosts;
    return answerRequest(std::string("GET / ") + version + "\r\n" + hostLines + "\r\n", true, serving).status;
}

TEST(PhoneHost, ThisComputersAddressesAndNamesAreAnsweredAndAStrangersHostIsRefused)
{
    for (const char* own : {"192.168.1.5:8474", "192.168.1.5", "127.0.0.1:18474", "localhost:8474", "[::1]:8474",
                            "[fe80::1c2a:3bff:fe4d:5e6f]:8474", "[FE80:0:0:0:1C2A:3BFF:FE4D:5E6F]", "Workshop-PC:80",
                            "WORKSHOP-PC.local.", "[::ffff:192.168.1.5]:8474", "192.168.1.5:"})
        EXPECT_EQ(200, statusWithHost(std::string("Host: ") + own + "\r\n")) << own;
    // A page elsewhere whose name was turned to this computer's address, another
    // computer's address, and what no Host may be.
    for (const char* stranger : {"attacker.example:8474", "attacker.example", "workshop-pc.attacker.example",
                                 "192.168.1.6:8474", "[fe80::1]:8474", "[192.168.1.5]", "192.168.001.5", "",
                                 "192.168.1.5:8474x", "[::1", "fe80::1", "192.168.1.5.nip.io:8474", "work shop"})
        EXPECT_EQ(421, statusWithHost(std::string("Host: ") + stranger + "\r\n")) << stranger;
    // Said once, in any case of its name; a request without Host (HTTP/1.0) as ever.
    EXPECT_EQ(200, statusWithHost("hOsT:  192.168.1.5:8474 \r\n"));
    EXPECT_EQ(400, statusWithHost("Host: 192.168.1.5\r\nHost: attacker.example\r\n"));
    EXPECT_EQ(200, statusWithHost("", "HTTP/1.0"));
    EXPECT_EQ(200, statusWithHost("Accept: */*\r\n"));
    const PhoneHosts hosts = workshopHosts();
    PhoneServing serving;
    serving.hosts = &hosts;
    const std::string refused =
        answerRequest("GET /record.csv HTTP/1.1\r\nHost: attacker.example\r\n\r\n", true, serving).bytes;
    EXPECT_EQ(0u, refused.find("HTTP/1.1 421 Misdirected Request\r\n"));
    EXPECT_NE(std::string::npos, refused.find("this computer's address or name"));
}

TEST(PhoneHost, AddressesAreReadAsTheyAreWrittenAndComparedByValue)
{
    HostAddress a{}, b{};
    ASSERT_TRUE(parseHostAddress("::ffff:10.0.0.1", &a));
    ASSERT_TRUE(parseHostAddress("10.0.0.1", &b));
    EXPECT_EQ(a, b);
    ASSERT_TRUE(parseHostAddress("2001:db8::1", &a));
    ASSERT_TRUE(parseHostAddress("2001:0db8:0000:0000:0000:0000:0000:0001", &b));
    EXPECT_EQ(a, b);
    ASSERT_TRUE(parseHostAddress("::", &a));
    EXPECT_EQ(HostAddress{}, a);
    for (const char* malformed : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", "1::2::3", "12345::1", "1:2:3:4:5:6:7",
                                  "1:2:3:4:5:6:7:8:9", "::1.2.3", "1.2.3.4::", "g::1", ":1", "1:", ""})
        EXPECT_FALSE(parseHostAddress(malformed, &a)) << malformed;
}
