// The readouts follow the simulated BDA tuner's statistics; closing while
// measuring releases the whole graph; the tuner is read at a driver's pace.
#include "tests/win/bda_fixture.h"

namespace {

using BdaSignalTest = BdaProgramTest;

TEST_F(BdaSignalTest, LockLostAndRegainedShowsOnTheBar)
{
    AppRun& run = startWithBridge("signal 0 locked 30 60\nsignal 1500 unlocked\nsignal 3000 locked 80 90\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 30));
    // Without lock the bar goes and the s/n shows dashes.
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, bandRgb, 4000));
    EXPECT_TRUE(barShows(run, 80));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaSignalTest, WithoutAQualityFigureTheStrengthStandsIn)
{
    AppRun& run = startWithBridge("no quality\nsignal 0 locked 30 64\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 64));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaSignalTest, ClosingWhileMeasuringStopsAndReleasesEverything)
{
    AppRun& run = startWithBridge();
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72));
    Sleep(1000);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(waitForLogLine(run, "stop Simulated DVB-S2 Tuner", 0));
    const std::map<std::string, int> alive = unreleased(run);
    EXPECT_TRUE(alive.empty()) << alive.begin()->first;

    // The monitor loop never polls the tuner faster than ten times a second.
    unsigned long count = 0, spanMs = 0;
    for (const std::string& line : logLines(run))
        std::sscanf(line.c_str(), "readings Simulated DVB-S2 Tuner count=%lu spanMs=%lu", &count, &spanMs);
    EXPECT_GT(count, 5u);
    EXPECT_LE(count, spanMs / 95 + 2);
}

// A lock call that fails, after it has worked, is no signal, however well
// the other figures look; the measurement goes on and the lock comes back.
TEST_F(BdaSignalTest, AFailingLockCallCountsAsNoSignal)
{
    AppRun& run = startWithBridge("fail lock 1500 3500\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, bandRgb, 4000));
    EXPECT_TRUE(barShows(run, 72, 6000));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// A driver call that does not return in time is no signal for that reading;
// the program stays responsive and the readings resume when the driver does.
TEST_F(BdaSignalTest, AStalledReadingCountsAsNoSignalAndTheMeasurementGoesOn)
{
    AppRun& run = startWithBridge("stall readings 1500 4500\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 72));
    ASSERT_TRUE(waitForLogLine(run, "stall Simulated DVB-S2 Tuner"));
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, bandRgb, 2500));
    EXPECT_TRUE(barShows(run, 72, 6000));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

}  // namespace
