// The BDA bridge and the link margin: the demodulator node's word on what
// it locked reaches the phone page with the first locked reading where the
// driver reads it back, and nothing where it gives back what was put; BDA
// has no C/N in dB, so the margin itself stays unknown, and says why.
#include "tests/win/bda_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using BdaMarginTest = BdaProgramTest;

static std::string firstLockedReading(const std::string& stream)
{
    const size_t at = stream.find("\"lock\":true");
    return at == std::string::npos ? std::string() : stream.substr(at, stream.find('\n', at) - at);
}

TEST_F(BdaMarginTest, ADemodulatorThatReadsBackNamesTheModulationButTheMarginWantsACarrierToNoiseInDecibels)
{
    const uint16_t port = freePort();
    AppRun& run =
        startWithBridge("transponder DVB-S2-8PSK 2/3\ndemodulator reports\n", "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    const std::string reading = firstLockedReading(phoneAsk(port, "/events", "\"lock\":true", 1, 10000));
    ASSERT_NE("", reading);
    EXPECT_NE(std::string::npos, reading.find("\"margin\":{\"status\":\"nodb\",\"modcod\":\"S2-8PSK-2/3\","
                                              "\"name\":\"DVB-S2 8PSK 2/3\",\"source\":\"tuner\","
                                              "\"thresholdDb\":6.92,\"marginDb\":null,\"verdict\":null,"
                                              "\"why\":\"the tuner gives no C/N in dB\""))
        << reading;
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaMarginTest, ADemodulatorThatGivesBackWhatWasPutSaysNothing)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("transponder DVB-S2-8PSK\n", "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    const std::string reading = firstLockedReading(phoneAsk(port, "/events", "\"lock\":true", 1, 15000));
    ASSERT_NE("", reading);
    EXPECT_NE(std::string::npos, reading.find("\"margin\":{\"status\":\"nodb\",\"modcod\":null,"
                                              "\"name\":null,\"source\":\"unknown\""))
        << reading;
    EXPECT_NE(std::string::npos, reading.find("\"missing\":\"the tuner gives back only what it was asked; "))
        << reading;
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
