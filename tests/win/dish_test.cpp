// The simulated card's dish: the lock follows where the dish points, the
// steering window lives on a thread of its own and goes with the card.
#include "tests/win/dish_support.h"
#include "tests/win/program_test.h"

namespace {

class DishTest : public ProgramTest {
protected:
    // HotBird started: the card says "no signal" and gives no reading; then the program closes cleanly.
    void expectNoLockOnHotBird(AppRun& run)
    {
        startHotBird(run);
        ASSERT_TRUE(waitForLogLine(run, "QuerySignalStatus -> 0x80004005"));
        settle(run, 500);
        EXPECT_TRUE(lastLine(run, "GetSignalQuality").empty());
        EXPECT_EQ(0, closeWithEscape(run));
    }
};

static double loggedValue(const AppRun& run, const char* reading)
{
    const std::string line = lastLine(run, reading);
    const size_t value = line.rfind(' ');
    return value == std::string::npos ? -1.0 : std::atof(line.c_str() + value + 1);
}

static void pressInDish(HWND dish, UINT key, int times)
{
    for (int i = 0; i < times; ++i) postKey(dish, key);
}

TEST_F(DishTest, AimedAtTheSatelliteTheCardLocksWithARealisticReading)
{
    StartOptions options;
    options.scenario = "dish\naim 13.0e\n";
    AppRun& run = start(options);
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    settle(run, 300);
    EXPECT_GE(loggedValue(run, "GetSignalQuality"), 60);
    EXPECT_LE(loggedValue(run, "GetSignalQuality"), 99);
    EXPECT_GE(loggedValue(run, "GetSignalNoiseRatio"), 10.0);
    EXPECT_LE(loggedValue(run, "GetSignalNoiseRatio"), 18.0);
    EXPECT_EQ(nullptr, dishWindow(run));  // only "window" or the demonstration shows it
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishTest, PointingAwayOrTunedToAnotherSatelliteGivesNoLock)
{
    StartOptions options;
    options.scenario = "dish\n";  // due south, low
    AppRun& run = start(options);
    ASSERT_NO_FATAL_FAILURE(expectNoLockOnHotBird(run));

    options.scenario = "aim 19.2e\n";
    AppRun& other = start(options);
    ASSERT_NO_FATAL_FAILURE(expectNoLockOnHotBird(other));
}

// A fault of the installation: without 18 V at the LNB, HotBird's
// horizontal transponder is not there however well the dish points; a lost
// tone leaves its low band alone.
TEST_F(DishTest, AnInstallationFaultLosesWhatItBreaksAndNothingElse)
{
    StartOptions options;
    options.scenario = "aim 13.0e\nfault no-18v\n";
    AppRun& run = start(options);
    ASSERT_NO_FATAL_FAILURE(expectNoLockOnHotBird(run));

    options.scenario = "aim 13.0e\nfault no-tone\n";
    AppRun& lowBand = start(options);
    startHotBird(lowBand);
    EXPECT_TRUE(waitForLock(lowBand, true));
    EXPECT_EQ(0, closeWithEscape(lowBand));
}

TEST_F(DishTest, SteeringTheDishInItsWindowLosesAndFindsTheLock)
{
    StartOptions options;
    options.scenario = "window\naim 13.0e\n";
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    // Its own thread, clear of the program's window, and the focus stays with the program.
    EXPECT_NE(GetWindowThreadProcessId(run.window, nullptr), GetWindowThreadProcessId(dish, nullptr));
    RECT program, dishFrame, overlap;
    GetWindowRect(run.window, &program);
    GetWindowRect(dish, &dishFrame);
    EXPECT_FALSE(IntersectRect(&overlap, &program, &dishFrame));
    EXPECT_EQ(satelliteList(run.window), focusedWindow(run));
    EXPECT_NE(dish, GetForegroundWindow());

    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    // Three degrees off the arc, past the main lobe, either way (along the arc
    // lie the neighbours, which repeat HotBird's transponder).
    pressInDish(dish, VK_UP, 30);
    EXPECT_TRUE(waitForLock(run, false));
    pressInDish(dish, VK_DOWN, 30);
    EXPECT_TRUE(waitForLock(run, true));
    pressInDish(dish, VK_DOWN, 30);
    EXPECT_TRUE(waitForLock(run, false));
    pressInDish(dish, VK_UP, 30);
    EXPECT_TRUE(waitForLock(run, true));

    // Closing only puts the window aside; the program's end takes it away.
    PostMessageA(dish, WM_CLOSE, 0, 0);
    settle(run, 200);
    EXPECT_TRUE(IsWindow(dish));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_FALSE(IsWindow(dish));
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed polls="));
}

TEST_F(DishTest, WithNothingSetTheDemonstrationShowsTheDish)
{
    StartOptions options;
    options.withLog = false;
    AppRun& run = start(options);
    EXPECT_NE(nullptr, waitForDishWindow(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
