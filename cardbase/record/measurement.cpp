#include "cardbase/record/measurement.h"

#include <cmath>
#include <cstdio>

#include "cardbase/pointing/pointing_figures.h"
#include "cardbase/record/record_csv.h"

void startMeasurement(Measurement& measurement, const std::string& id, const std::string& card, const CardTuning& asked,
                      int64_t unixMs, int32_t zoneMinutes, uint32_t nowMs)
{
    measurement = Measurement();
    measurement.running = true;
    measurement.startMs = measurement.lastReadingMs = nowMs;
    RecordEntry& entry = measurement.entry;
    entry.id = id;
    entry.card = card;
    entry.asked = asked;
    entry.startUnixMs = unixMs;
    entry.zoneMinutes = zoneMinutes;
}

// The C/N as the readings are shown (two decimals), in hundredths, so that
// the record's figures are the very ones shown.
static int32_t shownHundredths(float decibels)
{
    double shown = 0.0;
    if (!readDecimal(decibelText(decibels), &shown)) return 0;
    const double bounded = shown < -100.0 ? -100.0 : shown > 100.0 ? 100.0 : shown;
    return static_cast<int32_t>(std::lround(bounded * 100.0));
}

void measureReading(Measurement& measurement, const SignalReading& reading, const MeasurementContext& context,
                    uint32_t nowMs)
{
    if (!measurement.running) return;
    RecordEntry& entry = measurement.entry;
    const uint32_t sinceStart = nowMs - measurement.startMs;
    measurement.lastReadingMs = nowMs;
    entry.durationMs = sinceStart;
    ++entry.readings;
    entry.carrierToNoiseInDecibels = context.carrierToNoiseInDecibels;
    entry.expected = context.expected;
    entry.singleCable = context.singleCable;
    // Once another receiver has shown itself, the measurement keeps saying so.
    if (!context.userBandNote.empty()) entry.userBandNote = context.userBandNote;
    const bool finite = std::isfinite(reading.snr);
    if (reading.locked) {
        if (!entry.locked) entry.timeToLockMs = sinceStart;
        entry.locked = true;
        ++entry.lockedReadings;
        ++measurement.quality[reading.quality];
        if (finite) ++measurement.carrierToNoise[shownHundredths(reading.snr)];
        measurement.lastLockedMargin = context.margin;
        if (context.margin.choice.source != SourceUnknown) {
            measurement.hasChoice = true;
            measurement.choiceMargin = context.margin;
        }
        if (context.lnbError.state == LnbErrorKnown) {
            measurement.lnbErrorSumKHz += context.lnbError.errorKHz;
            ++measurement.lnbErrorReadings;
        }
        if (context.lnbError.state == LnbErrorKnown || measurement.lnbError.state != LnbErrorKnown)
            measurement.lnbError = context.lnbError;
        // The network's word is kept as it was last known: a lock lost at the end forgets it.
        if (context.network.state == NetworkKnown || entry.network.state != NetworkKnown)
            entry.network = context.network;
    }
    const uint32_t second = sinceStart / seriesPointMs;
    const RecordSeriesPoint point{second, reading.locked, finite ? reading.snr : 0.0f, reading.quality};
    if (!measurement.series.empty() && measurement.series.back().second == second) {
        measurement.series.back() = point;
    } else {
        measurement.series.push_back(point);
        if (measurement.series.size() > seriesLimitPoints) measurement.series.pop_front();
    }
}

bool measurementIdle(const Measurement& measurement, uint32_t nowMs)
{
    return measurement.running && nowMs - measurement.lastReadingMs >= measurementIdleMs;
}

// The least, the middle (the lower of two) and the greatest of values counted.
static RecordSpread spreadOf(const std::map<int32_t, uint32_t>& counts, double scale)
{
    RecordSpread spread;
    uint64_t total = 0;
    for (const auto& value : counts) total += value.second;
    if (total == 0) return spread;
    spread.known = true;
    spread.minimum = counts.begin()->first / scale;
    spread.peak = counts.rbegin()->first / scale;
    const uint64_t middle = (total - 1) / 2;
    uint64_t seen = 0;
    for (const auto& value : counts) {
        seen += value.second;
        if (seen > middle) {
            spread.median = value.first / scale;
            break;
        }
    }
    return spread;
}

static PositionTenths tenths(double degrees) { return static_cast<PositionTenths>(std::lround(degrees * 10.0)); }

// The network's position where it gives one, else the catalogue's when it
// expected exactly one.
static bool satelliteOf(const RecordEntry& entry, double* longitudeDeg)
{
    if (entry.network.state == NetworkKnown && entry.network.identity.certainty != PositionUnknown) {
        *longitudeDeg = entry.network.identity.position / 10.0;
        return true;
    }
    if (entry.expected.size() != 1) return false;
    *longitudeDeg = entry.expected[0] / 10.0;
    return true;
}

RecordPointing recordPointing(const RecordEntry& entry, const RecordSite& site)
{
    RecordPointing pointing;
    double longitude = 0.0;
    if (!site.known || !satelliteOf(entry, &longitude)) return pointing;
    PointingQuestion question{};
    question.site = site.site;
    question.satelliteLongitudeDeg = longitude;
    question.unixMs = entry.startUnixMs;
    question.zoneMinutes = entry.zoneMinutes;
    const PointingFigures figures = pointingFigures(question);
    pointing.known = true;
    pointing.site = site.site;
    pointing.satelliteLongitudeDeg = tenths(longitude) / 10.0;
    pointing.azimuthDeg = figures.look.direction.azimuthDeg;
    pointing.elevationDeg = figures.look.direction.elevationDeg;
    pointing.skewDeg = figures.look.direction.skewDeg;
    pointing.hasMagneticAzimuth = figures.declinationState == DeclinationKnown;
    pointing.magneticAzimuthDeg = figures.magneticAzimuthDeg;
    return pointing;
}

RecordEntry measurementEntry(const Measurement& measurement, const RecordSite& site)
{
    RecordEntry entry = measurement.entry;
    entry.qualityPercent = spreadOf(measurement.quality, 1.0);
    if (entry.carrierToNoiseInDecibels) entry.carrierToNoiseDb = spreadOf(measurement.carrierToNoise, 100.0);
    // The margin at the median C/N, against what the modulation and code rate need.
    entry.margin = measurement.hasChoice ? measurement.choiceMargin : measurement.lastLockedMargin;
    if (!entry.locked) {
        entry.margin = LinkMargin();
    } else if (!entry.carrierToNoiseInDecibels || !entry.carrierToNoiseDb.known) {
        entry.margin.state = MarginNoDecibels;
    } else if (measurement.hasChoice) {
        entry.margin.state = MarginKnown;
        entry.margin.marginDb =
            std::round((entry.carrierToNoiseDb.median - entry.margin.thresholdDb) * 10.0) / 10.0 + 0.0;
        entry.margin.verdict = judgeMargin(entry.margin.marginDb);
    } else {
        entry.margin.state = MarginNoModcod;
    }
    entry.pointing = recordPointing(entry, site);
    entry.lnbError = measurement.lnbError;
    if (measurement.lnbErrorReadings > 0)
        entry.lnbError.errorKHz = static_cast<int32_t>(
            std::llround(static_cast<double>(measurement.lnbErrorSumKHz) / measurement.lnbErrorReadings));
    return entry;
}

std::vector<RecordSeriesPoint> measurementSeries(const Measurement& measurement)
{
    return std::vector<RecordSeriesPoint>(measurement.series.begin(), measurement.series.end());
}

std::string measurementId(int64_t unixMs, const std::string& tag, uint32_t count)
{
    std::string time = isoUtcText(unixMs);
    std::string compact;
    for (char c : time)
        if (c != '-' && c != ':') compact += c;
    return compact + "-" + tag + "-" + std::to_string(count);
}
