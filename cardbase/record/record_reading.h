// The record as its readers take it back (the phone page's /record.csv and
// /report): the current file and, before it, the numbered ones it was moved
// to when it was full or its header changed, newest first, each read within
// a bound and its rows put in this version's columns, so that a rollover
// hides nothing a reader asks for, and what a bound leaves out is said.
// Platform-neutral over record_files.h.
#pragma once
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "cardbase/record/record_csv.h"

// A file's rows in the columns `names`: the whole file, or only its last
// `limit` bytes where it is bigger (the line they cut into dropped, `cut`
// set). A torn last line is left out.
struct RecordFileRows {
    bool read = false;
    bool cut = false;
    CsvTable table;  // its header is `names`
};
RecordFileRows readRecordFileRows(const std::string& path, size_t limit, const std::vector<std::string>& names);

// The newest entries of the record, at most `limitBytes` of its files, oldest
// first, as one CSV text: the byte order mark, this version's header, the
// lines (a file of this version's header as written, another version's in
// this version's columns).
struct NewestRecord {
    std::string text;
    bool olderLeftOut = false;  // older entries lie in files, or the part of one, not read
};
NewestRecord newestRecordText(const std::string& folder, size_t limitBytes);

// The entries of one day ("2025-01-31", local as start_local has it; "" for
// the newest entry's day), oldest first, in this version's columns, read
// from the newest file back until the day's start or `limitBytes`.
struct RecordDay {
    std::string day;  // "" when nothing is recorded
    CsvTable entries;
    bool olderLeftOut = false;  // the bound came before the day's start
};
RecordDay readRecordDay(const std::string& folder, const std::string& date, size_t limitBytes);

// The C/N series' rows of these measurements, from the series files newest
// first until every one is found or `limitBytes` are read.
struct RecordSeries {
    CsvTable points;                // in this version's series columns
    std::set<std::string> missing;  // ids not found
    bool olderLeftOut = false;      // the bound came first: the missing may lie in older files
};
RecordSeries readRecordSeries(const std::string& folder, const std::set<std::string>& ids, size_t limitBytes);
