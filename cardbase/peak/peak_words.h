// What the bracketing guide says at each step: the words shown on the page
// and in the practice dish's window and spoken (English and Russian), a
// line of advice under them, and which of its own sounds goes with them.
// Platform-neutral.
#pragma once
#include <string>

#include "cardbase/peak/peak_guide.h"

struct PeakWords {
    std::string english;  // "edge one: mark the mount"; "" when idle
    std::string russian;
    std::string hint;  // what to do meanwhile, or next
    // The sound of its own: "start", "turn", "rise", "edge", "past", "set",
    // "done", "again", "stop", or "" for none.
    const char* cue;
};

PeakWords peakWords(const PeakGuide& guide);

// "azimuth", "elevation", "skew": as the page asks for an axis and shows it.
const char* peakAxisWord(PeakAxis axis);
bool parsePeakAxis(const std::string& text, PeakAxis* axis);
// "seeking", "edge-one", ...: the step as the page's stream carries it.
const char* peakStepWord(PeakStep step);

// The practice dish's window's line: "azimuth: edge one: mark the mount", or "" when idle.
std::string peakLine(const PeakGuide& guide);
