// What a survey measured on one transponder: the record's entry of the
// measurement (cardbase/record: the time to lock, the share of readings
// locked, C/N and quality as minimum, median and peak, the link margin at the
// median C/N, the network's word) and its thinned C/N series, with what the
// survey adds: the transponder as it was found, the system it locked with,
// how long a lock was waited for. A transponder that never locked is a
// result too. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/record/record_entry.h"
#include "dvb/helper/survey/survey_plan.h"

struct SurveyResult {
    SurveyTransponder transponder;
    std::string refusal;    // the frontend refused the tune: why ("" when it took it)
    std::string system;     // the system it was set to when it locked: "DVB-S2", "DVB-S"
    uint32_t waitedMs = 0;  // from the tune to the lock, or to the end of the wait without one
    RecordEntry entry;
    std::vector<RecordSeriesPoint> series;
};

// The share of readings locked, 0 .. 1 (0 without readings).
double lockedShare(const SurveyResult& result);

// A high-band transponder: the LNB's tone switches it in.
bool highBand(const SurveyResult& result);
