// Azimora measuring through dvbcard.dll and the native azimora-dvb on a
// simulated kernel frontend: what reaches the frontend for each start, the
// readouts as the signal comes and goes, and a helper that is missing, has
// no frontend or goes away while measuring.
#include "tests/win/dvb_helper_process.h"
#include "tests/win/program_test.h"

namespace {

class DvbCardTest : public ProgramTest {
protected:
    void SetUp() override { ASSERT_TRUE(registerCardDll("dvbcard.dll")); }

    void TearDown() override
    {
        ProgramTest::TearDown();
        for (HelperRun& helper : helpers_) signalHelper(helper, "KILL");
        registerSimulatedCard(true);
    }

    HelperRun& startHelperFor(const std::string& folder, const std::string& simulation, const std::string& more = "")
    {
        helpers_.emplace_back();
        EXPECT_TRUE(startHelper(helpers_.back(), folder, simulation, more)) << readFile(helpers_.back().outputPath);
        return helpers_.back();
    }

    // The program in `folder`, pointed at the helper's port.
    AppRun& startThrough(uint16_t port, const std::string& folder, bool waitForWindow = true)
    {
        SetEnvironmentVariableA("AZIMORA_DVB", ("127.0.0.1:" + std::to_string(port)).c_str());
        StartOptions options;
        options.withLog = false;
        options.waitForWindow = waitForWindow;
        AppRun& run = startIn(folder, options);
        SetEnvironmentVariableA("AZIMORA_DVB", nullptr);
        return run;
    }

    std::string folderFor(const char* name) { return newProgramFolder(name); }

    // The bar's first pixel past its end: 30 % at x 121, 80 % at x 254.
    bool barEndsAt(const AppRun& run, int endX, int timeoutMs = 5000)
    {
        return waitForScreenColour(run.window, endX - 1, 111, barRgb, timeoutMs) &&
               waitForScreenColour(run.window, endX, 111, bandRgb, 1000);
    }

    bool showsNoSignal(const AppRun& run, int timeoutMs = 5000)
    {
        if (!waitForScreenColour(run.window, 60, 111, bandRgb, timeoutMs)) return false;
        for (int i = 0; i < 60; ++i, Sleep(50))
            if (countColour(screenArea(run.window, 160, 87, 40, 24), alertRgb) > 10) return true;
        return false;
    }

private:
    std::vector<HelperRun> helpers_;
};

// C/N for the two test bars on the quality scale: 6.7 dB is 30 %, 13.44 dB 80 %.
static const char lockAt30[] = "0 lock 6.7\n";
static const char lockAt80[] = "0 lock 13.44\n";

TEST_F(DvbCardTest, AListStartTunesTheFrontendAndTheBarShowsItsCarrierToNoise)
{
    const std::string folder = folderFor("dvb-list");
    writeFile(joinPath(folder, "satellite.ini"), "[Astra   19.2e]=12515h22000;\r\n[Intelsat   45.0e]=3840v27500;\r\n");
    HelperRun& helper = startHelperFor(folder, lockAt80);
    AppRun& run = startThrough(helper.port, folder);
    startCatalogueLine(run, 0);
    EXPECT_TRUE(waitForHelperLog(
        helper, {"voltage 18", "tone on", "tune if_khz=1915000 symbol_rate=22000000 system=DVB-S2", "lock"}));
    EXPECT_TRUE(barEndsAt(run, 254));
    EXPECT_GT(countColour(screenArea(run.window, 240, 130, 70, 20), inkRgb), 10);  // the s/n figure

    // Back, and the C band line: 13 V for vertical, the oscillator above the downlink.
    postKey(run.window, VK_BACK);
    settle(run, 300);
    startCatalogueLine(run, 1);
    EXPECT_TRUE(waitForHelperLog(
        helper, {"voltage 13", "tone off", "tune if_khz=1310000 symbol_rate=27500000 system=DVB-S2", "lock"}));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbCardTest, ATypedStartWithSwitchLettersSendsTheCommittedSwitchCommand)
{
    const std::string folder = folderFor("dvb-typed");
    HelperRun& helper = startHelperFor(folder, lockAt30);
    AppRun& run = startThrough(helper.port, folder);
    startTypedEntry(run, "12245H27500AB");
    EXPECT_TRUE(
        waitForHelperLog(helper, {"voltage 18", "tone off", "diseqc E0 10 38 FB", "diseqc E0 10 38 FB", "tone on",
                                  "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2", "lock"}));
    EXPECT_TRUE(barEndsAt(run, 121));

    // Stopped, the keypad is still there for the next entry.
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postKey(run.window, VK_DELETE);
    postText(run.window, "11344V27500BA");
    postKey(run.window, VK_RETURN);
    EXPECT_TRUE(
        waitForHelperLog(helper, {"voltage 13", "tone off", "diseqc E0 10 38 F4", "diseqc E0 10 38 F4", "tone off",
                                  "tune if_khz=1594000 symbol_rate=27500000 system=DVB-S2", "lock"}));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbCardTest, TheReadoutsFollowTheLockAsItGoesAndComesBack)
{
    const std::string folder = folderFor("dvb-lock");
    HelperRun& helper = startHelperFor(folder, "0 lock 6.7\n2500 nolock\n5000 lock 13.44\n");
    AppRun& run = startThrough(helper.port, folder);
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barEndsAt(run, 121));
    EXPECT_TRUE(showsNoSignal(run));
    EXPECT_TRUE(barEndsAt(run, 254, 6000));
    // The lock lost for a while, the tune that had it goes out again.
    const char tune[] = "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2";
    EXPECT_TRUE(waitForHelperLog(helper, {tune, "lock", "nolock", tune, "lock"}));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbCardTest, AProgramLeftInSetupPastTheHelpersIdleTimeStillMeasures)
{
    const std::string folder = folderFor("dvb-idle");
    HelperRun& helper = startHelperFor(folder, lockAt80, "--idle 1");
    AppRun& run = startThrough(helper.port, folder);
    // The helper ends the link that asked nothing for a second.
    ASSERT_TRUE(waitForHelperLog(helper, {"voltage off"}, 8000));
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barEndsAt(run, 254));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbCardTest, WithoutTheHelperTheProgramCannotInitializeAndEnds)
{
    const std::string folder = folderFor("dvb-none");
    HelperRun& helper = startHelperFor(folder, lockAt80);
    const uint16_t port = helper.port;
    ASSERT_TRUE(signalHelper(helper, "TERM"));  // nothing listens there now
    AppRun& run = startThrough(port, folder, false);
    ASSERT_TRUE(boxShown(run, "Error", "Cannot initialize tuner control interface"));
    EXPECT_EQ(0, waitForExit(run));
}

TEST_F(DvbCardTest, AHelperWhoseFrontendIsTakenMakesInitializeFail)
{
    const std::string folder = folderFor("dvb-busy");
    HelperRun& helper = startHelperFor(folder, lockAt80);
    AppRun& first = startThrough(helper.port, folder);
    EXPECT_EQ(0, closeWithEscape(first));  // lets the frontend go
    ASSERT_TRUE(waitForHelperLog(helper, {"voltage off"}));
    writeFile(helper.simulationPath, "fail open\n");  // another program has it now
    AppRun& second = startThrough(helper.port, folder, false);
    ASSERT_TRUE(boxShown(second, "Error", "Cannot initialize tuner control interface"));
    EXPECT_EQ(0, waitForExit(second));
    EXPECT_TRUE(helperRunning(helper));
}

TEST_F(DvbCardTest, AHelperKilledWhileMeasuringReadsAsNoSignalAndTheProgramStillCloses)
{
    const std::string folder = folderFor("dvb-killed");
    HelperRun& helper = startHelperFor(folder, lockAt80);
    AppRun& run = startThrough(helper.port, folder);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barEndsAt(run, 254));
    ASSERT_TRUE(signalHelper(helper, "KILL"));
    EXPECT_TRUE(showsNoSignal(run));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbCardTest, ClosingWhileMeasuringEndsTheProgramAndLetsTheFrontendGo)
{
    const std::string folder = folderFor("dvb-close");
    HelperRun& helper = startHelperFor(folder, lockAt80);
    AppRun& run = startThrough(helper.port, folder);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barEndsAt(run, 254));
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(waitForHelperLog(helper, {"lock", "tone off", "voltage off"}));
    EXPECT_TRUE(helperRunning(helper));
}

}  // namespace
