// The record on the phone page: the file as it is, the printable report of
// a day, both refused with record=off, and never more than a bounded
// amount of it queued for phones at once.
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

#include "cardbase/phone/phone_feed.h"
#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_report.h"
#include "cardbase/phone/phone_server_core.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/record/measurement.h"
#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_store.h"
#include "tests/native/committed_file.h"

namespace {

std::string newFolder()
{
    std::string pattern = "/tmp/azimora-phone-record-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

CardTuning tuningOf(int32_t frequencyMHz, int32_t polarization)
{
    CardTuning tuning;
    tuning.lnbSelection = frequencyMHz >= 11700;
    tuning.lnbFrequencyMHz = frequencyMHz >= 11700 ? 10600 : 9750;
    tuning.polarization = polarization;
    tuning.symbolRate = 27500;
    tuning.frequencyMHz = frequencyMHz;
    return tuning;
}

// `cn` of every reading, locked when above 0; in dB unless told otherwise.
RecordEntry measured(RecordStore& store, const std::string& id, int64_t unixMs, const CardTuning& tuning, float cn,
                     bool inDecibels = true, const std::string& networkName = "Astra", uint32_t durationMs = 3000)
{
    Measurement measurement;
    startMeasurement(measurement, id, "Practice dish (simulated card)", tuning, unixMs, 120, 0);
    MeasurementContext context;
    context.carrierToNoiseInDecibels = inDecibels;
    Modcod modcod;
    parseModcod("S-QPSK-3/4", &modcod);
    MarginInputs inputs;
    inputs.locked = true;
    inputs.carrierToNoiseInDecibels = inDecibels;
    inputs.carrierToNoiseDb = cn;
    inputs.network = knownWord(modcod);
    context.margin = linkMargin(inputs);
    context.network.state = NetworkKnown;
    context.network.identity.known = true;
    context.network.identity.networkName = networkName;
    context.network.identity.certainty = PositionOfStream;
    context.network.identity.position = 192;
    for (uint32_t t = 100; t <= durationMs; t += 100)
        measureReading(measurement, SignalReading{cn > 0, cn > 0 ? 70 : 0, cn}, context, t);
    RecordSite site;
    site.known = true;
    site.site = DishSite{48.1374, 11.5755};
    const RecordEntry entry = measurementEntry(measurement, site);
    appendRecord(store, entry, measurementSeries(measurement));
    return entry;
}

const int64_t monday = 1738576800000;  // 2025-02-03 10:00 UTC, 12:00 at +02:00

std::string body(const PhoneAnswer& answer) { return answer.bytes.substr(answer.bytes.find("\r\n\r\n") + 4); }

PhoneAnswer ask(const std::string& target, const std::string& folder, const PhonePlace& place = PhonePlace())
{
    return answerRequest("GET " + target + " HTTP/1.1\r\n\r\n", true, &place, &folder);
}

TEST(PhoneRecord, TheFileComesAsItIsAndOffOrWithoutAFolderItIsRefused)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "t"));
    measured(store, "a", monday, tuningOf(11494, 0), 11.5f);
    const PhoneAnswer csv = ask("/record.csv", folder);
    EXPECT_EQ(200, csv.status);
    EXPECT_NE(std::string::npos, csv.bytes.find("Content-Type: text/csv; charset=utf-8"));
    EXPECT_NE(std::string::npos, csv.bytes.find("Content-Disposition: attachment; filename=\"azimora-record.csv\""));
    EXPECT_EQ(fileText(recordFilePath(folder)), body(csv));
    // Nothing recorded yet: a record with its header only.
    const PhoneAnswer empty = ask("/record.csv", newFolder());
    EXPECT_EQ(std::string(utf8ByteOrderMark) + recordHeaderLine(), body(empty));

    const PhoneAnswer off = ask("/record.csv", "");
    EXPECT_EQ(404, off.status);
    EXPECT_NE(std::string::npos, off.bytes.find("record=off"));
    EXPECT_EQ(404, ask("/report", "").status);
    EXPECT_EQ(404, answerRequest("GET /record.csv HTTP/1.1\r\n\r\n", true).status);
    EXPECT_EQ(405, answerRequest("POST /record.csv HTTP/1.1\r\n\r\n", true, nullptr, &folder).status);

    EXPECT_TRUE(recordShownOnPhone(""));
    EXPECT_TRUE(recordShownOnPhone("phone=8474\r\nrecord=on\r\n"));
    for (const char* line : {"record=off", " Record = OFF ", "record=0\n", "record=no", "\xEF\xBB\xBFrecord=off"})
        EXPECT_FALSE(recordShownOnPhone(line)) << line;
    PhoneFeed feed;
    EXPECT_NE(std::string::npos, streamOpening(feed, 0).find("\"record\":false"));
    feed.recordFolder = folder;
    EXPECT_NE(std::string::npos, streamOpening(feed, 0).find("\"record\":true"));
    closeRecordStore(store);
}

TEST(PhoneRecord, TheReportShowsADayOneRowPerTransponderWithItsChart)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "t"));
    measured(store, "sunday", monday - 86400000, tuningOf(12188, 0), 14.0f);
    measured(store, "first", monday, tuningOf(11494, 0), 9.5f);
    measured(store, "other", monday + 60000, tuningOf(12603, 1), 0.0f);
    const RecordEntry again =
        measured(store, "again", monday + 120000, tuningOf(11494, 0), 12.25f, true, "<script>alert(1)</script>");
    const PhoneAnswer report = ask("/report", folder);
    ASSERT_EQ(200, report.status);
    EXPECT_NE(std::string::npos, report.bytes.find("Content-Type: text/html; charset=utf-8"));
    EXPECT_NE(std::string::npos, report.bytes.find("Content-Security-Policy: default-src 'self'"));
    const std::string html = body(report);
    EXPECT_NE(std::string::npos, html.find("<link rel=\"stylesheet\" href=\"report.css\">"));
    EXPECT_NE(std::string::npos, html.find("2025-02-03"));
    EXPECT_NE(std::string::npos, html.find("48.1374\xC2\xB0 N, 11.5755\xC2\xB0 E"));
    EXPECT_NE(std::string::npos, html.find("Practice dish (simulated card)"));
    EXPECT_NE(std::string::npos, html.find("3 dB or more is good"));
    // The newest day only, the latest measurement of each transponder, in the order measured.
    EXPECT_EQ(std::string::npos, html.find("12188"));
    const size_t noLock = html.find("12603 V 27500"), latest = html.find("11494 H 27500");
    ASSERT_NE(std::string::npos, noLock);
    ASSERT_NE(std::string::npos, latest);
    EXPECT_LT(noLock, latest);
    EXPECT_EQ(html.find("11494 H"), html.rfind("11494 H"));
    EXPECT_NE(std::string::npos, html.find("12.25 / 12.25 / 12.25"));
    EXPECT_EQ(std::string::npos, html.find("9.50"));
    EXPECT_NE(std::string::npos, html.find("no lock in 3.0 s"));
    EXPECT_NE(std::string::npos, html.find(marginDecibelsText(again.margin.marginDb)));
    // A chart of each measurement; a network's words never run.
    size_t charts = 0;
    for (size_t at = html.find("<svg class=\"chart\""); at != std::string::npos; at = html.find("<svg class", at + 1))
        ++charts;
    EXPECT_EQ(2u, charts);
    EXPECT_NE(std::string::npos, html.find("<polyline class=\"cn\""));
    EXPECT_EQ(std::string::npos, html.find("<script>"));
    EXPECT_NE(std::string::npos, html.find("&lt;script&gt;"));

    // Another day by its date; a day without entries says so; a malformed date is refused.
    const std::string sunday = body(ask("/report?date=2025-02-02", folder));
    EXPECT_NE(std::string::npos, sunday.find("12188"));
    EXPECT_EQ(std::string::npos, sunday.find("11494"));
    EXPECT_NE(std::string::npos, body(ask("/report?date=2024-01-01", folder)).find("No measurement recorded"));
    EXPECT_EQ(400, ask("/report?date=2025-2-3", folder).status);
    EXPECT_EQ(400, ask("/report?when=today", folder).status);
    closeRecordStore(store);
}

TEST(PhoneRecord, WithoutDecibelsTheReportSaysWhyAndChartsTheQuality)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "t"));
    measured(store, "bda", monday, tuningOf(11494, 0), 9.0f, false);
    const std::string html = body(ask("/report", folder));
    EXPECT_NE(std::string::npos, html.find("percentage only"));
    EXPECT_NE(std::string::npos, html.find("the tuner gives no C/N in dB"));
    EXPECT_NE(std::string::npos, html.find("<polyline class=\"quality\""));
    EXPECT_EQ(std::string::npos, html.find("9.00"));
    closeRecordStore(store);
}

size_t countOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(PhoneRecord, AfterRolloversTheDaysEntriesAndChartsAreReadFromTheOlderFiles)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "t"));
    // Small files: the record moves on every few entries, its series more often.
    store.fileLimitBytes = 1600;
    measured(store, "sunday", monday - 86400000, tuningOf(12188, 0), 14.0f);
    for (int i = 0; i < 20; ++i)
        measured(store, "m" + std::to_string(i), monday + i * 60000, tuningOf(10714 + 20 * i, i % 2), 11.0f, true,
                 "Astra", 20000);
    ASSERT_GT(recordFilesNewestFirst(folder, recordFileName).size(), 3u);
    ASSERT_GT(recordFilesNewestFirst(folder, seriesFileName).size(), 2u);

    const std::string html = body(ask("/report", folder));
    EXPECT_EQ(20u, countOf(html, "<tr class=\"good\">"));
    EXPECT_EQ(20u, countOf(html, "<polyline class=\"cn\""));
    EXPECT_NE(std::string::npos, html.find("10714 H 27500"));
    EXPECT_EQ(std::string::npos, html.find("older files"));
    EXPECT_NE(std::string::npos, body(ask("/report?date=2025-02-02", folder)).find("12188"));
    const PhoneAnswer csv = ask("/record.csv", folder);
    EXPECT_EQ(std::string::npos, csv.bytes.find(olderLeftOutHeader));
    const CsvTable table = readCsvText(body(csv));
    EXPECT_EQ(recordColumnNames(), table.header);
    ASSERT_EQ(21u, table.rows.size());
    EXPECT_EQ("sunday", table.rows.front()[0]);
    EXPECT_EQ("m19", table.rows.back()[0]);

    // Where the bound comes first, the newest are read and what is left out is said.
    const RecordDay day = readRecordDay(folder, "", 4 * 1024);
    EXPECT_TRUE(day.olderLeftOut);
    ASSERT_FALSE(day.entries.rows.empty());
    EXPECT_LT(day.entries.rows.size(), 20u);
    EXPECT_EQ("m19", day.entries.rows.back()[0]);
    const RecordSeries series = readRecordSeries(folder, reportMeasurements(day), 1024);
    EXPECT_TRUE(series.olderLeftOut);
    const std::string cut = reportHtml(day, series, PhonePlace());
    EXPECT_NE(std::string::npos, cut.find("Earlier entries of this day lie in older files"));
    EXPECT_NE(std::string::npos, cut.find("measurements lie in older files"));
    const NewestRecord newest = newestRecordText(folder, 4 * 1024);
    EXPECT_TRUE(newest.olderLeftOut);
    const CsvTable newestRows = readCsvText(newest.text);
    ASSERT_FALSE(newestRows.rows.empty());
    EXPECT_EQ("m19", newestRows.rows.back()[0]);
    EXPECT_EQ(0u, newestRows.skipped);
    closeRecordStore(store);
}

TEST(PhoneRecord, AnOlderVersionsFileIsServedInThisVersionsColumns)
{
    const std::string folder = newFolder();
    RecordStore store;
    ASSERT_TRUE(openRecordStore(store, folder, "t"));
    const std::string line = recordLine(measured(store, "current", monday, tuningOf(11494, 0), 11.5f));
    // The same entry as the version before wrote it, without single_cable, moved aside.
    std::vector<std::string> names = recordColumnNames(), fields;
    ASSERT_TRUE(splitCsvLine(line.substr(0, line.size() - 2), &fields));
    const auto column = std::find(names.begin(), names.end(), "single_cable") - names.begin();
    names.erase(names.begin() + column);
    fields.erase(fields.begin() + column);
    fields[0] = "older";
    for (std::string& field : fields) field = csvField(field);
    std::ofstream(folder + "/record-1.csv", std::ios::binary) << utf8ByteOrderMark << csvLine(names) << csvLine(fields);

    const std::string text = body(ask("/record.csv", folder));
    EXPECT_EQ(std::string(utf8ByteOrderMark) + recordHeaderLine() + "older" + line.substr(line.find(',')) + line, text);
    closeRecordStore(store);
}

TEST(PhoneRecord, TheRecordGoesToAFewPhonesAtATimeNotToAll)
{
    const std::string folder = newFolder();
    {
        std::ofstream big(recordFilePath(folder), std::ios::binary);
        big << utf8ByteOrderMark << recordHeaderLine() << std::string(recordFileLimitBytes - 1000, 'x') << "\r\n";
    }
    PhoneServerCore core;
    const PhonePlace place;
    PhoneServing serving;
    serving.place = &place;
    serving.recordFolder = &folder;
    int statuses[4] = {};
    for (int& status : statuses) {
        const int slot = openPhoneConnection(core, 0);
        const std::string request = "GET /record.csv HTTP/1.1\r\n\r\n";
        phoneReceived(core, slot, request.data(), request.size(), serving, 0);
        status = std::stoi(core.slots[slot].queue.substr(9, 3));
    }
    EXPECT_EQ(200, statuses[0]);
    EXPECT_EQ(200, statuses[1]);
    EXPECT_EQ(503, statuses[2]);
    EXPECT_EQ(503, statuses[3]);
    // Once one is sent, the next phone has its turn.
    phoneSent(core, 0, core.slots[0].queue.size(), 0);
    phoneActionFor(core, 0, 0);
    const int slot = openPhoneConnection(core, 0);
    const std::string request = "GET /record.csv HTTP/1.1\r\n\r\n";
    phoneReceived(core, slot, request.data(), request.size(), serving, 0);
    EXPECT_EQ(0u, core.slots[slot].queue.find("HTTP/1.1 200"));
}

}  // namespace
