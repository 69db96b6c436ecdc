#include "cardbase/phone/phone_sweep.h"

#include <cmath>
#include <cstdio>

std::string sweepRefusal(const PhoneFeed& feed, int64_t wallMs)
{
    if (!feed.canSweep) return "this card cannot sweep the band";
    if (feed.sweep.state == SweepRunning) return "a sweep is under way";
    const std::vector<PhoneReading> latest = readingsAfter(feed, feed.lastSeq ? feed.lastSeq - 1 : 0);
    if (!latest.empty() && wallMs - latest.back().timeMs < measuringWithinMs)
        return "Azimora is measuring: go back to Setup to sweep the band";
    return "";
}

static const char* stateWord(SweepState state)
{
    switch (state) {
    case SweepRunning: return "running";
    case SweepDone: return "done";
    case SweepFailed: return "failed";
    case SweepNone: break;
    }
    return "none";
}

static std::string peakJson(const SweepPeak& peak)
{
    const bool named = peak.network.known && !peak.network.networkName.empty();
    const bool placed = peak.network.known && peak.network.certainty != PositionUnknown;
    return "{\"f\":" + std::to_string(peak.frequencyMHz) + ",\"level\":" + jsonNumber(peak.level) +
           ",\"above\":" + jsonNumber(peak.aboveFloor) + ",\"width\":" + jsonNumber(peak.widthMHz, "%.1f") +
           ",\"tried\":" + (peak.tried ? "true" : "false") + ",\"locked\":" + (peak.locked ? "true" : "false") +
           ",\"symbolRate\":" + std::to_string(peak.symbolRate) +
           ",\"modcod\":" + (peak.hasModcod ? jsonString(modcodText(peak.modcod)) : "null") +
           ",\"network\":" + (named ? jsonString(peak.network.networkName) : "null") +
           ",\"position\":" + (placed ? jsonString(positionDegreesText(peak.network.position)) : "null") + "}";
}

std::string sweepJson(const SweepStatus& status)
{
    const SweepResult& result = status.result;
    std::string points, peaks;
    for (const SweepPoint& point : result.points)
        points += (points.empty() ? "[" : ",[") + std::to_string(point.frequencyMHz) + "," +
                  (point.measured ? jsonNumber(point.level) : "null") + "]";
    for (const SweepPeak& peak : result.peaks) peaks += (peaks.empty() ? "" : ",") + peakJson(peak);
    return std::string("{\"state\":\"") + stateWord(status.state) +
           "\",\"title\":" + jsonString(status.state == SweepNone ? "" : sweepTitle(status.plan)) +
           ",\"stepsDone\":" + std::to_string(status.stepsDone) + ",\"steps\":" + std::to_string(status.steps) +
           ",\"problem\":" + jsonString(status.problem) + ",\"unit\":\"" + levelUnitName(result.unit) +
           "\",\"floor\":" + jsonNumber(result.floor) + ",\"points\":[" + points + "],\"peaks\":[" + peaks + "]}";
}

std::string sweepEvent(const SweepStatus& status) { return "event: sweep\ndata: " + sweepJson(status) + "\n\n"; }
