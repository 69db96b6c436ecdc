// How a survey is told: one line per transponder as it is measured and a
// table at the end (--csv writes the record's own lines, record_entry.h).
// Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "dvb/helper/survey/survey_run.h"

// "11362H27500    DVB-S2 8PSK 2/3  locked in 0.4 s  C/N 12.3 dB  quality 70 %  margin +6.1 dB (good)"
// or "10723H29900    no lock within 2.2 s".
std::string surveyLine(const SurveyResult& result);

// What the lists gave: "lists: 18 transponders at 13.0E (2 circularly
// polarized left out)".
std::string listsLine(const SurveyOutcome& outcome);

// The table of every result, a header line first.
std::string surveyTable(const SurveyOutcome& outcome);

// The LNB's own error over the transponders that gave one, each
// oscillator's mean and spread ("lnb error: +2.3 MHz mean of 12
// transponders, spread 0.2 MHz (10600 MHz oscillator)"), or why none:
// "lnb error: unknown (the driver does not give back the frequency it
// found)" where some locked and none gave one.
std::vector<std::string> lnbErrorLines(const SurveyOutcome& outcome);
