// The strip chart's last minute: samples arriving and leaving, the lock's
// comings and goings, and where they fall on the chart.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/signal_history.h"

static const PixelRect plot{30, 20, 631, 120};  // 600 pixels from the first column to the last: 10 a second

static SignalSample sampleAt(uint32_t timeMs, double carrierToNoiseDb, bool measured = true)
{
    const bool locked = measured && carrierToNoiseDb >= lockThresholdDb(Modcod{});
    return SignalSample{timeMs, measured, carrierToNoiseDb, locked ? 50 : 0, locked};
}

TEST(SignalHistory, SamplesArriveAndLeaveTheTimeAxis)
{
    SignalHistory history;
    // Near the tick count's wrap, so that times run on through it.
    const uint32_t start = 0xFFFFFFFFu - 20000u;
    EXPECT_TRUE(addSample(history, sampleAt(start, 1.0)));
    EXPECT_FALSE(addSample(history, sampleAt(start + sampleIntervalMs - 1, 1.0)));
    EXPECT_TRUE(addSample(history, sampleAt(start + sampleIntervalMs, 1.0)));
    ASSERT_EQ(2u, history.samples.size());

    // The newest sample stands at the right edge; one second older is 10 pixels left.
    StripChart chart = stripChartFor(plot, history);
    EXPECT_DOUBLE_EQ(plot.right - 1, stripX(chart, start + sampleIntervalMs));
    EXPECT_NEAR(plot.right - 2, stripX(chart, start), 0.01);
    EXPECT_NEAR(plot.right - 1 - 10, stripX(chart, start + sampleIntervalMs - 1000), 0.01);

    // A minute on, the first sample has reached the left edge; then it leaves.
    for (uint32_t step = 2; step <= historySpanMs / sampleIntervalMs; ++step)
        addSample(history, sampleAt(start + step * sampleIntervalMs, 1.0));
    chart = stripChartFor(plot, history);
    EXPECT_EQ(start, history.samples.front().timeMs);
    EXPECT_NEAR(plot.left, stripX(chart, start), 0.01);
    EXPECT_EQ(historySpanMs / sampleIntervalMs + 1, history.samples.size());
    addSample(history, sampleAt(start + historySpanMs + sampleIntervalMs, 1.0));
    EXPECT_EQ(start + sampleIntervalMs, history.samples.front().timeMs);
    EXPECT_EQ(historySpanMs / sampleIntervalMs + 1, history.samples.size());

    // The trace spans the plot: from its left edge to its right.
    chart = stripChartFor(plot, history);
    const std::vector<std::vector<PixelPoint>> runs = carrierToNoiseTrace(chart, history);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(plot.left, runs[0].front().x);
    EXPECT_EQ(plot.right - 1, runs[0].back().x);
}

TEST(SignalHistory, LockAndLossAreEventsThatLeaveWithTheirMinute)
{
    SignalHistory history;
    addSample(history, sampleAt(1000, 2.0));
    addSample(history, sampleAt(1100, 5.0));  // lock
    addSample(history, sampleAt(1200, 6.0));
    addSample(history, sampleAt(1300, 2.0));  // lost
    addSample(history, sampleAt(1400, -30.0, false));
    ASSERT_EQ(2u, history.events.size());
    EXPECT_EQ(1100u, history.events[0].timeMs);
    EXPECT_TRUE(history.events[0].locked);
    EXPECT_EQ(1300u, history.events[1].timeMs);
    EXPECT_FALSE(history.events[1].locked);

    // A history that opens locked opens with a lock.
    SignalHistory aimed;
    addSample(aimed, sampleAt(500, 12.0));
    ASSERT_EQ(1u, aimed.events.size());
    EXPECT_TRUE(aimed.events[0].locked);

    addSample(history, sampleAt(1100 + historySpanMs, 2.0));
    EXPECT_EQ(2u, history.events.size());
    addSample(history, sampleAt(1100 + historySpanMs + sampleIntervalMs, 2.0));
    ASSERT_EQ(1u, history.events.size());
    addSample(history, sampleAt(1300 + historySpanMs + sampleIntervalMs, 2.0));
    EXPECT_TRUE(history.events.empty());
}

TEST(SignalHistory, TracesOnTheTwoScales)
{
    SignalHistory history;
    addSample(history, sampleAt(0, -30.0));   // clamped to the bottom
    addSample(history, sampleAt(100, 30.0));  // and to the top
    addSample(history, sampleAt(200, 0.0, false));
    addSample(history, sampleAt(300, 10.0));
    addSample(history, sampleAt(400, 12.0));
    const StripChart chart = stripChartFor(plot, history);
    const std::vector<std::vector<PixelPoint>> runs = carrierToNoiseTrace(chart, history);
    // Nothing measured breaks the C/N trace; the quality runs on through it.
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(2u, runs[0].size());
    EXPECT_EQ(plot.bottom - 1, runs[0][0].y);
    EXPECT_EQ(plot.top, runs[0][1].y);
    EXPECT_EQ(2u, runs[1].size());
    EXPECT_EQ(5u, qualityTrace(chart, history).size());
    // The level has its own runs, on the C/N's scale, before and after the lock alike.
    EXPECT_TRUE(levelTrace(chart, history).empty());
    SignalHistory levels;
    for (uint32_t t = 0; t <= 400; t += 100) {
        SignalSample sample = sampleAt(t, 0.0, false);
        sample.hasLevel = t != 200;
        sample.levelAboveNoiseDb = t / 40.0;
        addSample(levels, sample);
    }
    const StripChart levelChart = stripChartFor(plot, levels);
    const std::vector<std::vector<PixelPoint>> levelRuns = levelTrace(levelChart, levels);
    ASSERT_EQ(2u, levelRuns.size());
    EXPECT_EQ(static_cast<int>(std::lround(stripYOfCarrierToNoise(levelChart, 10.0))), levelRuns[1].back().y);

    // The two scales share their grid: -5 dB with 0 %, 20 dB with 100 %,
    // every 5 dB with every 20 %.
    for (int step = 0; step <= 5; ++step)
        EXPECT_DOUBLE_EQ(stripYOfQuality(chart, 20.0 * step), stripYOfCarrierToNoise(chart, -5.0 + 5.0 * step));
    EXPECT_DOUBLE_EQ(plot.top, stripYOfCarrierToNoise(chart, stripHighestDb));
    EXPECT_DOUBLE_EQ(plot.bottom - 1, stripYOfCarrierToNoise(chart, stripLowestDb));
}
