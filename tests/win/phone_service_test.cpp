// The phone page's server and window as they run inside a card DLL, linked
// into this program: a listener that could not be set up, a phone that
// half-closes after its request, a stop whose thread does not end, a card
// name beyond ASCII in the window, and the wall clock. System calls are
// made to fail, or watched, through the program's own imports
// (import_patch.h).
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/wall_clock.h"
#include "cardbase/com_server.h"
#include "cardbase/phone/phone_service.h"
#include "cardbase/sent_messages.h"
#include "tests/win/import_patch.h"
#include "tests/win/phone_support.h"

// What a card DLL's COM server gives the phone's code: its module, and the
// count of what keeps it loaded.
HINSTANCE cardModule = GetModuleHandleA(nullptr);
static volatile LONG keptLoaded = 0;
void cardObjectCreated() { InterlockedIncrement(&keptLoaded); }

namespace {

static PhoneSetting listeningOn(uint16_t port)
{
    PhoneSetting setting;
    setting.wanted = true;
    setting.host = "127.0.0.1";
    setting.port = port;
    return setting;
}

// ---- what the window draws, as UTF-16 whichever call drew it
static CRITICAL_SECTION drawnLock;
static std::vector<std::wstring> drawn;
static decltype(&DrawTextW) originalDrawTextW = nullptr;
static decltype(&DrawTextA) originalDrawTextA = nullptr;

static void noteDrawn(const std::wstring& text)
{
    EnterCriticalSection(&drawnLock);
    drawn.push_back(text);
    LeaveCriticalSection(&drawnLock);
}

static int WINAPI drawTextWWatched(HDC dc, LPCWSTR text, int count, LPRECT area, UINT format)
{
    noteDrawn(count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count)));
    return originalDrawTextW(dc, text, count, area, format);
}

// As the system shows bytes handed to the A call: in the code page.
static int WINAPI drawTextAWatched(HDC dc, LPCSTR text, int count, LPRECT area, UINT format)
{
    const int length = count < 0 ? lstrlenA(text) : count;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    const int converted = MultiByteToWideChar(CP_ACP, 0, text, length, &wide[0], length);
    wide.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    noteDrawn(wide);
    return originalDrawTextA(dc, text, count, area, format);
}

class DrawnText {
public:
    DrawnText()
        : wide_("user32.dll", "DrawTextW", reinterpret_cast<void*>(&drawTextWWatched)),
          narrow_("user32.dll", "DrawTextA", reinterpret_cast<void*>(&drawTextAWatched))
    {
        originalDrawTextW = reinterpret_cast<decltype(&DrawTextW)>(wide_.original());
        originalDrawTextA = reinterpret_cast<decltype(&DrawTextA)>(narrow_.original());
    }
    ~DrawnText()
    {
        EnterCriticalSection(&drawnLock);
        drawn.clear();
        LeaveCriticalSection(&drawnLock);
    }
    // Whether a text containing `part` is drawn within a few seconds.
    bool waitFor(const std::wstring& part) const
    {
        for (int waited = 0; waited < 5000; waited += 50) {
            EnterCriticalSection(&drawnLock);
            bool found = false;
            for (const std::wstring& text : drawn) found = found || text.find(part) != std::wstring::npos;
            LeaveCriticalSection(&drawnLock);
            if (found) return true;
            Sleep(50);
        }
        return false;
    }

private:
    ImportReplaced wide_, narrow_;
};

// ---- holding the server's thread inside its message loop
static const UINT holdMessage = WM_APP + 25;
static HANDLE holding = nullptr, released = nullptr;

static LRESULT CALLBACK holdingHook(int code, WPARAM removing, LPARAM message)
{
    if (code == HC_ACTION && removing == PM_REMOVE && reinterpret_cast<const MSG*>(message)->message == holdMessage) {
        SetEvent(holding);
        WaitForSingleObject(released, 60000);
    }
    return CallNextHookEx(nullptr, code, removing, message);
}

static int WSAAPI refusedAcceptEvents(SOCKET, WSAEVENT, long events)
{
    (void)events;
    WSASetLastError(WSAENOBUFS);
    return SOCKET_ERROR;
}

class PhoneServiceTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InitializeCriticalSection(&drawnLock); }
    static void TearDownTestSuite() { DeleteCriticalSection(&drawnLock); }
};

// A listener whose events could not be asked for would block the thread
// in accept: it is closed, the window says why, and the stop is prompt.
TEST_F(PhoneServiceTest, AListenerThatCouldNotBeSetUpIsClosedAndTheWindowSaysWhy)
{
    const uint16_t port = 18630;
    DrawnText text;
    PhoneService* service = nullptr;
    {
        ImportReplaced refused("ws2_32.dll", "WSAEventSelect", reinterpret_cast<void*>(&refusedAcceptEvents));
        ASSERT_NE(nullptr, refused.original());
        service = startPhoneService(listeningOn(port), "Simulated card", "C:\\cards\\simcard.ini");
        ASSERT_NE(nullptr, service);
    }
    EXPECT_FALSE(phoneListening(port));
    EXPECT_TRUE(text.waitFor(L"Windows Sockets error 10055"));
    const LONG keptBefore = keptLoaded;
    stopPhoneService(service);
    EXPECT_EQ(keptBefore, keptLoaded) << "the thread ended in time";
}

// printf 'GET / HTTP/1.0\r\n\r\n' | nc -N HOST PORT: the phone has said all
// it will, and is still answered; a stream asked for so still begins.
TEST_F(PhoneServiceTest, APhoneThatHalfClosesAfterItsRequestIsStillAnswered)
{
    const uint16_t port = 18631;
    PhoneService* service = startPhoneService(listeningOn(port), "Simulated card", "simcard.ini");
    ASSERT_NE(nullptr, service);
    const std::string page = phoneAskHalfClosed(port, "GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(0u, page.find("HTTP/1.1 200 OK\r\n")) << page.substr(0, 200);
    EXPECT_NE(std::string::npos, page.find("</html>"));
    const std::string stream = phoneAskHalfClosed(port, "GET /events HTTP/1.0\r\n\r\n", "event: idle");
    EXPECT_EQ(0u, stream.find("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream"));
    EXPECT_NE(std::string::npos, stream.find("event: history"));
    EXPECT_NE(std::string::npos, stream.find("event: idle"));
    stopPhoneService(service);
}

// A thread held up past the stop's bound still runs the DLL's code: the DLL
// stays loaded rather than being unloaded under it.
TEST_F(PhoneServiceTest, AStopWhoseThreadDoesNotEndKeepsTheDllLoaded)
{
    PhoneService* service = startPhoneService(listeningOn(18632), "Simulated card", "simcard.ini");
    ASSERT_NE(nullptr, service);
    HWND window = FindWindowA(phoneWindowClass, "Phone");
    ASSERT_NE(nullptr, window);
    const DWORD threadId = GetWindowThreadProcessId(window, nullptr);
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
    ASSERT_NE(nullptr, thread);
    holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, holdingHook, nullptr, threadId);
    ASSERT_NE(nullptr, hook);
    PostMessageA(window, holdMessage, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(holding, 5000));

    const LONG keptBefore = keptLoaded;
    stopPhoneService(service);  // waits its whole bound
    EXPECT_EQ(keptBefore + 1, keptLoaded);

    // Let go, the thread ends by itself; the service stays its own.
    SetEvent(released);
    EXPECT_TRUE(waitHandlingSentMessages(thread, 10000));
    UnhookWindowsHookEx(hook);
    CloseHandle(thread);
    CloseHandle(holding);
    CloseHandle(released);
}

TEST_F(PhoneServiceTest, TheWindowDrawsACardNameBeyondAsciiAsItIs)
{
    DrawnText text;
    // "Тюнер DVB-S2 «Čárka»" in UTF-8, as the cards name their tuners.
    const std::string name = "\xD0\xA2\xD1\x8E\xD0\xBD\xD0\xB5\xD1\x80 DVB-S2 \xC2\xAB\xC4\x8C\xC3\xA1rka\xC2\xBB";
    PhoneService* service = startPhoneService(listeningOn(18633), name, "simcard.ini");
    ASSERT_NE(nullptr, service);
    EXPECT_TRUE(text.waitFor(L"\x0422\x044E\x043D\x0435\x0440 DVB-S2 \x00AB\x010C\x00E1rka\x00BB"));
    stopPhoneService(service);
}

// The wall clock the page's readings and the practice dish's sun carry.
TEST(WallClock, CountsFrom1970AndGivesTheZoneOfAnyMoment)
{
    const int64_t before = static_cast<int64_t>(time(nullptr)) * 1000;
    const int64_t now = wallClockMs();
    EXPECT_GE(now, before);
    EXPECT_LT(now, before + 2000);
    // Now, and either side of a day the clocks change in many zones (9 March 2025).
    for (const int64_t at : {now, int64_t{1741478400000}, int64_t{1741564800000}}) {
        const int32_t zone = zoneMinutesAt(at);
        EXPECT_LE(std::abs(zone), 14 * 60) << at;
        EXPECT_EQ(0, zone % 15) << at;
    }
}

}  // namespace
