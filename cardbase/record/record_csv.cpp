#include "cardbase/record/record_csv.h"

#include <cmath>
#include <cstdio>

#include "app/number_text.h"
#include "cardbase/pointing/civil_time.h"

std::string csvField(const std::string& value)
{
    const bool quoted = value.find_first_of(",\"\r\n") != std::string::npos ||
                        (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quoted) return value;
    std::string field = "\"";
    for (char c : value) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

std::string csvTextField(const std::string& text)
{
    std::string clean = text;
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    if (!clean.empty() && std::string("=+-@").find(clean[0]) != std::string::npos) clean.insert(0, "'");
    return csvField(clean);
}

std::string csvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + fields[i];
    return line + csvLineEnd;
}

bool splitCsvLine(const std::string& line, std::vector<std::string>* fields)
{
    fields->clear();
    size_t at = 0;
    for (;;) {
        std::string field;
        if (at < line.size() && line[at] == '"') {
            for (++at;; ++at) {
                if (at >= line.size()) return false;
                if (line[at] != '"') {
                    field += line[at];
                } else if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    ++at;
                } else {
                    break;
                }
            }
            ++at;
            if (at < line.size() && line[at] != ',') return false;
        } else {
            const size_t end = line.find(',', at);
            field = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (field.find('"') != std::string::npos) return false;
            at = end == std::string::npos ? line.size() : end;
        }
        fields->push_back(field);
        if (at >= line.size()) return true;
        ++at;  // the comma
    }
}

CsvTable readCsvText(const std::string& bytes)
{
    CsvTable table;
    size_t at = bytes.compare(0, 3, utf8ByteOrderMark) == 0 ? 3 : 0;
    bool first = true;
    std::vector<std::string> fields;
    while (at < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            ++table.skipped;  // torn: its line end never came
            break;
        }
        const std::string line = bytes.substr(at, end - at);
        at = end + (bytes.compare(end, 2, csvLineEnd) == 0 ? 2 : 1);
        if (line.empty()) continue;
        if (!splitCsvLine(line, &fields)) {
            ++table.skipped;
        } else if (first) {
            table.header = fields;
        } else if (fields.size() == table.header.size()) {
            table.rows.push_back(fields);
        } else {
            ++table.skipped;
        }
        first = false;
    }
    return table;
}

int csvColumn(const CsvTable& table, const std::string& name)
{
    for (size_t i = 0; i < table.header.size(); ++i)
        if (table.header[i] == name) return static_cast<int>(i);
    return -1;
}

std::string csvValue(const CsvTable& table, const std::vector<std::string>& row, const std::string& name)
{
    const int column = csvColumn(table, name);
    return column < 0 || static_cast<size_t>(column) >= row.size() ? std::string() : row[column];
}

std::string csvLinesInColumns(const CsvTable& table, const std::vector<std::string>& names)
{
    std::vector<int> columns;
    for (const std::string& name : names) columns.push_back(csvColumn(table, name));
    std::string lines;
    std::vector<std::string> fields(names.size());
    for (const std::vector<std::string>& row : table.rows) {
        for (size_t i = 0; i < columns.size(); ++i)
            fields[i] = columns[i] < 0 ? std::string() : csvField(row[static_cast<size_t>(columns[i])]);
        lines += csvLine(fields);
    }
    return lines;
}

std::string decimalText(double value, int places)
{
    if (!std::isfinite(value)) return std::string();
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    std::string written = text;
    // A locale with a decimal comma, should anything in the process set one.
    for (char& c : written)
        if (c == ',') c = '.';
    if (written == "-0" || written.find_first_not_of("-0.") == std::string::npos) {
        if (written[0] == '-') written.erase(0, 1);
    }
    return written;
}

bool readDecimal(const std::string& text, double* value)
{
    return readDecimalNumber(text, DecimalForm{false, true, 0, 17}, value);
}

static std::string clockText(int64_t unixMs)
{
    const int64_t seconds = unixMs / 1000 - (unixMs % 1000 < 0 ? 1 : 0);
    const int64_t days = seconds / 86400 - (seconds % 86400 < 0 ? 1 : 0);
    const int64_t ofDay = seconds - days * 86400;
    const CivilDate date = civilFromDays(days);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", static_cast<int>(date.year),
                  static_cast<int>(date.month), static_cast<int>(date.day), static_cast<int>(ofDay / 3600),
                  static_cast<int>(ofDay / 60 % 60), static_cast<int>(ofDay % 60));
    return text;
}

std::string isoUtcText(int64_t unixMs) { return clockText(unixMs) + "Z"; }

std::string isoLocalText(int64_t unixMs, int32_t zoneMinutes)
{
    return clockText(unixMs + zoneMinutes * msPerMinute) + offsetText(zoneMinutes);
}
