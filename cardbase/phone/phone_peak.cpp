#include "cardbase/phone/phone_peak.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "cardbase/peak/peak_words.h"
#include "cardbase/phone/phone_sweep.h"

bool parsePeakRequest(const std::string& query, PeakRequest* request, std::string* problem)
{
    PeakRequest parsed;
    bool said[3] = {false, false, false};  // do, axis, edge
    std::istringstream stream(query);
    for (std::string pair; std::getline(stream, pair, '&');) {
        if (pair.empty()) continue;
        const size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
        const int which = key == "do" ? 0 : key == "axis" ? 1 : key == "edge" ? 2 : -1;
        if (equals == std::string::npos || which < 0 || said[which]) {
            *problem = "\"" + pair + "\" is not one of do=, axis=, edge= said once";
            return false;
        }
        said[which] = true;
        bool ok = false;
        if (which == 0) {
            ok = value == "start" || value == "check" || value == "stop";
            parsed.kind = value == "check"  ? PeakRequest::Check
                          : value == "stop" ? PeakRequest::Stop
                                            : PeakRequest::Start;
        } else if (which == 1) {
            ok = parsePeakAxis(value, &parsed.axis);
        } else {
            ok = parsePeakEdge(value.c_str(), &parsed.edgeDb);
        }
        if (!ok) {
            *problem = which == 0   ? "do= is start, check or stop"
                       : which == 1 ? "axis= is azimuth, elevation or skew"
                                    : "edge= is 0.5, 1 or 3 (dB)";
            return false;
        }
    }
    if (!said[0]) {
        *problem = "do= is start, check or stop";
        return false;
    }
    if (parsed.kind != PeakRequest::Start && (said[1] || said[2])) {
        *problem = "axis= and edge= go with do=start only";
        return false;
    }
    *request = parsed;
    return true;
}

std::string peakRefusal(const PhoneFeed& feed, const PeakRequest& request, int64_t wallMs)
{
    switch (request.kind) {
    case PeakRequest::Start: {
        const std::vector<PhoneReading> latest = readingsAfter(feed, feed.lastSeq ? feed.lastSeq - 1 : 0);
        if (latest.empty() || wallMs - latest.back().timeMs >= measuringWithinMs)
            return "Azimora is not measuring: measure the transponder, then start the guide";
        return "";
    }
    case PeakRequest::Check:
        switch (feed.peak.step) {
        case PeakEdgeTwo:
        case PeakSetHalfway:
        case PeakDone:
        case PeakTryAgain: return "";
        default: return "nothing to check yet: the guide checks once both edges are marked";
        }
    case PeakRequest::Stop: break;
    }
    return "";
}

void feedPeakRequest(PhoneFeed& feed, const PeakRequest& request)
{
    const uint32_t nowMs = feed.peakClockMs;
    switch (request.kind) {
    case PeakRequest::Start: startPeak(feed.peak, request.axis, request.edgeDb, feed.tuning.number, nowMs); break;
    case PeakRequest::Check: checkPeak(feed.peak, nowMs); break;
    case PeakRequest::Stop: stopPeak(feed.peak, nowMs); break;
    }
    ++feed.peakVersion;
}

static const char* markWord(PeakMarkKind kind)
{
    static const char* const words[] = {"edge-one", "past-peak", "edge-two", "check"};
    return kind <= PeakMarkCheck ? words[kind] : "check";
}

std::string peakJson(const PeakGuide& guide)
{
    const PeakWords words = peakWords(guide);
    const bool placed = guide.hasBest && guide.step != PeakIdle;
    const char* source = guide.source == PeakSourceCarrierToNoise ? "\"cn\""
                         : guide.source == PeakSourceLevel        ? "\"level\""
                                                                  : "null";
    const char* unit = guide.source == PeakSourceCarrierToNoise ? "\"dB\""
                       : guide.source == PeakSourceLevel        ? "\"dBm\""
                                                                : "null";
    std::string marks;
    for (const PeakMark& mark : guide.marks)
        marks += (marks.empty() ? "{" : ",{") + std::string("\"kind\":\"") + markWord(mark.kind) +
                 "\",\"t\":" + std::to_string(mark.wallMs) + ",\"value\":" + jsonNumber(mark.value) + "}";
    const bool canCheck = guide.step == PeakEdgeTwo || guide.step == PeakSetHalfway || guide.step == PeakDone ||
                          guide.step == PeakTryAgain;
    const bool checked = guide.step == PeakDone || guide.step == PeakTryAgain;
    return std::string("{\"step\":\"") + peakStepWord(guide.step) +
           "\",\"running\":" + (peakRunning(guide) ? "true" : "false") + ",\"axis\":\"" + peakAxisWord(guide.axis) +
           "\",\"edgeDb\":" + jsonNumber(guide.edgeDb, "%.1f") + ",\"source\":" + source + ",\"unit\":" + unit +
           ",\"best\":" + (placed ? jsonNumber(guide.best) : "null") +
           ",\"edgeAt\":" + (placed ? jsonNumber(guide.best - guide.edgeDb) : "null") +
           ",\"belowDb\":" + (checked ? jsonNumber(guide.belowDb, "%.1f") : "null") +
           ",\"words\":" + jsonString(words.english) + ",\"say\":{\"en\":" + jsonString(words.english) +
           ",\"ru\":" + jsonString(words.russian) + "},\"hint\":" + jsonString(words.hint) + ",\"cue\":\"" + words.cue +
           "\",\"n\":" + std::to_string(guide.changes) + ",\"canCheck\":" + (canCheck ? "true" : "false") +
           ",\"marks\":[" + marks + "]}";
}

std::string peakEvent(const PeakGuide& guide) { return "event: peak\ndata: " + peakJson(guide) + "\n\n"; }
