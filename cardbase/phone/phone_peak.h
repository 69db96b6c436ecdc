// The bracketing guide on the phone page (cardbase/peak): what a phone asks
// of it, a POST of /peak?do=start&axis=azimuth&edge=1 (or do=check, do=stop)
// with the header "X-Azimora: peak"; whether that may be done now; and how
// the guide goes out to the page as the stream's "peak" event: {"step"
// ("seeking", "edge-one", ...: peak_words.h), "running", "axis" ("azimuth",
// "elevation", "skew"), "edgeDb", "source" ("cn", "level" or null), "unit"
// ("dB", "dBm" or null), "best" and "edgeAt" (the best reading and where
// the edges lie, or null), "belowDb" (the check's, or null), "words",
// "say": {"en", "ru"}, "hint", "cue" (its sound: peak_words.h), "n" (counts
// its steps), "canCheck", "marks": [{"kind" ("edge-one", "past-peak",
// "edge-two", "check"), "t" (ms since 1970), "value"}]}. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/peak/peak_guide.h"
#include "cardbase/phone/phone_feed.h"

// The path that asks the guide.
constexpr char phonePeakPath[] = "/peak";
// While the guide's best rises, a phone gets it at most this often; a new
// step goes out at once.
constexpr uint32_t peakEventGapMs = 500;

struct PeakRequest {
    enum Kind : uint8_t { Start, Check, Stop } kind = Start;
    PeakAxis axis = PeakAzimuth;
    double edgeDb = defaultPeakEdgeDb;
};

// "do=start&axis=elevation&edge=0.5", "do=check", "do=stop" (axis and edge
// only with start, each at most once; edge 1 unless said). False with
// `problem` set for the user.
bool parsePeakRequest(const std::string& query, PeakRequest* request, std::string* problem);

// "" when the request may be carried out now, else why not, for the page.
std::string peakRefusal(const PhoneFeed& feed, const PeakRequest& request, int64_t wallMs);
// Carries out a request allowed, at the time of the latest reading (the
// guide counts in the card's clock, as its readings come).
void feedPeakRequest(PhoneFeed& feed, const PeakRequest& request);

std::string peakJson(const PeakGuide& guide);
std::string peakEvent(const PeakGuide& guide);
