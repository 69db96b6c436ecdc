// Whatever a record's file holds (a spreadsheet may save it back in any
// shape, a crash may tear it): it reads without fault, each row read has
// the header's fields and writes back as a line that reads the same, and
// the report made of it (the table as a day's entries and as their series)
// lets nothing of it through unescaped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cardbase/phone/phone_report.h"
#include "cardbase/record/record_csv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CsvTable table = readCsvText(bytes);
    for (const std::vector<std::string>& row : table.rows) {
        if (row.size() != table.header.size()) std::abort();
        std::vector<std::string> fields;
        for (const std::string& field : row) fields.push_back(csvField(field));
        const std::string line = csvLine(fields);
        std::vector<std::string> back;
        if (!splitCsvLine(line.substr(0, line.size() - 2), &back) || back != row) std::abort();
    }
    RecordDay day;
    day.entries = table;
    if (!table.rows.empty()) day.day = csvValue(table, table.rows.back(), "start_local").substr(0, 10);
    RecordSeries series;
    series.points = table;
    const std::string html = reportHtml(day, series, PhonePlace());
    if (html.find("<script") != std::string::npos || html.find("<img") != std::string::npos) std::abort();
    double value = 0.0;
    readDecimal(bytes.substr(0, 40), &value);
    return 0;
}
