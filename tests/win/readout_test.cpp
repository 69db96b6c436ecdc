// The live readouts follow the card; stopping, restarting and closing while
// measuring leave no thread behind.
#include "tests/win/program_test.h"

namespace {

using ReadoutTest = ProgramTest;

TEST_F(ReadoutTest, TheBarFollowsTheCardsReadings)
{
    StartOptions options;
    options.scenario = "signal 0 lock 30 8.5\nsignal 2000 lock 80 14.2\nsignal 4000 nolock\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    // 30 %: the bar ends at x 121; 80 %: at x 254.
    EXPECT_TRUE(waitForScreenColour(run.window, 120, 111, barRgb, 1500));
    EXPECT_EQ(bandRgb, screenArea(run.window, 121, 111, 1, 1)[0]);
    EXPECT_TRUE(waitForScreenColour(run.window, 253, 111, barRgb, 3000));
    EXPECT_EQ(bandRgb, screenArea(run.window, 254, 111, 1, 1)[0]);
    EXPECT_TRUE(waitForLogLine(run, "GetSignalQuality -> 0x00000000 80"));

    // The lock goes: the bar goes, the percentage turns red, the s/n shows dashes.
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, bandRgb, 3000));
    int redPercent = 0, snrInk = 0;
    for (int i = 0; i < 40 && (redPercent <= 10 || snrInk <= 10); ++i, Sleep(50)) {
        redPercent = countColour(screenArea(run.window, 160, 87, 40, 24), alertRgb);
        snrInk = countColour(screenArea(run.window, 240, 130, 70, 20), inkRgb);
    }
    EXPECT_GT(redPercent, 10);
    EXPECT_GT(snrInk, 10);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(ReadoutTest, ClosingWhileMeasuringWaitsForTheMonitorThenReleasesTheCard)
{
    StartOptions options;
    options.scenario = "signal 0 lock 42 10\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(waitForLogLine(run, "GetSignalQuality -> 0x00000000 42"));
    const DWORD closed = GetTickCount();
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_GE(GetTickCount() - closed, 1000u);  // at least one second's wait for the monitor
    const std::vector<std::string> log = logLines(run);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(0u, log.back().find("Destroyed polls="));
    EXPECT_GT(std::stoi(log.back().substr(16)), 0);
}

TEST_F(ReadoutTest, StoppingAndRestartingNeverLeavesTwoWorkerThreads)
{
    StartOptions options;
    options.scenario = "signal 0 lock 64 11\n";
    AppRun& run = start(options);
    postCharacter(run.window, 'm');
    settle(run, 300);
    ASSERT_EQ(0, workerThreads(run));
    for (int round = 0; round < 8; ++round) {
        postKey(run.window, VK_RETURN);  // start, waiting for the last threads first
        // The start may wait for the threads before it: never more than two
        // at any moment, and both running once it has started.
        int most = 0, now = 0;
        for (DWORD since = GetTickCount(); now != 2 && GetTickCount() - since < 3000; Sleep(10)) {
            now = workerThreads(run);
            if (now > most) most = now;
        }
        EXPECT_EQ(2, now) << round;
        EXPECT_LE(most, 2) << round;
        postKey(run.window, VK_BACK);  // stop at once
        settle(run);
    }
    EXPECT_EQ(8u, tuningCalls(run).size() / 6);
    // Both threads end by themselves, within one pass of the audio thread.
    const DWORD start = GetTickCount();
    while (workerThreads(run) > 0 && GetTickCount() - start < 5000) Sleep(50);
    EXPECT_EQ(0, workerThreads(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed"));
}

}  // namespace
