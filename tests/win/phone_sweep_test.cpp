// The band swept from the phone page through the two bridges to real
// tuners, while Azimora is in Setup: the Linux bridge asks azimora-dvb
// (on a simulated frontend with carriers behind an LNB), the BDA bridge
// starts its simulated tuner a step at a time; the level each gives the
// page before the lock; and the BDA sweep giving way to the program at once,
// the tuner its own again, and to the program's end.
#include <cstdlib>

#include "tests/win/bda_fixture.h"
#include "tests/win/phone_dvb_fixture.h"
#include "tests/win/phone_support.h"

namespace {

std::string askSweep(uint16_t port, const std::string& query)
{
    return phoneAskHalfClosed(port,
                              "POST /sweep?" + query + " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Azimora: sweep\r\n\r\n");
}

// The frequencies of the peaks in the latest sweep event of the stream.
std::vector<int> peaksOf(const std::string& stream)
{
    std::vector<int> peaks;
    const size_t last = stream.rfind("event: sweep");
    if (last == std::string::npos) return peaks;
    for (size_t at = stream.find("{\"f\":", last); at != std::string::npos; at = stream.find("{\"f\":", at + 1))
        peaks.push_back(std::atoi(stream.c_str() + at + 5));
    return peaks;
}

bool peakNear(const std::vector<int>& peaks, int frequencyMHz)
{
    for (int peak : peaks)
        if (std::abs(peak - frequencyMHz) <= 3) return true;
    return false;
}

using PhoneSweepDvbTest = PhoneDvbProgramTest;

TEST_F(PhoneSweepDvbTest, TheLinuxBridgeSweepsThroughTheHelperAndGivesTheLevelBeforeTheLock)
{
    uint16_t port = 0;
    AppRun* run =
        startWithPhone("phone-sweep-dvb", "lnb 9750 10600\ncarrier 10723H29900 12\ncarrier 11220H27500 13\n", &port);
    ASSERT_NE(nullptr, run);
    EXPECT_NE(std::string::npos, phoneAsk(port, "/events", "event: idle").find("\"canSweep\":true"));

    EXPECT_NE(std::string::npos, askSweep(port, "band=low&pol=H&switch=&lnb=universal&step=10&try=0").find("202"));
    const std::string done = streamUntil(port, "\"state\":\"done\"", 30000);
    ASSERT_NE(std::string::npos, done.find("\"title\":\"10700-11690 MHz H, low band\",\"stepsDone\":100,\"steps\":100"))
        << done.substr(done.size() > 600 ? done.size() - 600 : 0);
    const std::vector<int> peaks = peaksOf(done);
    EXPECT_EQ(2u, peaks.size());
    EXPECT_TRUE(peakNear(peaks, 10723));
    EXPECT_TRUE(peakNear(peaks, 11220));

    // Then a measurement as always; off every carrier, the level comes without a lock.
    startTypedEntry(*run, "11000H27500");
    const std::string unlocked = phoneAsk(port, "/events", "\"lock\":false", 3, 8000);
    EXPECT_NE(std::string::npos, unlocked.find("\"lock\":false,\"quality\":0,\"cn\":0.00,"));
    EXPECT_NE(std::string::npos, unlocked.find("\"level\":{\"state\":\"live\",\"unit\":\"dBm\",\"value\":-"))
        << unlocked.substr(0, 800);
    // While it measures, the page's sweep is refused.
    EXPECT_NE(std::string::npos, askSweep(port, "band=low&pol=H").find("Azimora is measuring"));
    EXPECT_EQ(0, closeWithEscape(*run));
}

using PhoneSweepBdaTest = BdaProgramTest;

TEST_F(PhoneSweepBdaTest, TheBdaBridgeSweepsFromTheTunersStatisticsAndGivesItsLevelBeforeTheLock)
{
    const uint16_t port = freePort();
    AppRun& run =
        startWithBridge("signal 0 unlocked 40\nsignal 4000 locked 70 90\n", "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_NE(std::string::npos, askSweep(port, "band=high&pol=V&switch=&lnb=universal&step=25&try=0").find("202"));
    const std::string done = streamUntil(port, "\"state\":\"done\"", 60000);
    ASSERT_NE(std::string::npos, done.find("\"title\":\"11700-12750 MHz V, high band\",\"stepsDone\":43,\"steps\":43"))
        << done.substr(done.size() > 600 ? done.size() - 600 : 0);
    EXPECT_NE(std::string::npos, done.find("\"unit\":\"%\",\"floor\":40.00,\"points\":[[11700,40.00],"));

    startTypedEntry(run, "12245H27500");
    const std::string unlocked = phoneAsk(port, "/events", "\"lock\":false", 3, 8000);
    EXPECT_NE(std::string::npos, unlocked.find("\"level\":{\"state\":\"live\",\"unit\":\"%\",\"value\":40.00,"))
        << unlocked.substr(0, 800);
    EXPECT_NE(std::string::npos, unlocked.find("\"present\":true}"));
    EXPECT_EQ(0, closeWithEscape(run));
}

// Two carriers of the high band that never lock: each peak's tries wait
// their whole time for a lock at each of its likely symbol rates.
const char carriersThatNeverLock[] = "signal 0 unlocked 30\ncarrier 11900 30 80\ncarrier 12300 30 80\n";

// The sweep's steps tune at 18518 kS/s (25 MHz steps); its tries at a peak's likely rates.
bool isTry(const std::string& tune) { return tune.find(" symbolRate=18518 ") == std::string::npos; }

bool waitForATry(const AppRun& run, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        for (const std::string& line : logLines(run))
            if (line.compare(0, 5, "tune ") == 0 && isTry(line)) return true;
        Sleep(100);
    }
    return false;
}

TEST_F(PhoneSweepBdaTest, TheProgramStartingToMeasureDuringASweepsTriesKeepsItsOwnTuning)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(carriersThatNeverLock, "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_NE(std::string::npos, askSweep(port, "band=high&pol=V&switch=&lnb=universal&step=25&try=1").find("202"));
    ASSERT_TRUE(waitForATry(run, 30000));
    startTypedEntry(run, "12245V27500");
    const std::string own = "frequency=12245000 symbolRate=27500 polarisation=V";
    std::vector<std::string> lines;
    for (int waited = 0; waited < 10000; waited += 100) {
        lines = tunes(run);
        if (!lines.empty() && lines.back().find(own) != std::string::npos) break;
        Sleep(100);
    }
    ASSERT_NE(std::string::npos, lines.back().find(own)) << lines.back();
    // A try's wait is 3 s: had the sweep gone on to its next rate, it would have tuned by now.
    Sleep(3500);
    lines = tunes(run);
    EXPECT_NE(std::string::npos, lines.back().find(own)) << lines.back();
    const std::string failed = streamUntil(port, "\"state\":\"failed\"", 5000);
    EXPECT_NE(std::string::npos, failed.find("\"problem\":\"Azimora began measuring\""));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

TEST_F(PhoneSweepBdaTest, ClosingAzimoraDuringASweepEndsItsThreadBeforeTheCardIsFreed)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(carriersThatNeverLock, "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_NE(std::string::npos, askSweep(port, "band=high&pol=V&switch=&lnb=universal&step=25&try=1").find("202"));
    ASSERT_TRUE(waitForATry(run, 30000));
    const DWORD began = GetTickCount();
    EXPECT_EQ(0, closeWithEscape(run));
    // The tries still had a dozen seconds to go: the sweep ended at once, and the card let go of every object.
    EXPECT_LT(GetTickCount() - began, 8000u);
    EXPECT_TRUE(unreleased(run).empty());
}

}  // namespace
