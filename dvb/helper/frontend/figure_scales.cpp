#include "dvb/helper/frontend/figure_scales.h"

#include <cmath>

#include "cardbase/signal_scale.h"
#include "dvb/common/driver_statistics.h"

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
    if (tenths <= scale.bottomTenths) {
        DecodedSnr floor = decibels(scale.bottomTenths / 10.0, false);
        floor.atMost = true;
        return floor;
    }
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

void boundDbmLevel(const StrengthScale& scale, SignalLevel* level)
{
    const double dbm = level->value;
    if (scale.flatTopDbm != 0 && dbm >= scale.flatLowDbm && dbm <= scale.flatHighDbm) {
        level->ranged = true;
        level->rangeTo = scale.flatTopDbm;
    } else if (scale.lowestDbm != scale.highestDbm && dbm < scale.lowestDbm) {
        level->value = scale.lowestDbm;
        level->bound = LevelOrLess;
    } else if (scale.lowestDbm != scale.highestDbm && dbm > scale.highestDbm) {
        level->value = scale.highestDbm;
        level->bound = LevelOrMore;
    }
}

// cx24117_read_signal_strength keeps -100 x AGC + 94324 in 16 bits: above
// 65535 (an AGC below 288) and below 0 (above 943) it wraps. The residue of
// 100 tells which: 24 as it is, 88 wrapped once down, 60 once up.
static bool unwrappedAgc(uint16_t value, int32_t* agc)
{
    int32_t whole = value;
    if (value % 100 == 88) whole += 65536;
    else if (value % 100 == 60) whole -= 65536;
    else if (value % 100 != 24) return false;
    *agc = (94324 - whole) / 100;
    return *agc >= 0 && *agc <= 1023;
}

bool decodeOlderStrength(const StrengthScale& scale, uint16_t value, SignalLevel* level)
{
    level->bound = LevelExact;
    level->ranged = false;
    switch (scale.kind) {
    case StrengthRelative:
        level->unit = LevelPercent;
        level->value = percentOfRelative(value);
        return true;
    case StrengthTenthsDbm: {
        const double tenths = std::round(static_cast<double>(value) * scale.multiplier / scale.divisor) -
                              static_cast<double>(scale.offsetTenths);
        level->unit = LevelDbm;
        level->value = tenths / 10.0;
        boundDbmLevel(scale, level);
        if (scale.capValue != 0 && value == scale.capValue) {
            level->value = scale.highestDbm;
            level->bound = LevelOrMore;
        }
        return true;
    }
    case StrengthUnwrapped: {
        int32_t agc = 0;
        if (!unwrappedAgc(value, &agc)) return false;
        // The gain control opens as the signal falls: its whole range as a percentage.
        level->unit = LevelPercent;
        level->value = (1023 - agc) * 100.0 / 1023.0;
        return true;
    }
    }
    return false;
}

bool ceilingOf(const SnrScale& scale, double* ceilingDb)
{
    if (scale.kind != SnrTenthsScaled || scale.topTenths == 0x7fff) return false;
    *ceilingDb = lowestOfStep(scale, scale.topTenths);
    return true;
}
