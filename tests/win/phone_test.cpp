// The simulated card's phone page: served while measuring when asked for
// (by AZIMORA_PHONE or simcard.ini beside the card), nothing listening when
// not, and a port that is taken leaves the measurement as it was.
#include <ws2tcpip.h>

#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"
#include "ui/skin_layout.h"

namespace {

static const char lockedAt60[] = "signal 0 lock 60 11.5\n";

static StartOptions withPhone(uint16_t port, const std::string& scenario = lockedAt60)
{
    StartOptions options;
    options.scenario = scenario;
    options.environment.push_back("AZIMORA_PHONE=127.0.0.1:" + std::to_string(port));
    return options;
}

static bool barShowsQuality(const AppRun& run, int32_t quality)
{
    const int edge = barRightEdge(quality);
    return waitForScreenColour(run.window, edge - 1, 111, barRgb, 5000) &&
           waitForScreenColour(run.window, edge, 111, bandRgb, 1000);
}

class PhonePageTest : public ProgramTest {
protected:
    // The measurement goes on, the Phone window says why in red where the
    // code would be, and the program ends as usual.
    void measuresWithoutThePage(const StartOptions& options)
    {
        AppRun& run = start(options);
        HWND phone = waitForPhoneWindow(run);
        ASSERT_NE(nullptr, phone);
        startTypedEntry(run, "12245H27500");
        EXPECT_TRUE(barShowsQuality(run, 60));
        EXPECT_TRUE(barShowsQuality(run, 80));
        settle(run, 300);
        RECT client;
        GetClientRect(phone, &client);
        EXPECT_GT(countColour(clientArea(phone, 0, 0, client.right, 150), 0xAA0000), 100);
        EXPECT_EQ(0, closeWithEscape(run));
    }
};

TEST_F(PhonePageTest, WhileMeasuringThePageAndEveryReadingAreServed)
{
    const uint16_t port = freePort();
    AppRun& run = start(withPhone(port));
    HWND phone = waitForPhoneWindow(run);
    ASSERT_NE(nullptr, phone);
    char title[32] = {};
    GetWindowTextA(phone, title, sizeof title);
    EXPECT_STREQ("Phone", title);
    EXPECT_EQ(satelliteList(run.window), focusedWindow(run));  // the window takes no focus

    const std::string page = phoneAsk(port, "/");
    EXPECT_EQ(0u, page.find("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(std::string::npos, page.find("<!doctype html>"));
    EXPECT_EQ(0u, phoneAsk(port, "/phone.js").find("HTTP/1.1 200 OK\r\nContent-Type: text/javascript"));

    const DWORD tunedAt = GetTickCount();
    startTypedEntry(run, "12245V27500AB");
    const std::string stream = phoneAsk(port, "/events", "event: reading", 5);
    EXPECT_EQ(0u, stream.find("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream"));
    EXPECT_EQ(5, occurrences(stream, "event: reading"));
    EXPECT_NE(std::string::npos, stream.find("\"lock\":true,\"quality\":60,\"cn\":11.50"));
    EXPECT_NE(std::string::npos, stream.find("\"frequencyMHz\":12245,\"polarization\":\"V\",\"symbolRate\":27500,"
                                             "\"switch\":\"AB\""));
    EXPECT_NE(std::string::npos, stream.find("\"card\":\"Simulated card\""));
    EXPECT_TRUE(barShowsQuality(run, 60));

    // Read-only: whatever else is asked is refused, and the measurement goes on.
    EXPECT_EQ(0u, phoneAsk(port, "/", "", 1, 5000, "POST").find("HTTP/1.1 405"));
    EXPECT_EQ(0u, phoneAsk(port, "/tune?f=11000").find("HTTP/1.1 404"));
    EXPECT_EQ(0u, phoneAsk(port, "/" + std::string(5000, 'a')).find("HTTP/1.1 431"));

    // Only a Host that names this computer: its addresses and its name, with
    // any port, or none at all; a stranger's name (DNS rebinding) is refused.
    const std::string colonPort = ":" + std::to_string(port);
    const auto statusFor = [port](const std::string& headLines, const char* version = "HTTP/1.1") {
        return phoneAskHalfClosed(port, std::string("GET / ") + version + "\r\n" + headLines + "\r\n").substr(0, 12);
    };
    EXPECT_EQ("HTTP/1.1 421", statusFor("Host: attacker.example" + colonPort + "\r\n"));
    EXPECT_EQ("HTTP/1.1 200", statusFor("Host: 127.0.0.1" + colonPort + "\r\n"));
    EXPECT_EQ("HTTP/1.1 200", statusFor("Host: [::1]" + colonPort + "\r\n"));
    EXPECT_EQ("HTTP/1.1 200", statusFor("", "HTTP/1.0"));
    char name[256] = "";
    ASSERT_EQ(0, gethostname(name, sizeof name));
    EXPECT_EQ("HTTP/1.1 200", statusFor(std::string("Host: ") + name + colonPort + "\r\n")) << name;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, nullptr, &found) == 0) {
        for (const addrinfo* one = found; one; one = one->ai_next) {
            if (one->ai_family != AF_INET) continue;
            const std::string address = inet_ntoa(reinterpret_cast<const sockaddr_in*>(one->ai_addr)->sin_addr);
            EXPECT_EQ("HTTP/1.1 200", statusFor("Host: " + address + colonPort + "\r\n")) << address;
        }
        freeaddrinfo(found);
    }

    EXPECT_EQ(0, closeWithEscape(run));
    const DWORD measuredMs = GetTickCount() - tunedAt;
    EXPECT_FALSE(phoneListening(port));
    EXPECT_FALSE(IsWindow(phone));
    // The card was read at most ten times a second, however fast the program asked.
    unsigned long polls = 0;
    std::sscanf(logLines(run).back().c_str(), "Destroyed polls=%lu", &polls);
    EXPECT_GT(polls, 0u);
    EXPECT_LE(polls, measuredMs / 100 + 2);
}

TEST_F(PhonePageTest, SeveralPhonesFollowAtOnceAndAFewTooManyAreTurnedAway)
{
    const uint16_t port = freePort();
    AppRun& run = start(withPhone(port));
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShowsQuality(run, 60));
    // Eight phones follow while a ninth is told to wait; each gets the readings.
    SOCKET phones[9];
    for (SOCKET& s : phones) {
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(0, connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address));
        const char request[] = "GET /events HTTP/1.1\r\n\r\n";
        send(s, request, sizeof request - 1, 0);
        Sleep(100);
    }
    Sleep(1000);
    int following = 0, refused = 0;
    for (SOCKET s : phones) {
        char buffer[8192];
        const int got = recv(s, buffer, sizeof buffer, 0);
        const std::string answer(buffer, got > 0 ? static_cast<size_t>(got) : 0);
        following += answer.find("event: reading") != std::string::npos;
        refused += answer.find("HTTP/1.1 503") == 0;
        closesocket(s);
    }
    EXPECT_EQ(8, following);
    EXPECT_EQ(1, refused);
    EXPECT_TRUE(barShowsQuality(run, 60));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(PhonePageTest, TheSettingsFileBesideTheCardAsksForThePageAndTheEnvironmentOverridesIt)
{
    const uint16_t port = freePort();
    CardSettings settings("; the phone page\r\nphone=" + std::to_string(port) + "\r\n");
    StartOptions options;
    options.scenario = lockedAt60;
    AppRun& run = start(options);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_EQ(0u, phoneAsk(port, "/").find("HTTP/1.1 200 OK"));
    EXPECT_EQ(0, closeWithEscape(run));

    options.environment.push_back("AZIMORA_PHONE=off");
    AppRun& off = start(options);
    startTypedEntry(off, "12245H27500");
    EXPECT_TRUE(barShowsQuality(off, 60));
    EXPECT_EQ(nullptr, findProcessWindow(off, "AzimoraPhone"));
    EXPECT_FALSE(phoneListening(port));
    EXPECT_EQ(0, closeWithEscape(off));
}

// The site= line beside phone= and the catalogue beside the program reach
// the page's "Where to point", and the card answers it.
TEST_F(PhonePageTest, TheSettingsFilesSiteAndTheCatalogueReachWhereToPoint)
{
    const uint16_t port = freePort();
    CardSettings settings("phone=" + std::to_string(port) + "\r\nsite = 51.5, -0.13\r\n");
    StartOptions options;
    options.scenario = lockedAt60;
    AppRun& run = start(options);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    // The card gives the page its place a moment after the page begins to serve.
    std::string place;
    for (const DWORD asked = GetTickCount(); GetTickCount() - asked < 5000; Sleep(50)) {
        place = phoneAsk(port, "/satellites");
        if (place.find("\"satellites\":[{") != std::string::npos) break;
    }
    EXPECT_EQ(0u, place.find("HTTP/1.1 200 OK\r\nContent-Type: application/json")) << place;
    EXPECT_NE(std::string::npos,
              place.find("{\"site\":{\"latitude\":51.500,\"longitude\":-0.130,\"text\":\"51.5,-0.13\"}"))
        << place;
    EXPECT_NE(std::string::npos, place.find("\"siteFrom\":\"site= in ")) << place;
    EXPECT_NE(std::string::npos, place.find("simcard.ini\"")) << place;
    EXPECT_NE(std::string::npos,
              place.find("{\"name\":\"HotBird1-6 13.0e\",\"position\":\"13.0\xC2\xB0 E\",\"value\":\"13.0E\"}"))
        << place;
    const std::string answer = phoneAsk(port, "/point?site=51.5,-0.13&satellite=HotBird&t=1768474800000&zone=0");
    EXPECT_EQ(0u, answer.find("HTTP/1.1 200 OK")) << answer;
    EXPECT_NE(std::string::npos, answer.find("[\"azimuth\",\"163.4\xC2\xB0 (true)\"]")) << answer;
    EXPECT_EQ(0u, phoneAsk(port, "/point?site=51.5").find("HTTP/1.1 400 Bad Request"));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(PhonePageTest, UnaskedThereIsNoPageAndNoWindow)
{
    StartOptions options;
    options.scenario = lockedAt60;
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShowsQuality(run, 60));
    EXPECT_EQ(nullptr, findProcessWindow(run, "AzimoraPhone"));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(PhonePageTest, ATakenPortLeavesTheMeasurementRunningAndTheWindowSaysWhy)
{
    const uint16_t port = freePort();
    PortTaker taker(port);
    ASSERT_TRUE(taker.taken());
    measuresWithoutThePage(withPhone(port, "signal 0 lock 60 11.5\nsignal 2000 lock 80 13.4\n"));
}

// Nothing is opened for an address that cannot be used, and nothing is
// closed that was not opened.
TEST_F(PhonePageTest, AnAddressThatCannotBeUsedLeavesTheMeasurementRunningAndTheWindowSaysWhy)
{
    StartOptions options;
    options.scenario = "signal 0 lock 60 11.5\nsignal 2000 lock 80 13.4\n";
    options.environment.push_back("AZIMORA_PHONE=127.0.0.1:port");
    measuresWithoutThePage(options);
}

}  // namespace
