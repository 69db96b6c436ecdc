#include "dvb/helper/figure_scales.h"

#include <cmath>

#include "cardbase/signal_scale.h"
#include "dvb/simulated/driver_statistics.h"

static DecodedSnr decibels(double db, bool atLeast)
{
    DecodedSnr decoded;
    decoded.kind = DecodedDecibels;
    decoded.carrierToNoiseDb = db;
    decoded.atLeast = atLeast;
    return decoded;
}

// A whole dB of 10 log10 of a whole ratio stands for the lowest whole ratio
// that reaches it (ds3000: 4 dB is 3:1, 4.77 dB, as 3.0 dB is 2:1).
static double lowestOfStep(const SnrScale& scale, double tenths)
{
    if (!scale.wholeRatio || tenths < 0.0) return tenths / 10.0;
    return 10.0 * std::log10(std::ceil(std::pow(10.0, tenths / 100.0) - 1e-9));
}

static DecodedSnr scaledSnr(const SnrScale& scale, uint16_t value)
{
    if (scale.capValue != 0 && value == scale.capValue) return decibels(lowestOfStep(scale, scale.topTenths), true);
    if (scale.negativeWholeDb && value >= 0xff00) return decibels(static_cast<int16_t>(value), false);
    uint64_t wide = value;
    if (scale.wrapsAt16Bits && wide * scale.multiplier % scale.divisor != 0) wide += 65536;
    const double steps = static_cast<double>(wide) * scale.multiplier / scale.divisor;
    const double tenths = std::round(steps) - scale.offsetTenths;
    if (tenths >= scale.topTenths) return decibels(lowestOfStep(scale, scale.topTenths), true);
    return decibels(lowestOfStep(scale, tenths), scale.roundsDown);
}

// stb0899_read_snr interpolates 10 log10 of the estimate linearly between
// rows up to four times apart, up to 1 dB high: the estimates that give
// this value are found by the driver's own arithmetic, and their middle
// taken as the ratio it is.
static DecodedSnr stb0899Estimate(uint16_t value)
{
    // 1 and 2 are the driver's special cases; past 1023 (0 dB) its unsigned difference wraps.
    constexpr uint32_t lowest = 3, highest = 1023;
    if (value == stb0899SnrOfEstimate(1)) return decibels(stb0899EsnoOfEstimate(1), false);
    if (value == stb0899SnrOfEstimate(2)) return decibels(stb0899EsnoOfEstimate(2), false);
    if (value > stb0899SnrOfEstimate(lowest)) {
        DecodedSnr wrapped = decibels(0.0, false);
        wrapped.below = true;
        return wrapped;
    }
    uint32_t low = lowest, high = highest;
    // The first estimate that gives this value or less (the value falls as the estimate grows).
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        if (stb0899SnrOfEstimate(middle) <= value) high = middle;
        else low = middle + 1;
    }
    const uint32_t first = low;
    high = highest;
    while (low < high) {
        const uint32_t middle = low + (high - low + 1) / 2;
        if (stb0899SnrOfEstimate(middle) >= value) low = middle;
        else high = middle - 1;
    }
    const double estimate = std::sqrt(static_cast<double>(first) * std::max(low, first));
    return decibels(stb0899EsnoOfEstimate(estimate), false);
}

DecodedSnr decodeOlderSnr(const SnrScale& scale, uint16_t value)
{
    switch (scale.kind) {
    case SnrOfUnknownUnit:
    case SnrV5WholeRatio: break;
    case SnrTenthsScaled: return scaledSnr(scale, value);
    case SnrRelative: {
        DecodedSnr decoded;
        decoded.kind = DecodedRelative;
        decoded.percent = percentOfRelative(value);
        return decoded;
    }
    case SnrStb0899Estimate: return stb0899Estimate(value);
    }
    return DecodedSnr();
}

DecodedSnr decodeV5Cnr(const SnrScale& scale, bool present, int64_t milliDb)
{
    if (scale.kind != SnrV5WholeRatio)
        return present ? decibels(static_cast<double>(milliDb) / 1000.0, false) : DecodedSnr();
    const double lowestRatio = scale.ratioRounded ? 1.5 : 2.0;
    if (!present) {
        DecodedSnr decoded = decibels(10.0 * std::log10(lowestRatio), false);
        decoded.below = true;
        return decoded;
    }
    const double ratio = std::round(std::pow(10.0, static_cast<double>(milliDb) / 10000.0));
    return decibels(10.0 * std::log10(scale.ratioRounded ? ratio - 0.5 : ratio), true);
}

bool decodeStrengthDbm(const StrengthScale& scale, uint16_t value, double* dbm)
{
    if (scale.kind != StrengthTenthsDbm) return false;
    const double tenths = static_cast<double>(value) * scale.multiplier / scale.divisor - scale.offsetTenths;
    *dbm = tenths / 10.0;
    return true;
}

bool ceilingOf(const SnrScale& scale, double* ceilingDb)
{
    if (scale.kind != SnrTenthsScaled || scale.topTenths == 0x7fff) return false;
    *ceilingDb = lowestOfStep(scale, scale.topTenths);
    return true;
}
