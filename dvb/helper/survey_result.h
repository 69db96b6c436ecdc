// What a survey measured on one transponder: how long it took to lock, the
// share of readings locked while it dwelt there, C/N and quality (minimum,
// median and peak), the link margin at the median C/N with the modulation
// and code rate it was judged by, and the network's word heard there. A
// transponder that never locked is a result too. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/margin/link_margin.h"
#include "cardbase/network/network_watch.h"
#include "dvb/helper/survey_plan.h"

struct FigureSpread {
    bool known = false;
    double minimum = 0.0;
    double median = 0.0;
    double peak = 0.0;
};

// The spread of the samples (the median of an even count is the mean of
// the middle two); unknown without any.
FigureSpread spreadOf(std::vector<double> samples);

struct SurveyResult {
    SurveyTransponder transponder;
    std::string refusal;  // the frontend refused the tune: why ("" when it took it)
    bool locked = false;
    uint32_t lockMs = 0;    // from the tune to the lock; without one, how long it was waited for
    uint32_t readings = 0;  // taken while it dwelt there, from the lock on
    uint32_t lockedReadings = 0;
    FigureSpread carrierToNoiseDb;  // only a C/N measured in dB
    FigureSpread qualityPercent;
    std::string system;  // as it locked: "DVB-S2", "DVB-S"
    LinkMargin margin;   // at the median C/N
    NetworkReport network;
};

// The share of readings locked, 0 .. 1 (0 without readings).
double lockedShare(const SurveyResult& result);

// The margin at the median C/N: `inDecibels` whether the frontend's C/N is
// a measured figure in dB; the tuner's word, and the network's (this
// stream's own entry where it was read, else the list's entry for it).
LinkMargin medianMargin(const SurveyResult& result, bool inDecibels, const ModcodWord& tuner,
                        const ModcodWord& network);

// A high-band transponder: the LNB's tone switches it in.
bool highBand(const SurveyResult& result);
