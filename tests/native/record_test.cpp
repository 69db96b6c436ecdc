// The record of measurements: its CSV as spreadsheets and the phone page
// read it, and a measurement's figures (its files on disk:
// record_store_test.cpp).
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/record/measurement.h"
#include "cardbase/record/record_csv.h"
#include "tests/native/record_samples.h"

namespace {

TEST(RecordCsv, FieldsAreQuotedWhereNeededAndReadBackAsWritten)
{
    EXPECT_EQ("12.35", csvField("12.35"));
    EXPECT_EQ("\"a,b\"", csvField("a,b"));
    EXPECT_EQ("\"say \"\"hi\"\"\"", csvField("say \"hi\""));
    EXPECT_EQ("\" padded \"", csvField(" padded "));
    // Words from a satellite's table can hold anything: no formula, no line break.
    EXPECT_EQ("'=HYPERLINK(1)", csvTextField("=HYPERLINK(1)"));
    EXPECT_EQ("'-1", csvTextField("-1"));
    EXPECT_EQ("a b", csvTextField("a\nb"));
    const std::vector<std::string> values = {"", "plain", "a,b", "say \"hi\"", " x ", "\xC3\xA9t\xC3\xA9"};
    std::vector<std::string> fields;
    for (const std::string& value : values) fields.push_back(csvField(value));
    const std::string line = csvLine(fields);
    EXPECT_EQ("\r\n", line.substr(line.size() - 2));
    std::vector<std::string> back;
    ASSERT_TRUE(splitCsvLine(line.substr(0, line.size() - 2), &back));
    EXPECT_EQ(values, back);
    for (const char* malformed : {"\"open", "a\"b", "\"x\"y"})
        EXPECT_FALSE(splitCsvLine(malformed, &back)) << malformed;
}

TEST(RecordCsv, AFileReadsWithItsMarkAndWithoutItsTornOrMalformedLines)
{
    const CsvTable table = readCsvText(std::string(utf8ByteOrderMark) +
                                       "id,cn\r\n1,12.5\r\n\"2\",13\r\n3,1,extra\r\n4,\"open\r\n5,9\n6,10");
    EXPECT_EQ((std::vector<std::string>{"id", "cn"}), table.header);
    ASSERT_EQ(3u, table.rows.size());
    EXPECT_EQ("2", csvValue(table, table.rows[1], "id"));
    EXPECT_EQ("9", csvValue(table, table.rows[2], "cn"));
    EXPECT_EQ("", csvValue(table, table.rows[2], "margin"));
    EXPECT_EQ(3u, table.skipped);  // too many fields, an open quote, the torn last line
    EXPECT_TRUE(readCsvText("").rows.empty());
}

TEST(RecordCsv, NumbersAndTimesAreWrittenOneWayEverywhere)
{
    EXPECT_EQ("12.35", decimalText(12.345678, 2));
    EXPECT_EQ("0.0", decimalText(-0.04, 1));
    EXPECT_EQ("-3.5", decimalText(-3.5, 1));
    EXPECT_EQ("", decimalText(NAN, 1));
    double value = 0;
    EXPECT_TRUE(readDecimal("-12.35", &value));
    EXPECT_DOUBLE_EQ(-12.35, value);
    for (const char* bad : {"", "-", "1,5", "1.2.3", "1e5", " 1"}) EXPECT_FALSE(readDecimal(bad, &value)) << bad;
    const int64_t moment = 1738318502000;  // 2025-01-31 10:15:02 UTC
    EXPECT_EQ("2025-01-31T10:15:02Z", isoUtcText(moment + 999));
    EXPECT_EQ("2025-01-31T11:15:02+01:00", isoLocalText(moment, 60));
    EXPECT_EQ("2025-01-30T23:45:02-10:30", isoLocalText(moment, -630));
    EXPECT_EQ("1969-12-31T23:59:59Z", isoUtcText(-1));
}

// The same card between locks: nothing of the margin or the network.
MeasurementContext unlockedContext()
{
    MeasurementContext context = lockedContext();
    context.margin = LinkMargin();
    context.network = NetworkReport();
    return context;
}

std::vector<std::string> rowOf(const RecordEntry& entry, CsvTable* table)
{
    *table = readCsvText(std::string(utf8ByteOrderMark) + recordHeaderLine() + recordLine(entry));
    EXPECT_EQ(recordColumnCount, table->header.size());
    EXPECT_EQ(1u, table->rows.size());
    return table->rows.empty() ? std::vector<std::string>() : table->rows[0];
}

TEST(Measurement, TheEntryHoldsTheFiguresShownWithTheMarginAtTheMedian)
{
    Measurement measurement;
    startMeasurement(measurement, "m1", "Practice dish", hotBird(), 1738318502000, 60, 5000);
    const SignalReading unlocked{false, 0, 0.0f};
    measureReading(measurement, unlocked, unlockedContext(), 5100);
    measureReading(measurement, unlocked, unlockedContext(), 6300);
    const float figures[] = {9.87f, 10.5f, 8.004f, 12.25f};
    uint32_t now = 7400;
    for (float cn : figures)
        measureReading(measurement, SignalReading{true, qualityFromCarrierToNoise(cn), cn}, lockedContext(),
                       now += 100);
    // A lost lock at the end keeps the network's word as it was known.
    measureReading(measurement, unlocked, unlockedContext(), now += 100);
    RecordSite site;
    site.known = true;
    site.site = DishSite{52.52, 13.40};
    const RecordEntry entry = measurementEntry(measurement, site);
    CsvTable table;
    const std::vector<std::string> row = rowOf(entry, &table);
    const auto value = [&](const char* column) { return csvValue(table, row, column); };
    EXPECT_EQ("m1", value("measurement_id"));
    EXPECT_EQ("2025-01-31T10:15:02Z", value("start_utc"));
    EXPECT_EQ("2025-01-31T11:15:02+01:00", value("start_local"));
    EXPECT_EQ("2.9", value("duration_s"));
    EXPECT_EQ("12149", value("frequency_mhz"));
    EXPECT_EQ("H", value("polarisation"));
    EXPECT_EQ("29900", value("symbol_rate_ksps"));
    EXPECT_EQ("B", value("switch"));
    EXPECT_EQ("high", value("band"));
    EXPECT_EQ("2.5", value("time_to_lock_s"));
    EXPECT_EQ("57.1", value("locked_percent"));  // 4 of 7
    EXPECT_EQ("7", value("readings"));
    // The readings' two decimals, as the phone page's readings carry them; the lower middle of four.
    EXPECT_EQ("8.00", value("cn_min_db"));
    EXPECT_EQ("9.87", value("cn_median_db"));
    EXPECT_EQ("12.25", value("cn_peak_db"));
    EXPECT_EQ(std::to_string(qualityFromCarrierToNoise(9.87)), value("quality_median_percent"));
    EXPECT_EQ("DVB-S2 QPSK 3/4", value("modulation"));
    EXPECT_EQ("tuner", value("modulation_source"));
    double threshold = 0;
    requiredCarrierToNoiseDb(s2Qpsk34(), &threshold);
    EXPECT_EQ(decimalText(threshold, 2), value("threshold_db"));
    EXPECT_EQ(decimalText(std::round((9.87 - threshold) * 10) / 10, 1), value("margin_db"));
    EXPECT_EQ(value("verdict"), value("margin_verdict"));
    EXPECT_EQ("Hot, Bird", value("network_name"));
    EXPECT_EQ("0x013e", value("network_id"));
    EXPECT_EQ("13.0E", value("network_position"));
    EXPECT_EQ("expected", value("network_verdict"));
    EXPECT_EQ("52.5200", value("site_latitude"));
    EXPECT_EQ("13.0E", value("satellite_position"));
    const LookAngles look = lookAngles(site.site, 13.0);
    EXPECT_EQ(decimalText(look.direction.elevationDeg, 1), value("elevation_deg"));
    EXPECT_EQ(decimalText(look.direction.azimuthDeg, 1), value("azimuth_deg"));
    EXPECT_FALSE(value("magnetic_azimuth_deg").empty());
    EXPECT_EQ("", value("note"));
}

TEST(Measurement, NoLockAndNoDecibelsLeaveTheirColumnsEmptyAndSayWhy)
{
    Measurement never;
    startMeasurement(never, "m2", "Linux", hotBird(), 0, 0, 0);
    for (uint32_t t = 100; t <= 42000; t += 100)
        measureReading(never, SignalReading{false, 0, 0.0f}, MeasurementContext(), t);
    CsvTable table;
    std::vector<std::string> row = rowOf(measurementEntry(never, RecordSite()), &table);
    EXPECT_EQ("no lock", csvValue(table, row, "verdict"));
    EXPECT_EQ("no lock in 42 s", csvValue(table, row, "note"));
    RecordEntry remarked = measurementEntry(never, RecordSite());
    remarked.remark = "survey of 19.2E, transponder 3 of 20";
    row = rowOf(remarked, &table);
    EXPECT_EQ("no lock in 42 s; survey of 19.2E, transponder 3 of 20", csvValue(table, row, "note"));
    for (const char* empty : {"time_to_lock_s", "cn_median_db", "quality_min_percent", "margin_db", "modulation",
                              "network_verdict", "azimuth_deg"})
        EXPECT_EQ("", csvValue(table, row, empty)) << empty;
    EXPECT_EQ("0.0", csvValue(table, row, "locked_percent"));

    // A tuner that gives a percentage only: no C/N, no margin, no invented dB.
    Measurement percent;
    startMeasurement(percent, "m3", "BDA tuner", hotBird(), 0, 0, 0);
    MeasurementContext context = lockedContext(false);
    measureReading(percent, SignalReading{true, 64, static_cast<float>(carrierToNoiseFromQuality(64))}, context, 100);
    row = rowOf(measurementEntry(percent, RecordSite()), &table);
    EXPECT_EQ("locked", csvValue(table, row, "verdict"));
    EXPECT_EQ("64", csvValue(table, row, "quality_peak_percent"));
    for (const char* empty : {"cn_min_db", "cn_median_db", "cn_peak_db", "margin_db", "margin_verdict"})
        EXPECT_EQ("", csvValue(table, row, empty)) << empty;
    EXPECT_EQ("the tuner gives no C/N in dB", csvValue(table, row, "margin_note"));
    EXPECT_NE(std::string::npos, csvValue(table, row, "note").find("no C/N in dB"));
    // Its series says nothing of dB either.
    EXPECT_EQ("m3,0,1,,64\r\n", seriesLines("m3", false, measurementSeries(percent)));
}

TEST(Measurement, ThroughASingleCableDeviceTheSettingAndASharedUserBandAreKept)
{
    Measurement measurement;
    startMeasurement(measurement, "m6", "Linux, \"Tuner\" 1", hotBird(), 0, 0, 0);
    MeasurementContext context = lockedContext();
    context.singleCable = "en50494,1,1210";
    // Neither C/N in dB nor a modulation: the margin's note says why, in words.
    context.carrierToNoiseInDecibels = true;
    context.margin.choice.source = SourceUnknown;
    context.margin.tunerGap = GapEcho;
    context.margin.networkGap = GapNoNetworkTable;
    measureReading(measurement, SignalReading{true, 70, 11.0f}, context, 100);
    context.userBandNote = "another receiver uses user band 1";
    measureReading(measurement, SignalReading{true, 70, 11.0f}, context, 200);
    // The note holds once said, though later readings no longer carry it.
    context.userBandNote.clear();
    measureReading(measurement, SignalReading{true, 70, 11.0f}, context, 300);
    RecordEntry entry = measurementEntry(measurement, RecordSite());
    entry.remark = "survey of 19.2E, \"low\" band";
    CsvTable table;
    const std::vector<std::string> row = rowOf(entry, &table);
    EXPECT_EQ("en50494,1,1210", csvValue(table, row, "single_cable"));
    EXPECT_EQ("Linux, \"Tuner\" 1", csvValue(table, row, "card"));
    EXPECT_EQ("modulation and code rate unknown: the tuner gives back only what it was asked; no network information",
              csvValue(table, row, "margin_note"));
    EXPECT_EQ("another receiver uses user band 1; survey of 19.2E, \"low\" band", csvValue(table, row, "note"));
    // Every text column is written as the CSV's text fields are: quoted where needed.
    const size_t noteColumn = static_cast<size_t>(csvColumn(table, "margin_note"));
    EXPECT_EQ(csvTextField(csvValue(table, row, "margin_note")), recordColumns[noteColumn].value(entry));
    EXPECT_EQ("\"en50494,1,1210\"", recordColumns[csvColumn(table, "single_cable")].value(entry));
}

TEST(Measurement, TheSeriesKeepsOnePointASecondAndTheLastTenMinutes)
{
    Measurement measurement;
    startMeasurement(measurement, "m4", "card", hotBird(), 0, 0, 1000);
    measureReading(measurement, SignalReading{true, 50, 9.0f}, lockedContext(), 1100);
    measureReading(measurement, SignalReading{true, 51, 9.5f}, lockedContext(), 1900);
    measureReading(measurement, SignalReading{false, 0, 0.0f}, lockedContext(), 2000);
    std::vector<RecordSeriesPoint> series = measurementSeries(measurement);
    ASSERT_EQ(2u, series.size());
    EXPECT_EQ(0u, series[0].second);
    EXPECT_FLOAT_EQ(9.5f, series[0].carrierToNoiseDb);  // the second's last reading
    EXPECT_FALSE(series[1].locked);
    EXPECT_EQ("m4,0,1,9.50,51\r\nm4,1,0,,0\r\n", seriesLines("m4", true, series));

    uint32_t now = 2000;
    for (int i = 0; i < 700 * 10; ++i)
        measureReading(measurement, SignalReading{true, 60, 10.0f}, lockedContext(), now += 100);
    series = measurementSeries(measurement);
    ASSERT_EQ(seriesLimitPoints, series.size());
    EXPECT_EQ((now - 1000) / 1000, series.back().second);
    EXPECT_EQ(series.back().second - seriesLimitPoints + 1, series.front().second);
    EXPECT_EQ(7003u, measurementEntry(measurement, RecordSite()).readings);
}

TEST(Measurement, ItEndsThreeSecondsAfterTheLastStatusQuery)
{
    Measurement measurement;
    EXPECT_FALSE(measurementIdle(measurement, 99999));
    startMeasurement(measurement, "m5", "card", hotBird(), 0, 0, 0xFFFFF000u);
    EXPECT_FALSE(measurementIdle(measurement, 0xFFFFF000u + measurementIdleMs - 1));
    EXPECT_TRUE(measurementIdle(measurement, 0xFFFFF000u + measurementIdleMs));
    measureReading(measurement, SignalReading{false, 0, 0.0f}, MeasurementContext(), 500);  // across the wrap
    EXPECT_FALSE(measurementIdle(measurement, 500 + measurementIdleMs - 1));
    EXPECT_TRUE(measurementIdle(measurement, 500 + measurementIdleMs));
    EXPECT_EQ("20250131T101502Z-77.1-3", measurementId(1738318502000, "77.1", 3));
}

// Whether `name` stands in the text as a word of its own.
bool namesWord(const std::string& text, const std::string& name)
{
    const auto wordCharacter = [](char c) { return (c >= 'a' && c <= 'z') || c == '_'; };
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const bool before = at == 0 || !wordCharacter(text[at - 1]);
        const bool after = at + name.size() == text.size() || !wordCharacter(text[at + name.size()]);
        if (before && after) return true;
    }
    return false;
}

TEST(RecordDocuments, EveryColumnIsExplainedWhereTheRecordIsDescribed)
{
    for (const char* document : {"resources/ReadMe.txt", "docs/linux-cards.md"}) {
        const std::string text = committedFile(document);
        ASSERT_FALSE(text.empty()) << document;
        EXPECT_NE(std::string::npos, text.find("record=off")) << document;
        for (size_t i = 0; i < recordColumnCount; ++i)
            EXPECT_TRUE(namesWord(text, recordColumns[i].name)) << document << ": " << recordColumns[i].name;
        for (size_t i = 0; i < seriesColumnCount; ++i)
            EXPECT_TRUE(namesWord(text, seriesColumns[i].name)) << document << ": " << seriesColumns[i].name;
    }
}

}  // namespace
