// The record as the phone page serves it: GET /record.csv gives the
// record's file as it is, GET /report a printable page of one day (A4,
// light background): the site, the date, the card, one row per transponder
// (its latest measurement that day) with its figures and a small chart of
// its C/N, and a line that says what the margin means. Read-only; the
// files are read with a bound. Platform-neutral over record_files.h.
#pragma once
#include <cstddef>
#include <string>

#include "cardbase/phone/phone_point.h"

constexpr char phoneRecordPath[] = "/record.csv";
constexpr char phoneReportPath[] = "/report";
// A report shows at most this many transponders.
constexpr size_t reportRowLimit = 200;

// The report's HTML from the record's and the series' file contents, for
// `date` ("2025-01-31", local as the record's start_local has it; "" for the
// newest entry's day). `place` gives the site where no entry names one.
std::string reportHtml(const std::string& recordBytes, const std::string& seriesBytes, const std::string& date,
                       const PhonePlace& place);

// The query of /report: "date=YYYY-MM-DD" or nothing; false when malformed.
bool readReportQuery(const std::string& query, std::string* date);

struct RecordReply {
    int status = 200;
    std::string contentType;
    std::string extraHeaders;
    std::string body;  // or the problem, for an error status
};

// The answer to one of the two paths, from the record kept in `folder`.
RecordReply recordReply(const std::string& path, const std::string& query, const std::string& folder,
                        const PhonePlace& place);
