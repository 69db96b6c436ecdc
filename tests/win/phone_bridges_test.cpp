// The phone page of the two bridges to real tuners: the Linux bridge
// (dvbcard.dll and azimora-dvb on a simulated frontend, asked for by
// AZIMORA_PHONE) and the BDA bridge (on the simulated BDA tuner, asked for
// by bdacard.ini beside it) serve the readings they hand the program.
#include "tests/win/bda_fixture.h"
#include "tests/win/dvb_helper_process.h"
#include "tests/win/phone_support.h"

namespace {

class PhoneDvbTest : public ProgramTest {
protected:
    void SetUp() override { ASSERT_TRUE(registerCardDll("dvbcard.dll")); }
    void TearDown() override
    {
        ProgramTest::TearDown();
        signalHelper(helper_, "KILL");
        registerSimulatedCard(true);
    }
    HelperRun helper_;
};

TEST_F(PhoneDvbTest, TheLinuxBridgeServesItsReadings)
{
    const std::string folder = newProgramFolder("phone-dvb");
    ASSERT_TRUE(startHelper(helper_, folder, "0 lock 13.44\n"));
    StartOptions options;
    options.withLog = false;
    const std::string helperAddress = "127.0.0.1:" + std::to_string(helper_.port);
    options.environment = {"AZIMORA_DVB=" + helperAddress, "AZIMORA_PHONE=127.0.0.1:18620"};
    AppRun& run = startIn(folder, options);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    const std::string stream = phoneAsk(18620, "/events", "event: reading", 3);
    EXPECT_EQ(3, occurrences(stream, "event: reading"));
    EXPECT_NE(std::string::npos, stream.find("\"lock\":true,\"quality\":80,\"cn\":13.44"));
    EXPECT_NE(std::string::npos, stream.find("\"card\":\"DVB-S/S2 frontend through azimora-dvb at " + helperAddress));
    EXPECT_EQ(0, closeWithEscape(run));
}

using PhoneBdaTest = BdaProgramTest;

TEST_F(PhoneBdaTest, TheBdaBridgeServesItsReadingsAskedForByItsSettingsFile)
{
    AppRun& run = startWithBridge("signal 0 locked 30 60\n", "phone=18621\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 30));
    const std::string stream = phoneAsk(18621, "/events", "event: reading", 3);
    EXPECT_EQ(3, occurrences(stream, "event: reading"));
    EXPECT_NE(std::string::npos, stream.find("\"lock\":true,\"quality\":30,"));
    EXPECT_NE(std::string::npos, stream.find("\"card\":\"BDA tuner\""));
    EXPECT_NE(std::string::npos, stream.find("\"frequencyMHz\":12245,\"polarization\":\"H\""));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
