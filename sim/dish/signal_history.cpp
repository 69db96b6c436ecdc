#include "sim/dish/signal_history.h"

#include <cmath>

static bool olderThanSpan(uint32_t timeMs, uint32_t nowMs) { return nowMs - timeMs > historySpanMs; }

bool addSample(SignalHistory& history, const SignalSample& sample)
{
    const bool wasLocked = !history.samples.empty() && history.samples.back().locked;
    if (!history.samples.empty() && sample.timeMs - history.samples.back().timeMs < sampleIntervalMs) return false;
    if (sample.locked != wasLocked) history.events.push_back(LockEvent{sample.timeMs, sample.locked});
    history.samples.push_back(sample);
    while (olderThanSpan(history.samples.front().timeMs, sample.timeMs)) history.samples.pop_front();
    while (!history.events.empty() && olderThanSpan(history.events.front().timeMs, sample.timeMs))
        history.events.pop_front();
    return true;
}

StripChart stripChartFor(const PixelRect& plot, const SignalHistory& history)
{
    return StripChart{plot, history.samples.empty() ? 0u : history.samples.back().timeMs};
}

double stripX(const StripChart& chart, uint32_t timeMs)
{
    // Signed, so that a time after the newest sample lies right of the plot.
    const double ageMs = static_cast<double>(static_cast<int32_t>(chart.newestMs - timeMs));
    return chart.plot.right - 1 - ageMs * (chart.plot.right - 1 - chart.plot.left) / historySpanMs;
}

double stripYOfCarrierToNoise(const StripChart& chart, double carrierToNoiseDb)
{
    const double share = (carrierToNoiseDb - stripLowestDb) / (stripHighestDb - stripLowestDb);
    return chart.plot.bottom - 1 - share * (chart.plot.bottom - 1 - chart.plot.top);
}

double stripYOfQuality(const StripChart& chart, double qualityPercent)
{
    return chart.plot.bottom - 1 - qualityPercent / 100.0 * (chart.plot.bottom - 1 - chart.plot.top);
}

static PixelPoint inPlot(const StripChart& chart, double x, double y)
{
    const double top = chart.plot.top, bottom = chart.plot.bottom - 1;
    return PixelPoint{static_cast<int>(std::lround(x)),
                      static_cast<int>(std::lround(std::fmin(bottom, std::fmax(top, y))))};
}

// Neighbouring samples that land on one pixel are drawn once.
static void extend(std::vector<PixelPoint>& line, PixelPoint point)
{
    if (line.empty() || !(line.back() == point)) line.push_back(point);
}

std::vector<std::vector<PixelPoint>> carrierToNoiseTrace(const StripChart& chart, const SignalHistory& history)
{
    std::vector<std::vector<PixelPoint>> runs;
    bool inRun = false;
    for (const SignalSample& sample : history.samples) {
        if (!sample.measured) {
            inRun = false;
            continue;
        }
        if (!inRun) runs.emplace_back();
        inRun = true;
        extend(runs.back(),
               inPlot(chart, stripX(chart, sample.timeMs), stripYOfCarrierToNoise(chart, sample.carrierToNoiseDb)));
    }
    return runs;
}

std::vector<std::vector<PixelPoint>> levelTrace(const StripChart& chart, const SignalHistory& history)
{
    std::vector<std::vector<PixelPoint>> runs;
    bool inRun = false;
    for (const SignalSample& sample : history.samples) {
        if (!sample.hasLevel) {
            inRun = false;
            continue;
        }
        if (!inRun) runs.emplace_back();
        inRun = true;
        extend(runs.back(),
               inPlot(chart, stripX(chart, sample.timeMs), stripYOfCarrierToNoise(chart, sample.levelAboveNoiseDb)));
    }
    return runs;
}

std::vector<PixelPoint> qualityTrace(const StripChart& chart, const SignalHistory& history)
{
    std::vector<PixelPoint> line;
    for (const SignalSample& sample : history.samples)
        extend(line, inPlot(chart, stripX(chart, sample.timeMs), stripYOfQuality(chart, sample.quality)));
    return line;
}
