// Azimora measuring, under Wine, through dvbcard.dll and QEMU's forwarded
// port, a transponder that vidtv carries on the real kernel's DVB core:
// run by the real-kernel stage (tools/scripts/kernel_stage.sh), which sets
// AZM_GUEST_HELPER and AZM_GUEST_SECRET; elsewhere it is skipped.
#include "tests/support/driver.h"
#include "tests/win/dvb_helper_process.h"
#include "tests/win/program_test.h"

namespace {

class DvbKernelTest : public ProgramTest {
protected:
    void SetUp() override
    {
        helper_ = environmentSetting("AZM_GUEST_HELPER");
        if (helper_.empty()) GTEST_SKIP() << "only in the real-kernel stage (AZM_GUEST_HELPER)";
        ASSERT_TRUE(registerCardDll("dvbcard.dll"));
    }
    void TearDown() override
    {
        ProgramTest::TearDown();
        if (!helper_.empty()) registerSimulatedCard(true);
    }

    static std::string environmentSetting(const char* name)
    {
        char value[300];
        const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
        return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
    }

    std::string helper_;
};

TEST_F(DvbKernelTest, AzimoraMeasuresATransponderOfVidtvAndTheBarShowsItsCarrierToNoise)
{
    StartOptions options;
    options.withLog = false;
    options.environment = {"AZIMORA_DVB=" + helper_, "AZIMORA_DVB_SECRET=" + environmentSetting("AZM_GUEST_SECRET")};
    AppRun& run = start(options);
    ASSERT_NE(nullptr, run.window);
    // 250 kHz beside vidtv's transponder: about 10.4 dB, 57 % on the quality
    // scale, the bar from x 42 to about x 193 (30 % ends at 121, 80 % at 254).
    startTypedEntry(run, "11720H27500");
    EXPECT_TRUE(waitForScreenColour(run.window, 160, 111, barRgb, 15000));
    EXPECT_TRUE(waitForScreenColour(run.window, 225, 111, bandRgb, 1000));
    EXPECT_GT(countColour(screenArea(run.window, 240, 130, 70, 20), inkRgb), 10);  // the s/n figure
    // A transponder vidtv carries exactly: about 34 dB, the bar to 99 %.
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postKey(run.window, VK_DELETE);
    postText(run.window, "12245V27500");
    postKey(run.window, VK_RETURN);
    EXPECT_TRUE(waitForScreenColour(run.window, 300, 111, barRgb, 15000));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
