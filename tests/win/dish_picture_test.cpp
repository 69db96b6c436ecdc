// The practice dish's window as the screen shows it: the tuned satellite's
// mark and the pointing sight where the chart puts them, the sight moving
// with keys, drags and a double-click, the strip chart before and after a
// lock, and the window's smallest size.
#include <cmath>
#include <cstdio>

#include "cardbase/sky/link_budget.h"
#include "cardbase/sky/sky.h"
#include "sim/dish/dish_colours.h"
#include "sim/dish/dish_layout.h"
#include "sim/dish/dish_setup.h"
#include "sim/dish/signal_history.h"
#include "tests/win/dish_support.h"
#include "tests/win/program_test.h"

namespace {

using DishPictureTest = ProgramTest;

// The dish window's client area as the screen shows it.
struct Screen {
    int width;
    std::vector<uint32_t> pixels;
};

static Screen shoot(HWND dish)
{
    RECT client;
    GetClientRect(dish, &client);
    return Screen{client.right, clientArea(dish, 0, 0, client.right, client.bottom)};
}

struct Found {
    int count = 0;
    double x = 0, y = 0;      // centre
    int top = 0, bottom = 0;  // highest and lowest row
};

static Found find(const Screen& screen, const PixelRect& within, uint32_t colour)
{
    Found found;
    for (int y = within.top; y < within.bottom; ++y)
        for (int x = within.left; x < within.right; ++x) {
            if (screen.pixels[static_cast<size_t>(y * screen.width + x)] != colour) continue;
            if (found.count == 0) found.top = y;
            found.bottom = y;
            found.x += x;
            found.y += y;
            ++found.count;
        }
    if (found.count > 0) {
        found.x /= found.count;
        found.y /= found.count;
    }
    return found;
}

static DishLayout layoutOf(HWND dish)
{
    RECT client;
    GetClientRect(dish, &client);
    return dishLayout(client.right, client.bottom, DishSetup().site);
}

static PixelPoint pixelOf(const SkyChart& chart, const DishPointing& direction)
{
    return skyToPixel(chart, direction.azimuthDeg, direction.elevationDeg);
}

// The window draws on a timer: waits until the colour's pixels centre
// within a pixel of `expected`.
static testing::AssertionResult centredAt(HWND dish, const PixelRect& within, uint32_t colour, PixelPoint expected,
                                          int timeoutMs = 3000)
{
    Found last;
    const DWORD start = GetTickCount();
    for (;;) {
        last = find(shoot(dish), within, colour);
        if (last.count > 0 && std::fabs(last.x - expected.x) <= 1.0 && std::fabs(last.y - expected.y) <= 1.0)
            return testing::AssertionSuccess();
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) break;
        Sleep(50);
    }
    return testing::AssertionFailure() << last.count << " pixels centred at (" << last.x << ", " << last.y
                                       << "), not at (" << expected.x << ", " << expected.y << ")";
}

static Found waitForColour(HWND dish, const PixelRect& within, uint32_t colour, int leastCount)
{
    Found found;
    for (int waited = 0; waited < 3000 && found.count < leastCount; waited += 50) {
        found = find(shoot(dish), within, colour);
        if (found.count < leastCount) Sleep(50);
    }
    return found;
}

static PixelPoint sightOf(HWND dish, const SkyChart& chart)
{
    const Found sight = find(shoot(dish), chart.plot, dishColour::cross);
    return PixelPoint{static_cast<int>(std::lround(sight.x)), static_cast<int>(std::lround(sight.y))};
}

static const DishPointing hotBird = lookAngles(DishSetup().site, 13.0).direction;

// The process's GDI objects as the card logged them at each tune.
static std::vector<unsigned> gdiCounts(const AppRun& run)
{
    std::vector<unsigned> counts;
    for (const std::string& line : logLines(run)) {
        unsigned handles = 0, gdi = 0;
        if (std::sscanf(line.c_str(), "Resources handles=%u gdi=%u", &handles, &gdi) == 2) counts.push_back(gdi);
    }
    return counts;
}

}  // namespace

TEST_F(DishPictureTest, BeforeTuningTheSightShowsThePointingAndFollowsKeysAndDrags)
{
    StartOptions options;
    options.scenario = "window\n";  // due south, 20 degrees up
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    const DishLayout layout = layoutOf(dish);
    const SkyChart& chart = layout.sky;
    ASSERT_TRUE(centredAt(dish, chart.plot, dishColour::cross, skyToPixel(chart, 180.0, 20.0)));
    const Screen screen = shoot(dish);
    EXPECT_EQ(0, find(screen, chart.plot, dishColour::target).count);
    EXPECT_GT(find(screen, chart.plot, dishColour::satellite).count, 500);  // the catalogue's satellites
    EXPECT_EQ(0, find(screen, layout.stripPlot, dishColour::carrierToNoise).count);

    for (int i = 0; i < 50; ++i) postKey(dish, VK_RIGHT);
    for (int i = 0; i < 30; ++i) postKey(dish, VK_UP);
    const PixelPoint keyed = skyToPixel(chart, 185.0, 23.0);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, keyed));

    // A drag anywhere on the chart moves the sight as far as the pointer; with Shift a tenth as far.
    postDrag(dish, keyed.x, keyed.y, keyed.x + 40, keyed.y + 20);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, {keyed.x + 40, keyed.y + 20}));
    postDrag(dish, chart.plot.left + 20, chart.plot.top + 20, chart.plot.left + 70, chart.plot.top + 20, MK_SHIFT);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, {keyed.x + 45, keyed.y + 20}));
    // Off the chart, in the text column, a drag steers nothing.
    postDrag(dish, layout.text.left + 20, 20, layout.text.left + 120, 120);
    settle(run, 300);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, {keyed.x + 45, keyed.y + 20}, 0));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishPictureTest, TunedFarOffTheTargetIsMarkedAndTheMouseBringsTheLock)
{
    StartOptions options;
    options.scenario = "window\n";
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    const DishLayout layout = layoutOf(dish);
    const SkyChart& chart = layout.sky;
    startHotBird(run);
    ASSERT_TRUE(waitForLogLine(run, "QuerySignalStatus -> 0x80004005"));
    const PixelPoint target = pixelOf(chart, hotBird);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::target, target));
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, skyToPixel(chart, 180.0, 20.0)));
    // The C/N runs below the lock line (where HotBird's transponder's
    // modulation and code rate lock), and nothing locks.
    const StripChart strip{layout.stripPlot, 0};
    const double lockDb = lockThresholdDb(plausibleModcod(10723, 29900, 13.0));
    const int threshold = static_cast<int>(std::lround(stripYOfCarrierToNoise(strip, lockDb)));
    const Found weak = waitForColour(dish, layout.stripPlot, dishColour::carrierToNoise, 2);
    EXPECT_GT(weak.count, 0);
    EXPECT_GT(weak.top, threshold);
    EXPECT_EQ(0, find(shoot(dish), layout.stripPlot, dishColour::lock).count);

    // A double-click on the mark points the dish a degree or two off it.
    postDoubleClick(dish, target.x, target.y);
    PixelPoint sight = skyToPixel(chart, 180.0, 20.0);
    for (int waited = 0; waited < 3000 && std::abs(sight.x - target.x) > 20; waited += 50, Sleep(50))
        sight = sightOf(dish, chart);
    const double off = pointingErrorDeg(pixelToSky(chart, sight.x, sight.y), hotBird);
    EXPECT_GE(off, 0.7);
    EXPECT_LE(off, 2.3);

    // Dragging the sight onto the mark finds the lock, and the strip chart shows it.
    postDrag(dish, sight.x, sight.y, target.x, target.y);
    EXPECT_TRUE(centredAt(dish, chart.plot, dishColour::cross, target));
    EXPECT_TRUE(waitForLock(run, true));
    EXPECT_GT(waitForColour(dish, layout.stripPlot, dishColour::lock, 20).count, 20);
    Sleep(1000);
    const PixelRect newest{layout.stripPlot.right - 5, layout.stripPlot.top, layout.stripPlot.right,
                           layout.stripPlot.bottom};
    const Found strong = find(shoot(dish), newest, dishColour::carrierToNoise);
    EXPECT_GT(strong.count, 0);
    EXPECT_LT(strong.bottom, threshold);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishPictureTest, AimedAndLockedTheSightSitsOnTheTarget)
{
    StartOptions options;
    options.scenario = "window\naim 13.0e\n";
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    const DishLayout layout = layoutOf(dish);
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    const PixelPoint target = pixelOf(layout.sky, hotBird);
    EXPECT_TRUE(centredAt(dish, layout.sky.plot, dishColour::target, target));
    EXPECT_TRUE(centredAt(dish, layout.sky.plot, dishColour::cross, target));
    EXPECT_GT(waitForColour(dish, layout.stripPlot, dishColour::lock, 20).count, 20);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishPictureTest, TheWindowResizesDownToItsMinimum)
{
    StartOptions options;
    options.scenario = "window\n";
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(dish, nullptr, 0, 0, 200, 100, flags);
    RECT client;
    GetClientRect(dish, &client);
    EXPECT_EQ(dishMinimumWidth, client.right);
    EXPECT_EQ(dishMinimumHeight, client.bottom);
    // Larger, the chart spreads out with the window.
    SetWindowPos(dish, nullptr, 0, 0, 1000, 500, flags);
    const DishLayout layout = layoutOf(dish);
    EXPECT_GT(layout.sky.plot.bottom, 250);
    EXPECT_TRUE(centredAt(dish, layout.sky.plot, dishColour::cross, skyToPixel(layout.sky, 180.0, 20.0)));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishPictureTest, FramesAndResizesLeaveNoGdiObjectsBehind)
{
    StartOptions options;
    options.scenario = "resources\nwindow\naim 13.0e\n";  // the card counts the process's objects at every tune
    AppRun& run = start(options);
    HWND dish = waitForDishWindow(run);
    ASSERT_NE(nullptr, dish);
    // The count to go by comes from a second tune, once a lock has started
    // the sound system with its own objects.
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    settle(run, 2000);
    auto tuneAgain = [&](size_t tunes) {
        postKey(run.window, VK_BACK);
        settle(run, 300);
        postKey(run.window, VK_RETURN);
        std::vector<unsigned> counts = gdiCounts(run);
        for (int waited = 0; waited < 5000 && counts.size() < tunes; waited += 50, Sleep(50)) counts = gdiCounts(run);
        return counts;
    };
    ASSERT_EQ(2u, tuneAgain(2).size());

    // Some fifty frames drawn, five new canvases, a rough aim.
    const PixelPoint sight = pixelOf(layoutOf(dish).sky, hotBird);
    for (int i = 0; i < 25; ++i) {
        postDrag(dish, sight.x, sight.y, sight.x + (i % 2 ? -30 : 30), sight.y);
        Sleep(100);
    }
    for (int i = 0; i < 5; ++i) {
        SetWindowPos(dish, nullptr, 0, 0, 700 + 40 * i, 300 + 10 * i, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(100);
    }
    const PixelPoint target = pixelOf(layoutOf(dish).sky, hotBird);
    postDoubleClick(dish, target.x, target.y);
    settle(run, 300);
    const std::vector<unsigned> counts = tuneAgain(3);
    ASSERT_EQ(3u, counts.size());
    EXPECT_LE(counts[2], counts[1] + 2);
    EXPECT_EQ(0, closeWithEscape(run));
}
