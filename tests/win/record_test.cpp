// The record of measurements kept by the practice dish, in the prefix's
// Documents\Azimora: an entry whose figures are the ones the phone page was
// sent during the measurement, and a program killed in mid-measurement
// that loses no earlier line and whose running measurement becomes its
// line at the next start.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_store.h"
#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

namespace {

static std::string recordText(const std::string& name)
{
    std::string bytes;
    readFileHead(pathInFolder(recordFolder(), name), 16 * 1024 * 1024, &bytes);
    return bytes;
}

static CsvTable recordTable() { return readCsvText(recordText(recordFileName)); }

// The record starts afresh for each test.
static void clearRecord()
{
    for (const std::string& name : folderFiles(recordFolder())) removeFile(pathInFolder(recordFolder(), name));
}

// Waits until the record holds `rows` entries.
static bool waitForRows(size_t rows, int timeoutMs = 10000)
{
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (recordTable().rows.size() >= rows) return true;
        Sleep(100);
    }
    return recordTable().rows.size() >= rows;
}

// The frequency of the measurement kept aside in a side file, "" without one.
static std::string runningFrequency()
{
    for (const std::string& name : folderFiles(recordFolder())) {
        if (name.compare(0, 8, "running-") != 0 || name.size() <= 12 || name.substr(name.size() - 4) != ".csv")
            continue;
        const std::string text = recordText(name);
        const CsvTable entry = readCsvText(text.substr(0, text.find("\r\n\r\n") + 2));
        if (entry.rows.size() == 1) return csvValue(entry, entry.rows[0], "frequency_mhz");
    }
    return std::string();
}

// A reading of the page's history: seq, time, lock, quality, C/N as sent, start, threshold (and more after).
struct PageReading {
    bool locked;
    int quality;
    std::string carrierToNoise;
    unsigned tune;
    double threshold;  // < -100 without one
};

static std::vector<PageReading> historyReadings(const std::string& stream)
{
    std::vector<PageReading> readings;
    const size_t start = stream.find("\"readings\":[");
    if (start == std::string::npos) return readings;
    for (size_t at = stream.find('[', start + 12); at != std::string::npos && stream[at] == '[';) {
        const size_t end = stream.find(']', at);
        std::vector<std::string> fields;
        splitCsvLine(stream.substr(at + 1, end - at - 1), &fields);
        if (fields.size() < 7) break;  // later fields say more of the reading
        PageReading r{fields[2] == "1", std::atoi(fields[3].c_str()), fields[4],
                      static_cast<unsigned>(std::atoi(fields[5].c_str())),
                      fields[6] == "null" ? -1000.0 : std::atof(fields[6].c_str())};
        readings.push_back(r);
        at = stream[end + 1] == ',' ? end + 2 : std::string::npos;
    }
    return readings;
}

// The lower middle of the values once sorted, as the record takes it.
template <typename T, typename Less>
static T lowerMedian(std::vector<T> values, Less less)
{
    std::sort(values.begin(), values.end(), less);
    return values[(values.size() - 1) / 2];
}

using RecordTest = ProgramTest;

TEST_F(RecordTest, APracticeDishMeasurementIsRecordedWithTheFiguresThePageWasSent)
{
    clearRecord();
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "dish\naim 13.0e\n"));
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    Sleep(3000);
    // The middle button ends the measuring; after 3 s without a status query the measurement ends.
    postKey(run.window, VK_BACK);
    ASSERT_TRUE(waitForRows(1));
    // The page's last minute holds every reading of the measurement.
    const std::string stream = phoneAsk(port, "/events", "]}\n\n");
    const std::vector<PageReading> all = historyReadings(stream);
    ASSERT_FALSE(all.empty()) << stream.substr(0, 400);
    std::vector<PageReading> page;
    for (const PageReading& r : all)
        if (r.tune == all.back().tune) page.push_back(r);
    std::vector<PageReading> locked;
    for (const PageReading& r : page)
        if (r.locked) locked.push_back(r);
    ASSERT_FALSE(locked.empty());

    const CsvTable table = recordTable();
    ASSERT_EQ(1u, table.rows.size());
    const auto value = [&](const char* column) { return csvValue(table, table.rows[0], column); };
    EXPECT_EQ("Practice dish (simulated card)", value("card"));
    EXPECT_EQ("10723", value("frequency_mhz"));
    EXPECT_EQ("H", value("polarisation"));
    EXPECT_EQ("29900", value("symbol_rate_ksps"));
    EXPECT_EQ(std::to_string(page.size()), value("readings"));
    EXPECT_EQ(decimalText(100.0 * static_cast<double>(locked.size()) / static_cast<double>(page.size()), 1),
              value("locked_percent"));
    const auto byFigure = [](const PageReading& a, const PageReading& b) {
        return std::atof(a.carrierToNoise.c_str()) < std::atof(b.carrierToNoise.c_str());
    };
    const auto byQuality = [](const PageReading& a, const PageReading& b) { return a.quality < b.quality; };
    EXPECT_EQ(std::min_element(locked.begin(), locked.end(), byFigure)->carrierToNoise, value("cn_min_db"));
    EXPECT_EQ(lowerMedian(locked, byFigure).carrierToNoise, value("cn_median_db"));
    EXPECT_EQ(std::max_element(locked.begin(), locked.end(), byFigure)->carrierToNoise, value("cn_peak_db"));
    EXPECT_EQ(std::to_string(std::min_element(locked.begin(), locked.end(), byQuality)->quality),
              value("quality_min_percent"));
    EXPECT_EQ(std::to_string(lowerMedian(locked, byQuality).quality), value("quality_median_percent"));
    EXPECT_EQ(std::to_string(std::max_element(locked.begin(), locked.end(), byQuality)->quality),
              value("quality_peak_percent"));
    // The margin at the median, against the threshold the page drew under the readings.
    const double threshold = locked.back().threshold;
    ASSERT_GT(threshold, -100.0) << "the page was sent no margin";
    EXPECT_EQ(decimalText(threshold, 2), value("threshold_db"));
    const double median = std::atof(value("cn_median_db").c_str());
    EXPECT_EQ(decimalText(std::round((median - threshold) * 10) / 10, 1), value("margin_db"));
    // The network's word as the page was sent it.
    EXPECT_NE(std::string::npos, stream.find("\"name\":\"" + value("network_name") + "\"")) << value("network_name");
    EXPECT_EQ("13.0E", value("network_position"));
    EXPECT_EQ("expected", value("network_verdict"));
    // The practice dish's own site gives the pointing.
    EXPECT_FALSE(value("elevation_deg").empty());
    // Its series: a point a second.
    const CsvTable series = readCsvText(recordText(seriesFileName));
    EXPECT_GE(series.rows.size(), 3u);
    EXPECT_EQ(value("measurement_id"), csvValue(series, series.rows[0], "measurement_id"));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(1u, recordTable().rows.size());  // once only
}

TEST_F(RecordTest, AProgramKilledInMidMeasurementLosesNoLineAndItsMeasurementIsKeptAtTheNextStart)
{
    clearRecord();
    StartOptions options;
    options.scenario = "dish\naim 13.0e\n";
    AppRun& run = start(options);
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, true));
    Sleep(1000);
    // A second measurement ends the first; it is then killed while measuring.
    postKey(run.window, VK_BACK);
    settle(run);
    startCatalogueLine(run, hotBirdLine + 1);
    ASSERT_TRUE(waitForRows(1));
    // The second measurement kept aside (the first one's side file goes once its line is written).
    const auto secondAside = [] { return !runningFrequency().empty() && runningFrequency() != "10723"; };
    for (int waited = 0; waited < 5000 && !secondAside(); waited += 100) Sleep(100);
    ASSERT_TRUE(secondAside());
    killProgram(run);
    CsvTable table = recordTable();
    ASSERT_EQ(1u, table.rows.size());
    EXPECT_EQ(0u, table.skipped);
    EXPECT_EQ("10723", csvValue(table, table.rows[0], "frequency_mhz"));
    const std::string second = runningFrequency();
    EXPECT_NE("", second);

    AppRun& next = start(options);
    ASSERT_TRUE(waitForRows(2));
    table = recordTable();
    ASSERT_EQ(2u, table.rows.size());
    EXPECT_EQ(0u, table.skipped);
    EXPECT_EQ(second, csvValue(table, table.rows[1], "frequency_mhz"));
    EXPECT_NE(std::string::npos, csvValue(table, table.rows[1], "note").find("cut short"));
    EXPECT_EQ("", runningFrequency());
    EXPECT_EQ(0, closeWithEscape(next));
    EXPECT_EQ(2u, recordTable().rows.size());
}

}  // namespace
