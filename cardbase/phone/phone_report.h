// The record as the phone page serves it: GET /record.csv gives the
// record's newest entries (its current file and, before it, those it was
// moved to, up to the bound of one file, in this version's columns), GET
// /report a printable page of one day (A4, light background): the site,
// the date, the card, one row per transponder (its latest measurement that
// day) with its figures and a small chart of its C/N, and a line that says
// what the margin means; the day's entries and charts are read back across
// the record's files. What a bound leaves out is said. Read-only; the files
// are read with a bound. Platform-neutral over record_files.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "cardbase/phone/phone_point.h"
#include "cardbase/record/record_reading.h"

constexpr char phoneRecordPath[] = "/record.csv";
constexpr char phoneReportPath[] = "/report";
// A report shows at most this many transponders.
constexpr size_t reportRowLimit = 200;

// Set on /record.csv's answer when older entries were left out (the page says so).
constexpr char olderLeftOutHeader[] = "X-Azimora-Older-Left-Out";

// The measurements whose rows a day's report shows.
std::set<std::string> reportMeasurements(const RecordDay& day);
// The report's HTML from a day's entries (readRecordDay) and their series
// (readRecordSeries). `place` gives the site where no entry names one.
std::string reportHtml(const RecordDay& day, const RecordSeries& series, const PhonePlace& place);

// The query of /report: "date=YYYY-MM-DD" or nothing; false when malformed.
bool readReportQuery(const std::string& query, std::string* date);

struct RecordReply {
    int status = 200;
    std::string contentType;
    std::string extraHeaders;
    std::string body;  // or the problem, for an error status
};

// The answer to one of the two paths, from the record kept in `folder`;
// /record.csv is refused (503) where it would need more than `roomBytes`.
RecordReply recordReply(const std::string& path, const std::string& query, const std::string& folder,
                        const PhonePlace& place, size_t roomBytes = SIZE_MAX);
