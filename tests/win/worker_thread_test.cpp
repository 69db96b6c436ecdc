// When the system refuses a worker thread: no flag is left set for a thread
// that never ran, so neither the next start nor closing waits for ever.
#include "tests/win/program_test.h"

namespace {

class RefusedThreadTest : public ProgramTest {
protected:
    AppRun& startRefusing(const char* thread)
    {
        StartOptions options;
        options.scenario = "signal 0 lock 80 14.2\n";
        options.programBuild = "AzimoraTest.exe";
        options.environment = {std::string("AZIMORA_TEST_REFUSE_THREAD=") + thread};
        return start(options);
    }
};

TEST_F(RefusedThreadTest, WithoutAMonitorTheProgramGoesBackToSetup)
{
    AppRun& run = startRefusing("monitor");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    // Setup with the keypad again, repainted: MODE1 and FIND>, no bar.
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, findFace.plain, rightButtonSlot));
    EXPECT_EQ(0, workerThreads(run));

    // The next start neither waits for a thread that never ran nor measures.
    postKey(run.window, VK_RETURN);
    settle(run, 300);
    EXPECT_EQ(12u, tuningCalls(run).size());
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));

    // From the list the list comes back, with the focus.
    postCharacter(run.window, 'm');
    settle(run);
    startCatalogueLine(run, 53);
    ASSERT_TRUE(waitForTuningCalls(run, 18));
    EXPECT_EQ(18u, tuningCalls(run).size());
    settle(run, 300);
    HWND list = satelliteList(run.window);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(list, focusedWindow(run));
    EXPECT_FALSE(anyMessageBox(run));

    // Closing ends the process at once: there is no monitor to wait for.
    const DWORD closed = GetTickCount();
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_LT(GetTickCount() - closed, 5000u);
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed"));
}

TEST_F(RefusedThreadTest, WithoutTheAudioThreadTheReadoutsGoOnSilently)
{
    AppRun& run = startRefusing("audio");
    startTypedEntry(run, "12245H27500");
    // 80 %: the bar ends at x 254.
    EXPECT_TRUE(waitForScreenColour(run.window, 253, 111, barRgb, 3000));
    EXPECT_EQ(1, workerThreads(run));
    EXPECT_TRUE(screenShowsCell(run, backFace.plain, middleButtonSlot));

    // Stopping and starting again waits only for the monitor.
    postKey(run.window, VK_BACK);
    settle(run, 300);
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    postKey(run.window, VK_RETURN);
    EXPECT_TRUE(waitForScreenColour(run.window, 253, 111, barRgb, 3000));
    EXPECT_EQ(12u, tuningCalls(run).size());

    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed"));
}

}  // namespace
