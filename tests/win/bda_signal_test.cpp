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

    // The monitor loop never polls the tuner faster than the bridges read (about 10 a second).
    unsigned long count = 0, spanMs = 0;
    for (const std::string& line : logLines(run))
        std::sscanf(line.c_str(), "readings Simulated DVB-S2 Tuner count=%lu spanMs=%lu", &count, &spanMs);
    EXPECT_GT(count, 10u);
    EXPECT_LE(count, spanMs / 45 + 2);
}

}  // namespace
