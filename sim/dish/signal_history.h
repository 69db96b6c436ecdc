// The last minute of the simulated dish's signal, for the strip chart of
// its window: samples of C/N and the quality the card reports, the moments
// the lock came and went, and where they fall on the chart. Times are the
// millisecond tick count, which may wrap. Platform-neutral.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/dish/sky_chart.h"

struct SignalSample {
    uint32_t timeMs;
    bool measured;  // the tuning reaches a carrier, so the C/N means something
    double carrierToNoiseDb;
    int32_t quality;  // percent, 0 without lock
    bool locked;
    bool hasLevel = false;  // the tuner measured a level (dish_level.h)
    double levelAboveNoiseDb = 0.0;
};

struct LockEvent {
    uint32_t timeMs;
    bool locked;  // found, or lost
};

constexpr uint32_t historySpanMs = 60000;
constexpr uint32_t sampleIntervalMs = 100;

struct SignalHistory {
    std::deque<SignalSample> samples;  // oldest first
    std::deque<LockEvent> events;
};

// Keeps the sample when `sampleIntervalMs` has passed since the latest one
// (true then); a change of lock since that one is an event. Whatever is
// more than `historySpanMs` older than the new sample leaves.
bool addSample(SignalHistory& history, const SignalSample& sample);

// The strip chart: the newest sample at the right edge of the plot, one
// minute before it at the left; C/N from -5 to 20 dB and quality from 0 to
// 100 % up the same height, so the grid lines of both fall together.
struct StripChart {
    PixelRect plot;
    uint32_t newestMs;
};
constexpr double stripLowestDb = -5.0;
constexpr double stripHighestDb = 20.0;

StripChart stripChartFor(const PixelRect& plot, const SignalHistory& history);
// Fractional pixels, beyond the plot's edges for values beyond its range.
double stripX(const StripChart& chart, uint32_t timeMs);
double stripYOfCarrierToNoise(const StripChart& chart, double carrierToNoiseDb);
double stripYOfQuality(const StripChart& chart, double qualityPercent);

// The C/N trace, one polyline for each run of measured samples, kept
// within the plot.
std::vector<std::vector<PixelPoint>> carrierToNoiseTrace(const StripChart& chart, const SignalHistory& history);
// The level over the noise, one polyline for each run of samples with a
// level, on the C/N's scale: it rises before the lock as the C/N does after.
std::vector<std::vector<PixelPoint>> levelTrace(const StripChart& chart, const SignalHistory& history);
// The quality trace, over every sample.
std::vector<PixelPoint> qualityTrace(const StripChart& chart, const SignalHistory& history);
