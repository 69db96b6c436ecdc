// The band sweep through the line protocol: a program asks a serving
// azimora-dvb for one ("Sweep WORDS", the request's words as
// sweepRequestWords writes them), which then holds the frontend for it, and
// reads it as it goes and once done, a line at a time:
//   QuerySweep           ok sweep none | ok sweep running DONE STEPS |
//                        ok sweep done STEPS PEAKS dbm|percent|db FLOOR |
//                        ok sweep failed WORDS
//   SweepLevels FROM     ok levels FROM L L ... (up to sweepLevelsPerLine
//                        steps from FROM; "-" where none was read)
//   SweepPeak N          ok peak MHZ LEVEL ABOVE WIDTH [locked KSPS MODCOD|-
//                        NETWORK_ID|- POSITION|-]
//   SweepPeakName N      ok name [NETWORK NAME]
// Levels in hundredths of the unit, widths in tenths of a MHz, positions as
// "19.2E". Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/sweep/sweep_result.h"

constexpr size_t sweepLevelsPerLine = 12;

std::string sweepStateText(const SweepStatus& status);
// Fills state, steps, stepsDone, problem, the unit and the floor.
bool parseSweepState(const std::string& text, SweepStatus* status, size_t* peaks);

std::string sweepLevelsText(const SweepResult& result, size_t from);
// Appends the levels to `points`, the frequencies from `plan`; false when the line is not the one asked for.
bool parseSweepLevels(const std::string& text, const SweepPlan& plan, size_t from, std::vector<SweepPoint>* points);

std::string sweepPeakText(const SweepPeak& peak);
bool parseSweepPeak(const std::string& text, SweepPeak* peak);
std::string sweepPeakNameText(const SweepPeak& peak);
bool parseSweepPeakName(const std::string& text, SweepPeak* peak);
