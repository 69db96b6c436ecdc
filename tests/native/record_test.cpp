// The record of measurements: its CSV as spreadsheets and the phone page
// read it, a measurement's figures, and the files on disk, which nothing
// (a torn line, a crash, a full file) may cost more than the line in hand.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cardbase/record/measurement.h"
#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_store.h"
#include "tests/native/committed_file.h"

namespace {

std::string newFolder()
{
    std::string pattern = "/tmp/azimora-record-test-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern + "/record" : std::string();
}

CsvTable tableOf(const std::string& path) { return readCsvText(fileText(path)); }

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

CardTuning hotBird()
{
    CardTuning tuning;
    tuning.lnbSelection = 1;
    tuning.lnbFrequencyMHz = 10600;
    tuning.polarization = 0;
    tuning.symbolRate = 29900;
    tuning.frequencyMHz = 12149;
    tuning.diseqcCode = 2;
    return tuning;
}

Modcod s2Qpsk34()
{
    Modcod modcod;
    EXPECT_TRUE(parseModcod("S2-QPSK-3/4", &modcod));
    return modcod;
}

MeasurementContext lockedContext(bool inDecibels = true)
{
    MarginInputs inputs;
    inputs.locked = true;
    inputs.carrierToNoiseInDecibels = inDecibels;
    inputs.carrierToNoiseDb = 10.0;
    inputs.tuner = knownWord(s2Qpsk34());
    MeasurementContext context;
    context.carrierToNoiseInDecibels = inDecibels;
    context.margin = linkMargin(inputs);
    context.network.state = NetworkKnown;
    context.network.identity.known = true;
    context.network.identity.networkId = 0x13e;
    context.network.identity.networkName = "Hot, Bird";
    context.network.identity.certainty = PositionOfStream;
    context.network.identity.position = 130;
    context.expected = {130};
    return context;
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

RecordEntry sampleEntry(const std::string& id)
{
    Measurement measurement;
    startMeasurement(measurement, id, "Practice dish", hotBird(), 1738318502000, 60, 0);
    for (uint32_t t = 100; t <= 2500; t += 100)
        measureReading(measurement, SignalReading{true, 80, 12.5f}, lockedContext(), t);
    return measurementEntry(measurement, RecordSite());
}

std::vector<RecordSeriesPoint> sampleSeries()
{
    return {RecordSeriesPoint{0, true, 12.5f, 80}, RecordSeriesPoint{1, true, 12.75f, 81}};
}

TEST(RecordStore, EachEntryIsOneLineUnderOneHeaderAndATornLineCostsOnlyItself)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    ASSERT_TRUE(appendRecord(store, sampleEntry("a"), sampleSeries()));
    const std::string path = recordFilePath(folder);
    EXPECT_EQ(std::string(utf8ByteOrderMark) + recordHeaderLine() + recordLine(sampleEntry("a")), fileText(path));
    // A crash in mid-write: the line torn, then the next entry written.
    std::ofstream(path, std::ios::app | std::ios::binary) << recordLine(sampleEntry("torn")).substr(0, 40);
    EXPECT_EQ(1u, tableOf(path).rows.size());
    ASSERT_TRUE(appendRecord(store, sampleEntry("b"), sampleSeries()));
    const CsvTable table = tableOf(path);
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ("a", table.rows[0][0]);
    EXPECT_EQ("b", table.rows[1][0]);
    EXPECT_EQ(1u, table.skipped);
    const CsvTable series = tableOf(seriesFilePath(folder));
    ASSERT_EQ(4u, series.rows.size());
    EXPECT_EQ("b", csvValue(series, series.rows[3], "measurement_id"));
    EXPECT_EQ("12.75", csvValue(series, series.rows[3], "cn_db"));
    closeRecordStore(store);
}

TEST(RecordStore, AFullFileOrAnotherVersionsFileMovesToANumberedOne)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    const std::string path = recordFilePath(folder);
    // Another version's header: its lines are kept apart, never mixed.
    std::ofstream(path, std::ios::binary) << utf8ByteOrderMark << "id,cn\r\n1,2\r\n";
    ASSERT_TRUE(appendRecord(store, sampleEntry("a"), {}));
    EXPECT_EQ(std::string(utf8ByteOrderMark) + "id,cn\r\n1,2\r\n", fileText(folder + "/record-1.csv"));
    // Nearly full: the next line would pass the bound.
    const std::string line = recordLine(sampleEntry("filler"));
    const size_t fillers = static_cast<size_t>(recordFileLimitBytes - fileSize(path) - 100) / line.size();
    std::string filler;
    for (size_t i = 0; i < fillers; ++i) filler += line;
    std::ofstream(path, std::ios::app | std::ios::binary) << filler;
    const size_t fullRows = tableOf(path).rows.size();
    ASSERT_TRUE(appendRecord(store, sampleEntry("b"), {}));
    EXPECT_EQ(fullRows, tableOf(folder + "/record-2.csv").rows.size());
    const CsvTable fresh = tableOf(path);
    ASSERT_EQ(1u, fresh.rows.size());
    EXPECT_EQ("b", fresh.rows[0][0]);
    EXPECT_LE(fileSize(folder + "/record-2.csv"), recordFileLimitBytes);
    closeRecordStore(store);
}

TEST(RecordStore, ARunningMeasurementSurvivesACrashAsOneLineAndALiveOneIsLeftAlone)
{
    const std::string folder = newFolder();
    const RecordEntry running = sampleEntry("crashed");
    // A recorder that dies in mid-measurement, without its end.
    const pid_t child = fork();
    if (child == 0) {
        RecordStore dying;
        openRecordStore(dying, folder, "dying");
        appendRecord(dying, sampleEntry("before"), sampleSeries());
        keepRunning(dying, running, sampleSeries());
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_EQ(1u, tableOf(recordFilePath(folder)).rows.size());

    // One alive, in mid-measurement too.
    RecordStore alive;
    ASSERT_TRUE(openRecordStore(alive, folder, "alive"));
    ASSERT_TRUE(keepRunning(alive, sampleEntry("alive"), {}));

    RecordStore next;
    ASSERT_TRUE(openRecordStore(next, folder, "next"));
    const CsvTable table = tableOf(recordFilePath(folder));
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ("before", table.rows[0][0]);
    EXPECT_EQ("crashed", table.rows[1][0]);
    EXPECT_NE(std::string::npos, csvValue(table, table.rows[1], "note").find("cut short"));
    EXPECT_EQ(csvValue(table, table.rows[0], "cn_median_db"), csvValue(table, table.rows[1], "cn_median_db"));
    EXPECT_EQ(4u, tableOf(seriesFilePath(folder)).rows.size());
    EXPECT_EQ(-1, fileSize(folder + "/running-dying.csv"));
    EXPECT_EQ(-1, fileSize(folder + "/running-dying.lock"));
    EXPECT_LT(0, fileSize(folder + "/running-alive.csv"));
    EXPECT_EQ(0, recoverRunningFiles(next));

    // The live one ends as usual: its line once, its side file gone.
    ASSERT_TRUE(appendRecord(alive, sampleEntry("alive"), {}));
    EXPECT_EQ(-1, fileSize(folder + "/running-alive.csv"));
    closeRecordStore(alive);
    closeRecordStore(next);
    EXPECT_EQ(3u, tableOf(recordFilePath(folder)).rows.size());
}

TEST(RecordStore, ASideFileWhoseLineIsAlreadyWrittenIsNotWrittenTwice)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "1"));
    ASSERT_TRUE(keepRunning(store, sampleEntry("x"), {}));
    ASSERT_TRUE(appendRecord(store, sampleEntry("x"), {}));
    // As if the side file's removal had failed.
    ASSERT_TRUE(keepRunning(store, sampleEntry("x"), {}));
    closeRecordStore(store);
    RecordStore later;
    ASSERT_TRUE(openRecordStore(later, folder, "2"));
    EXPECT_EQ(1u, tableOf(recordFilePath(folder)).rows.size());
    EXPECT_EQ(-1, fileSize(folder + "/running-1.csv"));
    closeRecordStore(later);
}

TEST(RecordStore, TheFolderIsOnePlacePerUser)
{
    EXPECT_EQ("/data/azimora", linuxRecordFolder("/data", "/home/ann"));
    EXPECT_EQ("/home/ann/.local/share/azimora", linuxRecordFolder("relative", "/home/ann"));
    EXPECT_EQ("/home/ann/.local/share/azimora", linuxRecordFolder(nullptr, "/home/ann"));
    EXPECT_EQ("", linuxRecordFolder(nullptr, nullptr));
    RecordStore store;
    EXPECT_FALSE(openRecordStore(store, "", "1"));
    EXPECT_FALSE(store.problem.empty());
    EXPECT_FALSE(appendRecord(store, sampleEntry("a"), {}));
}

}  // namespace
