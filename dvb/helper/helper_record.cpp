#include "dvb/helper/helper_record.h"

#include "dvb/helper/frontend/helper_margin.h"

bool openHelperRecord(HelperRecord& record, const std::string& folder, const std::string& tag, const std::string& card,
                      const RecordSite& site)
{
    record.card = card;
    record.site = site;
    record.open = openRecordStore(record.store, folder, tag);
    return record.open;
}

void closeHelperRecord(HelperRecord& record)
{
    helperRecordEnd(record);
    closeRecordStore(record.store);
    record.open = false;
}

void helperRecordTuned(HelperRecord& record, const CardTuning& tuning, const std::vector<PositionTenths>& expected,
                       int64_t unixMs, int32_t zoneMinutes, uint32_t nowMs)
{
    if (!record.open) return;
    helperRecordEnd(record);
    record.expected = expected;
    record.keptAside = false;
    record.lastNumber = 0;
    startMeasurement(record.measurement, measurementId(unixMs, record.store.tag, ++record.count), record.card, tuning,
                     unixMs, zoneMinutes, nowMs);
    record.measurement.entry.singleCable = record.singleCable;
}

void helperRecordReading(HelperRecord& record, const LatestReading& latest, const ModcodWord& user, uint32_t nowMs)
{
    if (!record.open || !record.measurement.running || !latest.answered || latest.readingNumber == record.lastNumber)
        return;
    record.lastNumber = latest.readingNumber;
    MeasurementContext context;
    context.carrierToNoiseInDecibels = carrierToNoiseInDecibels(latest.figures);
    context.margin = helperMargin(latest, user);
    context.network = latest.network;
    context.expected = record.expected;
    context.lnbError = latest.lnbError;
    measureReading(record.measurement, latest.reading, context, nowMs);
    if (!latest.userBandNote.empty()) record.measurement.entry.userBandNote = latest.userBandNote;
    if (record.keptAside && nowMs - record.keptAtMs < runningFileIntervalMs) return;
    record.keptAside = true;
    record.keptAtMs = nowMs;
    keepRunning(record.store, measurementEntry(record.measurement, record.site), measurementSeries(record.measurement));
}

bool helperRecordEnd(HelperRecord& record)
{
    Measurement& measurement = record.measurement;
    if (!record.open || !measurement.running) return true;
    measurement.running = false;
    if (measurement.entry.readings == 0) return true;
    return appendRecord(record.store, measurementEntry(measurement, record.site), measurementSeries(measurement));
}
