#include "dvb/helper/signal_figures.h"

#include <algorithm>

// Tenths of a dB above 60 dB are no C/N a satellite gives.
static constexpr uint16_t highestTenths = 600;
// Below this spread the range seen is mostly noise.
static constexpr uint32_t smallestSpread = 4;
// What a tuner input can see, in dBm; anything else is no measurement.
static constexpr double weakestDbm = -120.0;
static constexpr double strongestDbm = 20.0;

StatisticsForm legacyForm(const LegacyRange& range)
{
    if (!range.seen) return FormLegacyUnknown;
    if (range.highest <= highestTenths) return FormLegacyTenths;
    if (range.lowest >= 0x8000) return FormLegacyUnknown;
    return FormLegacyScale;
}

static int32_t qualityWithinRange(const LegacyRange& range, uint16_t value)
{
    const uint32_t spread = std::max<uint32_t>(static_cast<uint32_t>(range.highest - range.lowest), smallestSpread);
    const uint32_t above = static_cast<uint32_t>(value - range.lowest);
    return static_cast<int32_t>(std::min<uint32_t>(10 + 89 * above / spread, 99));
}

static void takeLegacy(FrontendFigures& figures, uint16_t value, LegacyRange& range)
{
    if (!figures.statistics.locked) return;
    range.lowest = range.seen ? std::min(range.lowest, value) : value;
    range.highest = range.seen ? std::max(range.highest, value) : value;
    range.seen = true;
    figures.form = legacyForm(range);
    TunerStatistics& statistics = figures.statistics;
    switch (figures.form) {
    case FormLegacyTenths:
        statistics.hasCarrierToNoise = true;
        statistics.carrierToNoiseDb = value / 10.0;
        break;
    case FormLegacyScale:
        statistics.hasQuality = true;
        statistics.qualityPercent = percentOfRelative(value);
        break;
    default:
        statistics.hasQuality = true;
        statistics.qualityPercent = qualityWithinRange(range, value);
        break;
    }
}

static uint32_t relativeFigure(int64_t value)
{
    return static_cast<uint32_t>(std::min<int64_t>(std::max<int64_t>(value, 0), 65535));
}

FrontendFigures figuresFrom(const RawFigures& raw, LegacyRange& range)
{
    FrontendFigures figures;
    TunerStatistics& statistics = figures.statistics;
    statistics.locked = raw.locked;
    figures.v5 = raw.v5;
    if (!raw.v5) {
        figures.olderSnrGiven = raw.cnrScale != ScaleNone;
        figures.form = range.seen ? legacyForm(range) : FormNone;
        if (figures.olderSnrGiven) takeLegacy(figures, static_cast<uint16_t>(raw.cnr), range);
    } else if (raw.cnrScale == ScaleDecibel) {
        figures.form = FormDecibel;
        statistics.hasCarrierToNoise = true;
        statistics.carrierToNoiseDb = static_cast<double>(raw.cnr) / 1000.0;
    } else if (raw.cnrScale == ScaleRelative) {
        figures.form = FormRelative;
        statistics.hasQuality = true;
        statistics.qualityPercent = percentOfRelative(relativeFigure(raw.cnr));
    }
    if (raw.strengthScale == ScaleDecibel) {
        const double dbm = static_cast<double>(raw.strength) / 1000.0;
        figures.hasStrengthDbm = dbm >= weakestDbm && dbm <= strongestDbm;
        figures.strengthDbm = figures.hasStrengthDbm ? dbm : 0.0;
    } else if (raw.strengthScale == ScaleRelative) {
        statistics.hasStrength = true;
        statistics.strengthPercent = percentOfRelative(relativeFigure(raw.strength));
    }
    return figures;
}

std::string formDescription(const FrontendFigures& figures)
{
    switch (figures.form) {
    case FormNone: break;
    case FormDecibel: return "v5, c/n in 0.001 dB";
    case FormRelative: return "v5, relative c/n";
    case FormLegacyTenths: return "older (no v5), s/n in 0.1 dB";
    case FormLegacyScale: return "older (no v5), s/n on a 16-bit scale";
    case FormLegacyUnknown: return "older (no v5), s/n of unknown unit: quality within the range seen since the tune";
    }
    if (figures.v5) return "v5, no c/n figure now";
    if (figures.olderSnrGiven) return "older (no v5), s/n unit told once locked";
    return "none";
}
