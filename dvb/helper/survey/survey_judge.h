// What a survey's pattern of failures means, where the pattern is clear,
// and the catalogue's transponder against the networks' own lists. The
// sentences, word for word:
//   nothing locks: "no lock at all: is the dish on the satellite, the LNB
//   powered, the cable sound?";
//   a lock, but the network names another position: "this is 19.2° E, not
//   13.0° E";
//   every high-band transponder fails while low-band ones lock: "no lock on
//   any high-band transponder: is the 22 kHz tone reaching the LNB?";
//   every horizontal one fails while vertical ones lock: "no lock on any
//   horizontal transponder: does the LNB switch to 18 V?";
//   through a single-cable device, which ignores the tone and takes the
//   polarization from its command, nothing locking: "no answer from the
//   single-cable device: user band, PIN or 18 V", and no tone or 18 V
//   sentence.
// A group is judged failed only when at least clearPatternCount of it were
// measured, all without lock: one dead transponder is no pattern.
// Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "dvb/helper/survey/survey_result.h"

constexpr size_t clearPatternCount = 2;

// `expected`: the positions the satellite was expected at (none for a
// typed entry the catalogue does not list); `singleCable`: measured
// through a single-cable device.
std::vector<std::string> surveySentences(const std::vector<SurveyResult>& results,
                                         const std::vector<PositionTenths>& expected, bool singleCable = false);

// The catalogue's transponder has gone stale: it did not lock and no list
// heard names it.
bool catalogueStale(const SurveyResult& catalogueResult, const HeardLists& lists);

// A replacement for a stale catalogue transponder: of the transponders the
// lists give at the satellite's position that locked, the most robust modulation first (the lowest
// C/N its modulation and code rate need; those the list gives none for
// last), then the best median C/N; only one a catalogue line can hold.
// -1 when none.
int replacementFor(const std::vector<SurveyResult>& results);

// The sentence that names it: "the catalogue's 10723H29900 for HotBird1-6
// 13.0e does not lock and no network here lists it: 11034V27500 (DVB-S
// QPSK 3/4) replaces it".
std::string replacementSentence(const std::string& satelliteName, const SurveyResult& stale,
                                const SurveyResult* replacement);
