#include "dvb/helper/frontend/signal_figures.h"

#include <algorithm>
#include <cstdio>

// Tenths of a dB above 60 dB are no C/N a satellite gives.
static constexpr uint16_t highestTenths = 600;
// An older figure whose every value is this or more is a small negative
// number read as unsigned (-256 .. -1).
static constexpr uint16_t lowestNegative = 0xff00;
// What a tuner input can see, in dBm; anything else is no measurement.
static constexpr double weakestDbm = -120.0;
static constexpr double strongestDbm = 20.0;

static StatisticsForm unknownOlderForm(const FigureMemory& memory)
{
    if (memory.highest <= highestTenths) return FormLegacyTenths;
    if (memory.lowest >= lowestNegative) return FormLegacyNegative;
    return FormLegacyScale;
}

// 10 % at the bottom of the range, 99 % at its top.
static double placed(double value, double lowest, double highest)
{
    return std::min(std::max(10.0 + 89.0 * (value - lowest) / (highest - lowest), 1.0), 99.0);
}

// The mean of what was placed over the latest second.
static int32_t smoothed(FigureMemory& memory, StatisticsForm form, double percent, uint64_t nowMs)
{
    if (memory.smoothedForm != form) memory.count = 0;
    memory.smoothedForm = form;
    int kept = 0;
    for (int i = 0; i < memory.count; ++i)
        if (nowMs - memory.recent[i].atMs < smoothingMs) memory.recent[kept++] = memory.recent[i];
    if (kept == FigureMemory::held) {
        std::copy(memory.recent + 1, memory.recent + kept, memory.recent);
        --kept;
    }
    memory.recent[kept++] = FigureMemory::Placed{nowMs, percent};
    memory.count = kept;
    double sum = 0.0;
    for (int i = 0; i < kept; ++i) sum += memory.recent[i].percent;
    return static_cast<int32_t>(sum / kept + 0.5);
}

static void takeDecoded(FrontendFigures& figures, const DecodedSnr& decoded, StatisticsForm decibelForm)
{
    TunerStatistics& statistics = figures.statistics;
    if (decoded.kind == DecodedRelative) {
        figures.form = FormDriverRelative;
        statistics.hasQuality = true;
        statistics.qualityPercent = decoded.percent;
    } else if (decoded.kind == DecodedDecibels) {
        figures.form = decibelForm;
        statistics.hasCarrierToNoise = true;
        statistics.carrierToNoiseDb = decoded.carrierToNoiseDb;
        figures.carrierToNoiseAtLeast = decoded.atLeast;
        figures.carrierToNoiseAtMost = decoded.atMost;
        figures.carrierToNoiseBelow = decoded.below;
    }
}

// An older s/n of a locked frontend.
static void takeOlder(FrontendFigures& figures, uint16_t value, FigureMemory& memory, const FigureScales& scales,
                      uint64_t nowMs)
{
    if (!figures.statistics.locked) return;
    if (scales.snr.kind != SnrOfUnknownUnit) {
        takeDecoded(figures, decodeOlderSnr(scales.snr, value), FormDriverDecibel);
        if (figures.statistics.hasCarrierToNoise) figures.carrierToNoiseStepDb = scales.snr.stepTenths / 10.0;
        return;
    }
    memory.lowest = memory.seen ? std::min(memory.lowest, value) : value;
    memory.highest = memory.seen ? std::max(memory.highest, value) : value;
    memory.seen = true;
    figures.form = unknownOlderForm(memory);
    TunerStatistics& statistics = figures.statistics;
    switch (figures.form) {
    case FormLegacyTenths:
        statistics.hasCarrierToNoise = true;
        statistics.carrierToNoiseDb = value / 10.0;
        break;
    case FormLegacyNegative: {
        const double percent = placed(static_cast<int16_t>(value), negativeFigureLowest, negativeFigureHighest);
        statistics.hasQuality = true;
        statistics.qualityPercent = smoothed(memory, FormLegacyNegative, percent, nowMs);
        break;
    }
    default:
        statistics.hasQuality = true;
        statistics.qualityPercent = percentOfRelative(value);
        break;
    }
}

// With no s/n at all, the strength in dBm stands for it on its fixed range.
static void strengthStandsIn(FrontendFigures& figures, FigureMemory& memory, uint64_t nowMs)
{
    const double percent = placed(figures.strengthDbm, strengthLowestDbm, strengthHighestDbm);
    figures.form = FormStrengthOnly;
    figures.statistics.hasStrength = true;
    figures.statistics.strengthPercent = smoothed(memory, FormStrengthOnly, percent, nowMs);
}

static uint32_t relativeFigure(int64_t value)
{
    return static_cast<uint32_t>(std::min<int64_t>(std::max<int64_t>(value, 0), 65535));
}

// What a tuner input can see: anything else is no measurement.
static bool measurable(const SignalLevel& level)
{
    return level.unit != LevelDbm || (level.value >= weakestDbm && level.value <= strongestDbm);
}

SignalLevel strengthLevel(const StrengthScale& scale, const RawFigures& raw)
{
    SignalLevel level;
    if (scale.onlyLocked && !raw.locked) return level;
    bool known = false;
    if (raw.strengthScale == ScaleDecibel && !scale.v5Ignored) {
        level.unit = scale.v5IsGain ? LevelGain : LevelDbm;
        level.value = static_cast<double>(raw.strength) / 1000.0;
        if (level.unit == LevelDbm) boundDbmLevel(scale, &level);
        known = true;
    } else if (raw.strengthScale == ScaleRelative && raw.v5 && !scale.v5Ignored) {
        level.unit = LevelPercent;
        level.value = percentOfRelative(relativeFigure(raw.strength));
        known = true;
    } else if (raw.strengthScale == ScaleRelative && !raw.v5) {
        // libdvbv5 hands the older strength on as relative.
        known = decodeOlderStrength(scale, static_cast<uint16_t>(relativeFigure(raw.strength)), &level);
    } else if (raw.olderStrengthRead) {
        known = decodeOlderStrength(scale, raw.olderStrength, &level);
    }
    if (known && measurable(level)) level.state = LevelLive;
    return level;
}

std::string strengthText(const SignalLevel& level)
{
    char text[80];
    if (!levelHasValue(level)) return "-";
    if (level.unit == LevelPercent) std::snprintf(text, sizeof text, "%.0f %%", level.value);
    else if (level.unit == LevelGain)
        std::snprintf(text, sizeof text, "%.1f dB (the tuner's gain, not dBm)", level.value);
    else if (level.ranged)
        std::snprintf(text, sizeof text, "%.0f to %.0f %s", std::max(level.value, level.rangeTo),
                      std::min(level.value, level.rangeTo), levelUnitName(level.unit));
    else
        std::snprintf(text, sizeof text, "%.1f %s%s", level.value, levelUnitName(level.unit),
                      level.bound == LevelOrLess   ? " or less"
                      : level.bound == LevelOrMore ? " or more"
                                                   : "");
    return text;
}

FrontendFigures figuresFrom(const RawFigures& raw, FigureMemory& memory, const FigureScales& scales, uint64_t nowMs)
{
    FrontendFigures figures;
    TunerStatistics& statistics = figures.statistics;
    statistics.locked = raw.locked;
    figures.v5 = raw.v5;
    const bool known = scales.snr.kind != SnrOfUnknownUnit;
    if (!raw.v5) {
        figures.olderSnrGiven = raw.cnrScale != ScaleNone;
        figures.form = memory.seen ? unknownOlderForm(memory) : FormNone;
        if (figures.olderSnrGiven) takeOlder(figures, static_cast<uint16_t>(raw.cnr), memory, scales, nowMs);
    } else if (raw.cnrScale == ScaleDecibel || (scales.snr.kind == SnrV5WholeRatio && raw.locked)) {
        if (raw.locked || raw.cnrScale == ScaleDecibel)
            takeDecoded(figures, decodeV5Cnr(scales.snr, raw.cnrScale == ScaleDecibel, raw.cnr), FormDecibel);
    } else if (raw.cnrScale == ScaleRelative) {
        figures.form = FormRelative;
        statistics.hasQuality = true;
        statistics.qualityPercent = percentOfRelative(relativeFigure(raw.cnr));
    } else if (raw.olderSnrRead) {
        figures.olderSnrGiven = true;
        figures.form = memory.seen && !known ? unknownOlderForm(memory) : FormNone;
        takeOlder(figures, raw.olderSnr, memory, scales, nowMs);
    }
    figures.strength = strengthLevel(scales.strength, raw);
    if (levelHasValue(figures.strength) && figures.strength.unit == LevelDbm) {
        figures.hasStrengthDbm = true;
        figures.strengthDbm = figures.strength.value;
    } else if (levelHasValue(figures.strength) && figures.strength.unit == LevelPercent) {
        statistics.hasStrength = true;
        statistics.strengthPercent = static_cast<int32_t>(figures.strength.value + 0.5);
    }
    const bool noSnr = !statistics.hasCarrierToNoise && !statistics.hasQuality;
    if (raw.v5 && statistics.locked && noSnr && !statistics.hasStrength && figures.hasStrengthDbm)
        strengthStandsIn(figures, memory, nowMs);
    return figures;
}

std::string formDescription(const FrontendFigures& figures)
{
    // The older s/n may stand in for a C/N the v5 statistics lack.
    const std::string older = figures.v5 ? "v5 without c/n, older" : "older (no v5),";
    switch (figures.form) {
    case FormNone: break;
    case FormDecibel:
        return figures.carrierToNoiseAtLeast || figures.carrierToNoiseAtMost || figures.carrierToNoiseBelow
                   ? "v5, c/n in 0.001 dB, in the driver's own steps"
                   : "v5, c/n in 0.001 dB";
    case FormRelative: return "v5, relative c/n";
    case FormLegacyTenths: return older + " s/n in 0.1 dB";
    case FormLegacyScale: return older + " s/n on a 16-bit scale";
    case FormLegacyNegative:
        return older + " s/n a negative figure of unknown unit: quality on a fixed range, smoothed";
    case FormStrengthOnly: return "v5, strength only: quality on a fixed range of dBm, smoothed";
    case FormDriverDecibel: return older + " s/n read as c/n by the driver's own arithmetic";
    case FormDriverRelative: return older + " s/n the driver's relative figure: no c/n in dB";
    }
    if (figures.v5 && figures.olderSnrGiven) return "v5 without c/n, older s/n unit told once locked";
    if (figures.v5) return "v5, no c/n figure now";
    if (figures.olderSnrGiven) return "older (no v5), s/n unit told once locked";
    return "none";
}

std::string carrierToNoiseText(const FrontendFigures& figures)
{
    char text[80];
    const double db = figures.statistics.carrierToNoiseDb;
    if (figures.carrierToNoiseBelow) std::snprintf(text, sizeof text, "below %.1f dB", db);
    else if (figures.carrierToNoiseAtMost) std::snprintf(text, sizeof text, "%.1f dB or less", db);
    else if (figures.carrierToNoiseAtLeast && figures.carrierToNoiseStepDb >= 1.0)
        std::snprintf(text, sizeof text, "%.1f dB or more (in the driver's whole-dB steps)", db);
    else std::snprintf(text, sizeof text, figures.carrierToNoiseAtLeast ? "%.1f dB or more" : "%.1f dB", db);
    return text;
}
