// The text of the record's files: CSV as RFC 4180 has it (commas, CR LF,
// fields quoted where needed), UTF-8 with a byte order mark so that
// spreadsheets in every locale read it as UTF-8, dot decimals whatever the
// locale, ISO 8601 times. Every record is one physical line (a line break
// inside a field is written as a blank), so that a line torn by a crash
// stays a line of its own and is skipped on reading. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr char utf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char csvLineEnd[] = "\r\n";

// A field as written: quoted when it holds a comma, a quote or a blank at
// either end.
std::string csvField(const std::string& value);
// A field of words from elsewhere (a card's or a network's name, a note):
// control characters become blanks, and text a spreadsheet would take for
// a formula (starting with = + - @) gets a leading apostrophe.
std::string csvTextField(const std::string& text);
// The fields, each already written as csvField, joined and ended with CR LF.
std::string csvLine(const std::vector<std::string>& fields);

// One physical line (without its line end) as fields; false when its quotes
// do not pair up.
bool splitCsvLine(const std::string& line, std::vector<std::string>* fields);

struct CsvTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;  // each with as many fields as the header
    size_t skipped = 0;                          // torn or malformed lines left out
};

// A whole file's bytes: the byte order mark dropped, the first line the
// header, and every later line that ends with a line end and has the
// header's number of fields a row; a last line without its line end (torn
// by a crash) is skipped, never fatal.
CsvTable readCsvText(const std::string& bytes);
// The column's index in the header, or -1.
int csvColumn(const CsvTable& table, const std::string& name);
// The row's field of that column, "" when the table has no such column.
std::string csvValue(const CsvTable& table, const std::vector<std::string>& row, const std::string& name);
// The table's rows as lines in the columns `names` (another version's file
// may have others): what it lacks stays empty, what `names` lacks is left out.
std::string csvLinesInColumns(const CsvTable& table, const std::vector<std::string>& names);

// "12.35" with `places` decimals and a dot, whatever the C library's locale.
std::string decimalText(double value, int places);
// A dot decimal as decimalText writes it (an optional minus, digits, an
// optional dot and digits); false for anything else.
bool readDecimal(const std::string& text, double* value);

// "2025-01-31T10:15:02Z", to the second.
std::string isoUtcText(int64_t unixMs);
// "2025-01-31T11:15:02+01:00": the local time `zoneMinutes` east of UTC.
std::string isoLocalText(int64_t unixMs, int32_t zoneMinutes);
