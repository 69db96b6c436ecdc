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

// Placed as the older figures of unknown unit are: 10 % at the weakest seen
// while locked, 99 % at the strongest.
static void strengthStandsIn(FrontendFigures& figures, LegacyRange& range)
{
    const double dbm = figures.strengthDbm;
    range.weakestDbm = range.strengthSeen ? std::min(range.weakestDbm, dbm) : dbm;
    range.strongestDbm = range.strengthSeen ? std::max(range.strongestDbm, dbm) : dbm;
    range.strengthSeen = true;
    const double spread = std::max(range.strongestDbm - range.weakestDbm, smallestStrengthSpreadDb);
    const double placed = 10.0 + 89.0 * (dbm - range.weakestDbm) / spread;
    figures.form = FormStrengthOnly;
    figures.statistics.hasStrength = true;
    figures.statistics.strengthPercent = static_cast<int32_t>(std::min(placed, 99.0));
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
    } else if (raw.olderSnrRead) {
        figures.olderSnrGiven = true;
        figures.form = range.seen ? legacyForm(range) : FormNone;
        takeLegacy(figures, raw.olderSnr, range);
    }
    if (raw.strengthScale == ScaleDecibel) {
        const double dbm = static_cast<double>(raw.strength) / 1000.0;
        figures.hasStrengthDbm = dbm >= weakestDbm && dbm <= strongestDbm;
        figures.strengthDbm = figures.hasStrengthDbm ? dbm : 0.0;
    } else if (raw.strengthScale == ScaleRelative) {
        statistics.hasStrength = true;
        statistics.strengthPercent = percentOfRelative(relativeFigure(raw.strength));
    } else if (raw.olderStrengthRead) {
        statistics.hasStrength = true;
        statistics.strengthPercent = percentOfRelative(raw.olderStrength);
    }
    const bool noSnr = !statistics.hasCarrierToNoise && !statistics.hasQuality;
    if (raw.v5 && statistics.locked && noSnr && !statistics.hasStrength && figures.hasStrengthDbm)
        strengthStandsIn(figures, range);
    return figures;
}

std::string formDescription(const FrontendFigures& figures)
{
    // The older s/n may stand in for a C/N the v5 statistics lack.
    const std::string older = figures.v5 ? "v5 without c/n, older" : "older (no v5),";
    switch (figures.form) {
    case FormNone: break;
    case FormDecibel: return "v5, c/n in 0.001 dB";
    case FormRelative: return "v5, relative c/n";
    case FormLegacyTenths: return older + " s/n in 0.1 dB";
    case FormLegacyScale: return older + " s/n on a 16-bit scale";
    case FormLegacyUnknown: return older + " s/n of unknown unit: quality within the range seen since the tune";
    case FormStrengthOnly: return "v5, strength only: quality within the strengths seen since the tune";
    }
    if (figures.v5 && figures.olderSnrGiven) return "v5 without c/n, older s/n unit told once locked";
    if (figures.v5) return "v5, no c/n figure now";
    if (figures.olderSnrGiven) return "older (no v5), s/n unit told once locked";
    return "none";
}
