#include "cardbase/signal_scale.h"

#include <cmath>

static constexpr double lockDb = 4.0;
static constexpr double lockPercent = 10.0;
static constexpr double percentPerDb = 89.0 / 12.0;

static int32_t withinScale(double percent)
{
    if (!(percent >= 1.0)) return 1;  // NaN included
    if (percent > 99.0) return 99;
    return static_cast<int32_t>(std::lround(percent));
}

int32_t qualityFromCarrierToNoise(double carrierToNoiseDb)
{
    return withinScale(lockPercent + (carrierToNoiseDb - lockDb) * percentPerDb);
}

double carrierToNoiseFromQuality(int32_t qualityPercent)
{
    const int32_t percent = qualityPercent < 0 ? 0 : qualityPercent > 100 ? 100 : qualityPercent;
    return lockDb + (percent - lockPercent) / percentPerDb;
}

SignalReading readingFromStatistics(const TunerStatistics& statistics)
{
    if (!statistics.locked) return SignalReading{false, 0, 0.0f};
    if (statistics.hasCarrierToNoise && std::isfinite(statistics.carrierToNoiseDb)) {
        return SignalReading{true, qualityFromCarrierToNoise(statistics.carrierToNoiseDb),
                             static_cast<float>(statistics.carrierToNoiseDb)};
    }
    int32_t percent = 0;
    if (statistics.hasQuality) percent = statistics.qualityPercent;
    else if (statistics.hasStrength) percent = statistics.strengthPercent;
    const int32_t quality = withinScale(percent);
    return SignalReading{true, quality, static_cast<float>(carrierToNoiseFromQuality(quality))};
}

int32_t percentOfRelative(uint32_t relative)
{
    if (relative > 65535) relative = 65535;
    return static_cast<int32_t>((relative * 100 + 32767) / 65535);
}
