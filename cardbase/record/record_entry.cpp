#include "cardbase/record/record_entry.h"

#include <cmath>
#include <cstdio>

#include "cardbase/network/network_identity.h"
#include "cardbase/record/record_csv.h"

const char* recordPolarization(int32_t polarization) { return polarization == 0 ? "H" : polarization == 1 ? "V" : ""; }

std::string decibelText(double decibels) { return decimalText(decibels, 2); }

std::string entryVerdict(const RecordEntry& entry)
{
    if (!entry.locked) return "no lock";
    return entry.margin.state == MarginKnown ? verdictWord(entry.margin.verdict) : "locked";
}

static std::string seconds(uint32_t ms) { return decimalText(ms / 1000.0, 1); }
static std::string whole(int64_t value) { return std::to_string(value); }

static std::string spread(const RecordSpread& figures, double RecordSpread::*which, int places)
{
    return figures.known ? decimalText(figures.*which, places) : std::string();
}

static bool withDecibels(const RecordEntry& e) { return e.carrierToNoiseInDecibels && e.carrierToNoiseDb.known; }
static std::string carrierToNoise(const RecordEntry& e, double RecordSpread::*which)
{
    return withDecibels(e) ? decibelText(e.carrierToNoiseDb.*which) : std::string();
}

static bool marginKnown(const RecordEntry& e) { return e.locked && e.margin.state == MarginKnown; }
static bool modcodKnown(const RecordEntry& e) { return e.locked && e.margin.choice.source != SourceUnknown; }

static std::string marginNote(const RecordEntry& e)
{
    if (!e.locked || marginKnown(e)) return std::string();
    std::string why = marginUnknownText(e.margin);
    if (e.margin.state == MarginNoModcod && !modcodGapsText(e.margin).empty()) why += ": " + modcodGapsText(e.margin);
    return why;
}

static bool networkKnown(const RecordEntry& e) { return e.network.state == NetworkKnown; }

static std::string networkVerdict(const RecordEntry& e)
{
    switch (e.network.state) {
    case NetworkNotLocked: return e.locked ? "not read" : "";
    case NetworkReading: return "not read";
    case NetworkNoInformation: return "no information";
    case NetworkKnown: break;
    }
    static const char* const verdicts[] = {"unknown", "unexpected", "expected", "wrong", "probable"};
    return verdicts[judgePosition(e.network.identity, e.expected)];
}

static std::string networkPosition(const RecordEntry& e)
{
    if (!networkKnown(e) || e.network.identity.certainty == PositionUnknown) return std::string();
    return positionText(e.network.identity.position);
}

static std::string expectedPositions(const RecordEntry& e)
{
    std::string text;
    for (PositionTenths position : e.expected) text += (text.empty() ? "" : " ") + positionText(position);
    return text;
}

static std::string pointing(const RecordEntry& e, double RecordPointing::*which, int places)
{
    return e.pointing.known ? decimalText(e.pointing.*which, places) : std::string();
}

static std::string note(const RecordEntry& e)
{
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (!e.locked) add("no lock in " + whole(std::lround(e.durationMs / 1000.0)) + " s");
    if (e.locked && !e.carrierToNoiseInDecibels)
        add("the card gives no C/N in dB, so no C/N and no margin are given (a percentage only)");
    if (e.interrupted) add("cut short: the program ended during the measurement; figures as last kept");
    if (!e.userBandNote.empty()) add(e.userBandNote);
    if (!e.remark.empty()) add(e.remark);
    return text;
}

const RecordColumn recordColumns[] = {
    {"measurement_id", "the measurement's id; its C/N series in record-series.csv carries the same",
     [](const RecordEntry& e) { return csvField(e.id); }},
    {"start_utc", "when the transponder was asked for, UTC (ISO 8601)",
     [](const RecordEntry& e) { return isoUtcText(e.startUnixMs); }},
    {"start_local", "the same moment in the PC's local time, with its offset from UTC (ISO 8601)",
     [](const RecordEntry& e) { return isoLocalText(e.startUnixMs, e.zoneMinutes); }},
    {"duration_s", "seconds from the start to the last reading",
     [](const RecordEntry& e) { return seconds(e.durationMs); }},
    {"card", "the card that measured", [](const RecordEntry& e) { return csvTextField(e.card); }},
    {"frequency_mhz", "the transponder's downlink frequency as asked, MHz",
     [](const RecordEntry& e) { return whole(e.asked.frequencyMHz); }},
    {"polarisation", "H or V; empty for a transponder without a letter",
     [](const RecordEntry& e) { return std::string(recordPolarization(e.asked.polarization)); }},
    {"symbol_rate_ksps", "symbol rate as asked, kS/s", [](const RecordEntry& e) { return whole(e.asked.symbolRate); }},
    {"switch", "the DiSEqC switch letters (A, B, AA, BA, AB, BB); empty without a switch",
     [](const RecordEntry& e) {
         static const char* const letters[] = {"", "A", "B", "AA", "BA", "AB", "BB"};
         return std::string(e.asked.diseqcCode >= 0 && e.asked.diseqcCode <= 6 ? letters[e.asked.diseqcCode] : "");
     }},
    {"band", "the LNB's band: low, or high (22 kHz tone on)",
     [](const RecordEntry& e) { return std::string(e.asked.lnbSelection == 1 ? "high" : "low"); }},
    {"lnb_lo_mhz", "the LNB's local oscillator as asked, MHz",
     [](const RecordEntry& e) { return whole(e.asked.lnbFrequencyMHz); }},
    {"lnb_error_mhz",
     "how far the LNB's oscillator is off, above its nominal frequency positive, MHz: the mean over the locked "
     "readings, from the frequency the tuner found the carrier at; empty where the card does not say",
     [](const RecordEntry& e) {
         return e.lnbError.state == LnbErrorKnown ? decimalText(e.lnbError.errorKHz / 1000.0, 2) : std::string();
     }},
    {"single_cable",
     "the single-cable device measured through: its standard, user band and the band's frequency in MHz "
     "(en50494,1,1210; never the PIN); empty without one",
     [](const RecordEntry& e) { return csvTextField(e.singleCable); }},
    {"verdict", "good, marginal or failing (the margin's verdict); locked (no margin to judge); no lock",
     [](const RecordEntry& e) { return entryVerdict(e); }},
    {"time_to_lock_s", "seconds from the start to the first locked reading; empty without lock",
     [](const RecordEntry& e) { return e.locked ? seconds(e.timeToLockMs) : std::string(); }},
    {"locked_percent", "the share of readings with lock, percent",
     [](const RecordEntry& e) {
         return e.readings ? decimalText(100.0 * e.lockedReadings / e.readings, 1) : std::string();
     }},
    {"readings", "the number of readings taken (ten a second while the program measures)",
     [](const RecordEntry& e) { return whole(e.readings); }},
    {"cn_min_db", "the least C/N of the locked readings, dB",
     [](const RecordEntry& e) { return carrierToNoise(e, &RecordSpread::minimum); }},
    {"cn_median_db",
     "the median C/N of the locked readings (the middle one; of an even number the lower middle one), dB",
     [](const RecordEntry& e) { return carrierToNoise(e, &RecordSpread::median); }},
    {"cn_peak_db", "the greatest C/N of the locked readings, dB",
     [](const RecordEntry& e) { return carrierToNoise(e, &RecordSpread::peak); }},
    {"quality_min_percent", "the least quality of the locked readings, percent",
     [](const RecordEntry& e) { return spread(e.qualityPercent, &RecordSpread::minimum, 0); }},
    {"quality_median_percent", "the median quality of the locked readings, percent",
     [](const RecordEntry& e) { return spread(e.qualityPercent, &RecordSpread::median, 0); }},
    {"quality_peak_percent", "the greatest quality of the locked readings, percent",
     [](const RecordEntry& e) { return spread(e.qualityPercent, &RecordSpread::peak, 0); }},
    {"modulation", "the modulation and code rate the margin is reckoned for (DVB-S2 8PSK 3/4); empty when unknown",
     [](const RecordEntry& e) { return modcodKnown(e) ? modcodName(e.margin.choice.modcod) : std::string(); }},
    {"modulation_source", "who named the modulation and code rate: tuner, network or user",
     [](const RecordEntry& e) { return modcodKnown(e) ? std::string(sourceWord(e.margin.choice.source)) : ""; }},
    {"threshold_db", "the C/N that modulation and code rate need, dB",
     [](const RecordEntry& e) { return modcodKnown(e) ? decibelText(e.margin.thresholdDb) : std::string(); }},
    {"margin_db", "the link margin: the median C/N less the threshold, dB",
     [](const RecordEntry& e) { return marginKnown(e) ? decimalText(e.margin.marginDb, 1) : std::string(); }},
    {"margin_verdict", "good (3 dB or more), marginal (0 to 3 dB) or failing (below 0)",
     [](const RecordEntry& e) { return marginKnown(e) ? std::string(verdictWord(e.margin.verdict)) : ""; }},
    {"margin_note", "why there is no margin where there is none",
     [](const RecordEntry& e) { return csvTextField(marginNote(e)); }},
    {"network_name", "the network's name in its own table",
     [](const RecordEntry& e) { return networkKnown(e) ? csvTextField(e.network.identity.networkName) : ""; }},
    {"network_id", "the network's id (0xff44)",
     [](const RecordEntry& e) {
         char id[16];
         std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(e.network.identity.networkId));
         return networkKnown(e) ? std::string(id) : std::string();
     }},
    {"network_position", "the orbital position the network gives (19.2E, 30.0W)", networkPosition},
    {"network_verdict",
     "expected (the catalogue's position), wrong (another satellite), probable (only the table's most common "
     "position), unexpected (the catalogue expected none), unknown (no position), no information (no network "
     "table), not read (the lock was too short)",
     networkVerdict},
    {"expected_positions", "the catalogue's orbital positions for the transponder, blank-separated", expectedPositions},
    {"site_latitude", "the site's latitude, degrees north (from site= in the card's settings file)",
     [](const RecordEntry& e) { return e.pointing.known ? decimalText(e.pointing.site.latitudeDeg, 4) : ""; }},
    {"site_longitude", "the site's longitude, degrees east",
     [](const RecordEntry& e) { return e.pointing.known ? decimalText(e.pointing.site.longitudeDeg, 4) : ""; }},
    {"satellite_position", "the orbital position the pointing is for: the network's, else the catalogue's",
     [](const RecordEntry& e) {
         return e.pointing.known
                    ? positionText(static_cast<PositionTenths>(std::lround(e.pointing.satelliteLongitudeDeg * 10)))
                    : std::string();
     }},
    {"azimuth_deg", "the dish's azimuth from true north, degrees",
     [](const RecordEntry& e) { return pointing(e, &RecordPointing::azimuthDeg, 1); }},
    {"magnetic_azimuth_deg", "the azimuth a compass reads, degrees",
     [](const RecordEntry& e) {
         return e.pointing.hasMagneticAzimuth ? pointing(e, &RecordPointing::magneticAzimuthDeg, 1) : "";
     }},
    {"elevation_deg", "the dish's elevation above the horizon, degrees",
     [](const RecordEntry& e) { return pointing(e, &RecordPointing::elevationDeg, 1); }},
    {"lnb_skew_deg", "the LNB's turn, degrees, clockwise seen from behind the dish",
     [](const RecordEntry& e) { return pointing(e, &RecordPointing::skewDeg, 1); }},
    {"note",
     "what else there is to know (no lock in 42 s; no C/N in dB; cut short; another receiver uses user band 1; a "
     "survey's words)",
     [](const RecordEntry& e) { return csvTextField(note(e)); }},
};
const size_t recordColumnCount = sizeof recordColumns / sizeof recordColumns[0];

std::vector<std::string> recordColumnNames()
{
    std::vector<std::string> names;
    for (const RecordColumn& column : recordColumns) names.push_back(column.name);
    return names;
}

std::string recordHeaderLine() { return csvLine(recordColumnNames()); }

std::string recordLine(const RecordEntry& entry)
{
    std::vector<std::string> fields;
    for (const RecordColumn& column : recordColumns) fields.push_back(column.value(entry));
    return csvLine(fields);
}

const SeriesColumn seriesColumns[] = {
    {"measurement_id", "the measurement's id in record.csv"},
    {"second", "seconds since the transponder was asked for"},
    {"locked", "1 locked, 0 not"},
    {"cn_db", "the C/N then, dB; empty without lock or without a C/N in dB"},
    {"quality_percent", "the quality then, percent"},
};
const size_t seriesColumnCount = sizeof seriesColumns / sizeof seriesColumns[0];

std::vector<std::string> seriesColumnNames()
{
    std::vector<std::string> names;
    for (const SeriesColumn& column : seriesColumns) names.push_back(column.name);
    return names;
}

std::string seriesHeaderLine() { return csvLine(seriesColumnNames()); }

std::string seriesLines(const std::string& id, bool carrierToNoiseInDecibels,
                        const std::vector<RecordSeriesPoint>& series)
{
    std::string lines;
    const std::string key = csvField(id);
    for (const RecordSeriesPoint& point : series) {
        const bool withFigure = point.locked && carrierToNoiseInDecibels;
        lines += csvLine({key, whole(point.second), point.locked ? "1" : "0",
                          withFigure ? decibelText(point.carrierToNoiseDb) : "", whole(point.qualityPercent)});
    }
    return lines;
}
