#include "cardbase/record/record_reading.h"

#include <algorithm>

#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"

// A header line is far shorter; a file whose first line is longer has none.
static const size_t headerLimitBytes = 64 * 1024;

struct FileLines {
    bool read = false;
    bool cut = false;
    std::string header;  // the first line, without the byte order mark and the line end
    std::string lines;   // whole lines after it, each with its line end
};

static FileLines fileLines(const std::string& path, size_t limit)
{
    FileLines file;
    const int64_t size = fileSize(path);
    std::string head, bytes;
    if (size < 0 || !readFileHead(path, headerLimitBytes, &head)) return file;
    const size_t start = head.compare(0, 3, utf8ByteOrderMark) == 0 ? 3 : 0;
    const size_t headEnd = head.find_first_of("\r\n", start);
    if (headEnd == std::string::npos) return file;
    file.header = head.substr(start, headEnd - start);
    file.cut = static_cast<uint64_t>(size) > limit;
    // A byte more than the bound: the line end before the first whole line.
    if (!(file.cut ? readFileTail(path, limit + 1, &bytes) : readFileHead(path, static_cast<size_t>(size), &bytes)))
        return file;
    // Past the header, or past the line the bound cut into.
    const size_t first = file.cut ? bytes.find('\n') : bytes.find('\n', start);
    const size_t last = bytes.rfind('\n');
    file.read = true;
    if (first != std::string::npos && last != std::string::npos && last > first)
        file.lines = bytes.substr(first + 1, last - first);
    return file;
}

static CsvTable tableOf(const FileLines& file) { return readCsvText(file.header + csvLineEnd + file.lines); }

RecordFileRows readRecordFileRows(const std::string& path, size_t limit, const std::vector<std::string>& names)
{
    RecordFileRows rows;
    rows.table.header = names;
    const FileLines file = fileLines(path, limit);
    if (!file.read) return rows;
    rows.read = true;
    rows.cut = file.cut;
    const CsvTable table = tableOf(file);
    std::vector<int> columns;
    for (const std::string& name : names) columns.push_back(csvColumn(table, name));
    for (const std::vector<std::string>& row : table.rows) {
        std::vector<std::string> fields;
        for (int column : columns) fields.push_back(column < 0 ? std::string() : row[static_cast<size_t>(column)]);
        rows.table.rows.push_back(fields);
    }
    rows.table.skipped = table.skipped;
    return rows;
}

NewestRecord newestRecordText(const std::string& folder, size_t limitBytes)
{
    NewestRecord record;
    const std::vector<std::string> names = recordColumnNames();
    const std::string header = csvLine(names);
    std::vector<std::string> newestFirst;
    size_t budget = limitBytes;
    for (const std::string& path : recordFilesNewestFirst(folder, recordFileName)) {
        const int64_t size = fileSize(path);
        if (size <= 0) continue;
        if (budget == 0) {
            record.olderLeftOut = true;
            break;
        }
        const FileLines file = fileLines(path, budget);
        if (!file.read) continue;
        budget -= std::min(budget, static_cast<size_t>(size));
        // This version's lines go as they were written.
        newestFirst.push_back(file.header + csvLineEnd == header ? file.lines
                                                                 : csvLinesInColumns(tableOf(file), names));
        if (file.cut) {
            record.olderLeftOut = true;
            break;
        }
    }
    record.text = utf8ByteOrderMark + header;
    for (auto part = newestFirst.rbegin(); part != newestFirst.rend(); ++part) record.text += *part;
    return record;
}

RecordDay readRecordDay(const std::string& folder, const std::string& date, size_t limitBytes)
{
    RecordDay result;
    result.day = date;
    const std::vector<std::string> names = recordColumnNames();
    result.entries.header = names;
    const size_t startColumn =
        static_cast<size_t>(std::find(names.begin(), names.end(), std::string("start_local")) - names.begin());
    const auto dayOf = [&](const std::vector<std::string>& row) { return row[startColumn].substr(0, 10); };
    std::vector<std::vector<std::vector<std::string>>> newestFirst;
    size_t budget = limitBytes;
    bool bounded = false, reachedStart = false;
    for (const std::string& path : recordFilesNewestFirst(folder, recordFileName)) {
        const int64_t size = fileSize(path);
        if (size < 0) continue;
        if (budget == 0) {
            bounded = true;
            break;
        }
        const RecordFileRows file = readRecordFileRows(path, budget, names);
        budget -= std::min(budget, static_cast<size_t>(size));
        const std::vector<std::vector<std::string>>& rows = file.table.rows;
        if (result.day.empty() && !rows.empty()) result.day = dayOf(rows.back());
        newestFirst.emplace_back();
        for (const std::vector<std::string>& row : rows)
            if (dayOf(row) == result.day) newestFirst.back().push_back(row);
        // Entries are written as they end: a file that begins before the day holds its start.
        if (!rows.empty() && dayOf(rows.front()) < result.day) {
            reachedStart = true;
            break;
        }
        if (file.cut) {
            bounded = true;
            break;
        }
    }
    result.olderLeftOut = bounded && !reachedStart && !result.day.empty();
    for (auto part = newestFirst.rbegin(); part != newestFirst.rend(); ++part)
        result.entries.rows.insert(result.entries.rows.end(), part->begin(), part->end());
    return result;
}

RecordSeries readRecordSeries(const std::string& folder, const std::set<std::string>& ids, size_t limitBytes)
{
    RecordSeries series;
    series.missing = ids;
    const std::vector<std::string> names = seriesColumnNames();
    series.points.header = names;
    size_t budget = limitBytes;
    for (const std::string& path : recordFilesNewestFirst(folder, seriesFileName)) {
        if (series.missing.empty()) break;
        const int64_t size = fileSize(path);
        if (size < 0) continue;
        if (budget == 0) {
            series.olderLeftOut = true;
            break;
        }
        const RecordFileRows file = readRecordFileRows(path, budget, names);
        budget -= std::min(budget, static_cast<size_t>(size));
        // A measurement's series is written in one go, into one file.
        std::set<std::string> found;
        for (const std::vector<std::string>& row : file.table.rows) {
            if (!series.missing.count(row[0])) continue;
            series.points.rows.push_back(row);
            found.insert(row[0]);
        }
        for (const std::string& id : found) series.missing.erase(id);
        if (file.cut && !series.missing.empty()) {
            series.olderLeftOut = true;
            break;
        }
    }
    return series;
}
