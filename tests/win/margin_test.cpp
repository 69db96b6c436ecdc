// The link margin on the phone page of the simulated card: the practice
// dish reports the modulation and code rate of the transponder it locks on,
// with the first locked reading; a card that reports none leaves the
// network's word, or nothing and the reason.
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

namespace {

using MarginPageTest = ProgramTest;

// The "reading" events of a stream, each its data line.
static std::vector<std::string> readingsOf(const std::string& stream)
{
    std::vector<std::string> readings;
    const std::string mark = "event: reading\ndata: ";
    for (size_t at = stream.find(mark); at != std::string::npos; at = stream.find(mark, at + 1)) {
        const size_t start = at + mark.size();
        readings.push_back(stream.substr(start, stream.find('\n', start) - start));
    }
    return readings;
}

static double numberAfter(const std::string& text, const std::string& key)
{
    const size_t at = text.find("\"" + key + "\":");
    return at == std::string::npos ? -1000.0 : std::atof(text.c_str() + at + key.size() + 3);
}

TEST_F(MarginPageTest, ThePracticeDishGivesTheMarginWithItsFirstLockedReading)
{
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "dish\naim 13.0e\nmodcod 10723h29900 S2-8PSK-3/4\n"));
    // The page follows from before the start, so that it sees the lock come.
    std::string stream;
    std::thread follower([&] { stream = streamUntil(port, "\"verdict\":\"good\"", 15000); });
    Sleep(500);
    startHotBird(run);
    follower.join();
    ASSERT_NE("", stream);
    const std::vector<std::string> readings = readingsOf(stream);
    const std::string* firstLocked = nullptr;
    for (const std::string& reading : readings)
        if (!firstLocked && reading.find("\"lock\":true") != std::string::npos) firstLocked = &reading;
    ASSERT_NE(nullptr, firstLocked);
    EXPECT_NE(std::string::npos, firstLocked->find("\"margin\":{\"status\":\"known\",\"modcod\":\"S2-8PSK-3/4\","
                                                   "\"name\":\"DVB-S2 8PSK 3/4\",\"source\":\"tuner\","
                                                   "\"thresholdDb\":8.21,"));
    // The margin is the C/N the program was told less the 8.21 dB DVB-S2 8PSK 3/4 needs.
    EXPECT_NEAR(numberAfter(*firstLocked, "cn") - 8.21, numberAfter(*firstLocked, "marginDb"), 0.051);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(MarginPageTest, ACardThatReportsNoneLeavesTheNetworksWordOrSaysWhatIsMissing)
{
    const uint16_t port = freePort();
    // The practice dish's network gives its own entry's descriptor, 1.2 s after the lock.
    AppRun& dish = start(withPhoneAndScenario(port, "dish\naim 13.0e\nmodcod none\nmodcod S-QPSK-5/6\n"));
    startHotBird(dish);
    ASSERT_TRUE(waitForLock(dish, true));
    const std::string fromNetwork = streamUntil(port, "\"source\":\"network\"");
    EXPECT_NE(std::string::npos, fromNetwork.find("\"modcod\":\"S-QPSK-5/6\",\"name\":\"DVB-S QPSK 5/6\""));
    EXPECT_EQ(0, closeWithEscape(dish));

    // Neither tuner nor network: no margin, and why.
    AppRun& card = start(withPhoneAndScenario(port, "signal 0 lock 60 11.5\n"));
    startCatalogueLine(card, hotBirdLine);
    const std::string unknown = streamUntil(port, "\"status\":\"nomodcod\"");
    EXPECT_NE(std::string::npos, unknown.find("\"marginDb\":null,\"verdict\":null,"
                                              "\"why\":\"modulation and code rate unknown\","
                                              "\"missing\":\"the tuner does not report them; "));
    EXPECT_EQ(0, closeWithEscape(card));

    // A scenario's modulation for every transponder: 11.5 dB against the 7.86 dB DVB-S QPSK 5/6 needs.
    AppRun& told = start(withPhoneAndScenario(port, "signal 0 lock 60 11.5\nmodcod S-QPSK-5/6\n"));
    startCatalogueLine(told, hotBirdLine);
    EXPECT_NE("", streamUntil(port, "\"thresholdDb\":7.86,\"marginDb\":3.6,\"verdict\":\"good\""));
    EXPECT_EQ(0, closeWithEscape(told));
}

}  // namespace
