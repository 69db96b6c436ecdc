// dvbcard.dll against a helper that misbehaves, served from this test: a
// peer that streams without a line end, one that sends a line nobody asked
// for, one that wants the shared secret first, one whose start is slow, one
// too old for single cable; and the lookup of the helper's name, which gives
// up at the call's deadline.
#include <winsock2.h>

#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <ws2tcpip.h>

#include "dvb/card/helper_link.h"
#include "tests/support/driver.h"
#include "tuner/tuner_control.h"

namespace {

// One connection at a time, each handed to `serve` on a thread of its own.
class FakeHelper {
public:
    typedef void (*Behaviour)(FakeHelper& helper, SOCKET peer);

    explicit FakeHelper(Behaviour behaviour) : behaviour_(behaviour)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            for (;;) {
                const SOCKET peer = accept(listener_, nullptr, nullptr);
                if (peer == INVALID_SOCKET) return;
                behaviour_(*this, peer);
                closesocket(peer);
            }
        });
    }
    ~FakeHelper()
    {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }

    // The next line from the peer ("" when it has gone or 10 s passed).
    std::string readLine(SOCKET peer)
    {
        std::string line;
        const DWORD start = GetTickCount();
        for (char c; GetTickCount() - start < 10000;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(peer, &readable);
            timeval wait{0, 100000};
            if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
            if (recv(peer, &c, 1, 0) != 1) return std::string();
            if (c == '\n') break;
            line += c;
        }
        std::lock_guard<std::mutex> hold(mutex_);
        lines_.push_back(line);
        return line;
    }
    static void say(SOCKET peer, const std::string& text) { send(peer, text.data(), static_cast<int>(text.size()), 0); }

    std::vector<std::string> lines()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return lines_;
    }

    uint16_t port = 0;

private:
    Behaviour behaviour_;
    SOCKET listener_ = INVALID_SOCKET;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

// The card object of a dvbcard.dll (a copy in `folder`, to give it a dvbcard.ini of its own).
class Card {
public:
    explicit Card(const std::string& folder = "")
    {
        std::string path = joinPath(buildFolder(), "dvbcard.dll");
        if (!folder.empty()) {
            const std::string copy = joinPath(folder, "dvbcard.dll");
            CopyFileA(path.c_str(), copy.c_str(), FALSE);
            path = copy;
        }
        module_ = LoadLibraryA(path.c_str());
        typedef HRESULT(STDAPICALLTYPE * GetClassObject)(REFCLSID, REFIID, void**);
        GetClassObject get =
            reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        if (!get || get(CLSID_ReceiverCard, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK) return;
        IUnknown* filter = nullptr;
        if (factory->CreateInstance(nullptr, IID_DeviceFilter, reinterpret_cast<void**>(&filter)) == S_OK) {
            filter->QueryInterface(IID_TunerControl, reinterpret_cast<void**>(&tuner));
            filter->Release();
        }
        factory->Release();
    }
    ~Card()
    {
        if (tuner) tuner->Release();
        if (module_) FreeLibrary(module_);
    }
    TunerControl* tuner = nullptr;

private:
    HMODULE module_ = nullptr;
};

class DvbLinkTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetEnvironmentVariableA("AZIMORA_DVB", nullptr);
        SetEnvironmentVariableA("AZIMORA_DVB_SECRET", nullptr);
    }
    static void pointAt(const FakeHelper& helper)
    {
        SetEnvironmentVariableA("AZIMORA_DVB", ("127.0.0.1:" + std::to_string(helper.port)).c_str());
    }
};

static void streamWithoutLineEnd(FakeHelper& helper, SOCKET peer)
{
    helper.readLine(peer);
    const std::string bytes(1000, 'x');
    for (DWORD start = GetTickCount(); GetTickCount() - start < 8000;)
        if (send(peer, bytes.data(), static_cast<int>(bytes.size()), 0) <= 0) return;
}

TEST_F(DvbLinkTest, APeerThatStreamsWithoutALineEndIsCutOffWithinTheCallsTime)
{
    FakeHelper helper(streamWithoutLineEnd);
    pointAt(helper);
    Card card;
    ASSERT_NE(nullptr, card.tuner);
    const DWORD start = GetTickCount();
    EXPECT_EQ(E_FAIL, card.tuner->Initialize());
    EXPECT_LE(GetTickCount() - start, callTimeoutMs + 1000);
}

// Answers every call; after the last figure of a reading, sends a quality
// line no call asked for.
static void strayLine(FakeHelper& helper, SOCKET peer)
{
    for (;;) {
        const std::string line = helper.readLine(peer);
        if (line.empty()) return;
        FakeHelper::say(peer, line == "GetSignalQuality"      ? "ok 55\n"
                              : line == "GetSignalNoiseRatio" ? "ok 9500\n"
                                                              : "ok\n");
        if (line == "GetSignalNoiseRatio") {
            Sleep(300);
            FakeHelper::say(peer, "ok 77\n");
        }
    }
}

TEST_F(DvbLinkTest, ALineNoCallAskedForIsNeverTakenForTheNextAnswer)
{
    FakeHelper helper(strayLine);
    pointAt(helper);
    Card card;
    ASSERT_EQ(S_OK, card.tuner->Initialize());
    LONG quality = 0;
    ASSERT_EQ(S_OK, card.tuner->QuerySignalStatus());
    ASSERT_EQ(S_OK, card.tuner->RefreshSignalReadings());
    ASSERT_EQ(S_OK, card.tuner->GetSignalQuality(&quality));
    EXPECT_EQ(55, quality);
    Sleep(600);  // the stray line comes in between: the link is out of step
    card.tuner->QuerySignalStatus();
    card.tuner->RefreshSignalReadings();
    card.tuner->GetSignalQuality(&quality);
    EXPECT_NE(77, quality);
}

static void answerOk(FakeHelper& helper, SOCKET peer)
{
    while (!helper.readLine(peer).empty()) FakeHelper::say(peer, "ok\n");
}

TEST_F(DvbLinkTest, TheSharedSecretGoesFirstFromTheEnvironmentOrFromDvbcardIni)
{
    {
        FakeHelper helper(answerOk);
        pointAt(helper);
        SetEnvironmentVariableA("AZIMORA_DVB_SECRET", "dish-PC-0123");
        Card card;
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_EQ((std::vector<std::string>{"secret dish-PC-0123", "Initialize"}), helper.lines());
        SetEnvironmentVariableA("AZIMORA_DVB_SECRET", nullptr);
    }
    {
        FakeHelper helper(answerOk);
        pointAt(helper);
        const std::string folder = newProgramFolder("dvb-secret-ini");
        writeFile(joinPath(folder, "dvbcard.ini"), "; azimora-dvb on the dish PC\r\nsecret=from-the-ini\r\n");
        Card card(folder);
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_EQ((std::vector<std::string>{"secret from-the-ini", "Initialize"}), helper.lines());
    }
    {
        // Saved by an editor that marks UTF-8, on the first line.
        FakeHelper helper(answerOk);
        pointAt(helper);
        const std::string folder = newProgramFolder("dvb-secret-marked");
        writeFile(joinPath(folder, "dvbcard.ini"), "\xEF\xBB\xBFsecret=marked-ini\r\n");
        Card card(folder);
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_EQ((std::vector<std::string>{"secret marked-ini", "Initialize"}), helper.lines());
    }
    {
        FakeHelper helper(answerOk);
        pointAt(helper);
        Card card;
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_EQ(std::vector<std::string>{"Initialize"}, helper.lines());  // none: nothing sent
    }
}

// Answers every call at once, but the call that completes a set of six
// only after 3.5 s, as a start on a slow frontend is, and SetFec as late.
static void slowStart(FakeHelper& helper, SOCKET peer)
{
    for (int setCalls = 0;;) {
        const std::string line = helper.readLine(peer);
        if (line.empty()) return;
        const bool setFec = line.rfind("SetFec ", 0) == 0;
        if (setFec || (line.rfind("Set", 0) == 0 && ++setCalls % 6 == 0)) Sleep(3500);
        FakeHelper::say(peer, "ok\n");
    }
}

TEST_F(DvbLinkTest, TheCallThatCompletesASetWaitsForASlowStartAndNoOtherCallDoes)
{
    FakeHelper helper(slowStart);
    pointAt(helper);
    Card card;
    ASSERT_EQ(S_OK, card.tuner->Initialize());
    EXPECT_EQ(S_OK, card.tuner->SetLnbSelection(1));
    EXPECT_EQ(S_OK, card.tuner->SetLnbFrequency(10600));
    EXPECT_EQ(S_OK, card.tuner->SetPolarity(0));
    EXPECT_EQ(S_OK, card.tuner->SetSymbolRate(27500));
    EXPECT_EQ(S_OK, card.tuner->SetTransponderFrequency(12245));
    EXPECT_EQ(S_OK, card.tuner->SetDiseqc(5));
    const DWORD start = GetTickCount();
    EXPECT_EQ(E_FAIL, card.tuner->SetFec(6));
    EXPECT_LE(GetTickCount() - start, callTimeoutMs + 1000);
}

// An older helper: it knows no single-cable request.
static void noSingleCable(FakeHelper& helper, SOCKET peer)
{
    for (std::string line; !(line = helper.readLine(peer)).empty();)
        FakeHelper::say(peer, line.rfind("SingleCable ", 0) == 0 ? "fail malformed request\n" : "ok\n");
}

TEST_F(DvbLinkTest, TheSingleCableSettingFollowsInitializeAndWhereItCannotGoNoTuneDoes)
{
    const auto sixCalls = [](TunerControl* tuner) {
        return tuner->SetLnbSelection(1) == E_FAIL && tuner->SetLnbFrequency(10600) == E_FAIL &&
               tuner->SetPolarity(1) == E_FAIL && tuner->SetSymbolRate(27500) == E_FAIL &&
               tuner->SetTransponderFrequency(11778) == E_FAIL && tuner->SetDiseqc(0) == E_FAIL;
    };
    {
        FakeHelper helper(answerOk);
        pointAt(helper);
        const std::string folder = newProgramFolder("dvb-scr-ini");
        writeFile(joinPath(folder, "dvbcard.ini"), "scr = en50494,1,1210,77\r\n");
        Card card(folder);
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_EQ(S_OK, card.tuner->SetLnbSelection(1));
        EXPECT_EQ((std::vector<std::string>{"Initialize", "SingleCable en50494,1,1210,77", "SetLnbSelection 1"}),
                  helper.lines());
    }
    {
        FakeHelper helper(noSingleCable);
        pointAt(helper);
        const std::string folder = newProgramFolder("dvb-scr-old");
        writeFile(joinPath(folder, "dvbcard.ini"), "scr=en50607,3,1680\r\n");
        Card card(folder);
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_TRUE(sixCalls(card.tuner)) << "never a plain tune";
        EXPECT_EQ((std::vector<std::string>{"Initialize", "SingleCable en50607,3,1680"}), helper.lines());
    }
    {
        FakeHelper helper(answerOk);
        pointAt(helper);
        const std::string folder = newProgramFolder("dvb-scr-bad");
        writeFile(joinPath(folder, "dvbcard.ini"), "scr=en50494,9,1210\r\n");
        Card card(folder);
        ASSERT_EQ(S_OK, card.tuner->Initialize());
        EXPECT_TRUE(sixCalls(card.tuner));
        EXPECT_EQ(std::vector<std::string>{"Initialize"}, helper.lines()) << "nothing of it sent";
    }
}

static int WSAAPI slowLookup(const char* host, const char* service, const addrinfo* hints, addrinfo** found)
{
    Sleep(5000);
    return getaddrinfo(host, service, hints, found);
}

TEST_F(DvbLinkTest, TheHelpersNameIsLookedUpWithinTheCallsTime)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    sockaddr_in address{};
    DWORD start = GetTickCount();
    EXPECT_FALSE(lookUpWithin("dish-pc", 47474, start + 500, &address, slowLookup));
    EXPECT_LE(GetTickCount() - start, 2000u);
    EXPECT_TRUE(lookUpWithin("192.168.1.5", 47474, GetTickCount() + 500, &address, slowLookup));
    EXPECT_EQ(htonl(0xC0A80105), address.sin_addr.s_addr);
    EXPECT_EQ(htons(47474), address.sin_port);
    EXPECT_TRUE(lookUpWithin("localhost", 47474, GetTickCount() + 2000, &address));
    EXPECT_EQ(htonl(INADDR_LOOPBACK), address.sin_addr.s_addr);
    Sleep(5000);  // the given-up lookup ends by itself
    WSACleanup();
}

}  // namespace
