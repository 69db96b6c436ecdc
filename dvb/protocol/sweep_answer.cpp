#include "dvb/protocol/sweep_answer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/number_text.h"

static std::vector<std::string> wordsOf(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// A whole number as these answers write it.
static bool whole(const std::string& word, long long* value)
{
    return readWholeNumber(word, WholeForm{-999999999999, 999999999999, 12, false}, value);
}

static std::string hundredths(double value) { return std::to_string(std::llround(value * 100.0)); }

std::string sweepStateText(const SweepStatus& status)
{
    switch (status.state) {
    case SweepNone: break;
    case SweepRunning: return "sweep running " + std::to_string(status.stepsDone) + " " + std::to_string(status.steps);
    case SweepDone:
        return "sweep done " + std::to_string(status.stepsDone) + " " + std::to_string(status.result.peaks.size()) +
               " " + levelUnitWord(status.result.unit) + " " + hundredths(status.result.floor);
    case SweepFailed: return "sweep failed " + (status.problem.empty() ? std::string("failed") : status.problem);
    }
    return "sweep none";
}

bool parseSweepState(const std::string& text, SweepStatus* status, size_t* peaks)
{
    const std::vector<std::string> words = wordsOf(text);
    if (words.size() < 2 || words[0] != "sweep") return false;
    long long a = 0, b = 0, floor = 0;
    if (words[1] == "none" && words.size() == 2) {
        status->state = SweepNone;
    } else if (words[1] == "running" && words.size() == 4 && whole(words[2], &a) && whole(words[3], &b) && a >= 0 &&
               b >= a && b < 100000) {
        status->state = SweepRunning;
        status->stepsDone = static_cast<uint32_t>(a);
        status->steps = static_cast<uint32_t>(b);
    } else if (words[1] == "done" && words.size() == 6 && whole(words[2], &a) && whole(words[3], &b) &&
               levelUnitFromWord(words[4], &status->result.unit) && whole(words[5], &floor) && a >= 0 && a < 100000 &&
               b >= 0 && b < 10000) {
        status->state = SweepDone;
        status->steps = status->stepsDone = static_cast<uint32_t>(a);
        *peaks = static_cast<size_t>(b);
        status->result.floor = static_cast<double>(floor) / 100.0;
    } else if (words[1] == "failed" && words.size() > 2) {
        status->state = SweepFailed;
        status->problem = text.substr(text.find("failed ") + 7);
    } else {
        return false;
    }
    return true;
}

std::string sweepLevelsText(const SweepResult& result, size_t from)
{
    std::string text = "levels " + std::to_string(from);
    for (size_t i = from; i < result.points.size() && i < from + sweepLevelsPerLine; ++i)
        text += result.points[i].measured ? " " + hundredths(result.points[i].level) : std::string(" -");
    return text;
}

bool parseSweepLevels(const std::string& text, const SweepPlan& plan, size_t from, std::vector<SweepPoint>* points)
{
    const std::vector<std::string> words = wordsOf(text);
    long long first = 0;
    if (words.size() < 2 || words[0] != "levels" || !whole(words[1], &first) || first != static_cast<long long>(from) ||
        words.size() - 2 > sweepLevelsPerLine || from + (words.size() - 2) > plan.frequenciesMHz.size())
        return false;
    std::vector<SweepPoint> read;
    for (size_t i = 2; i < words.size(); ++i) {
        const int32_t frequency = plan.frequenciesMHz[from + i - 2];
        long long level = 0;
        if (words[i] == "-") read.push_back(SweepPoint{frequency, false, 0.0});
        else if (whole(words[i], &level))
            read.push_back(SweepPoint{frequency, true, static_cast<double>(level) / 100.0});
        else return false;
    }
    points->insert(points->end(), read.begin(), read.end());
    return true;
}

std::string sweepPeakText(const SweepPeak& peak)
{
    std::string text = "peak " + std::to_string(peak.frequencyMHz) + " " + hundredths(peak.level) + " " +
                       hundredths(peak.aboveFloor) + " " + std::to_string(std::llround(peak.widthMHz * 10.0));
    if (!peak.tried) return text;
    if (!peak.locked) return text + " nolock";
    char id[8] = "-";
    if (peak.network.known) std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned>(peak.network.networkId));
    const bool placed = peak.network.known && peak.network.certainty != PositionUnknown;
    return text + " locked " + std::to_string(peak.symbolRate) + " " +
           (peak.hasModcod ? modcodText(peak.modcod) : "-") + " " + id + " " +
           (placed ? positionText(peak.network.position) : "-");
}

static bool parsePosition(const std::string& word, PositionTenths* position)
{
    const size_t dot = word.find('.');
    if (word.size() < 4 || dot == std::string::npos || dot + 3 != word.size()) return false;
    const char side = word.back();
    long long whole10 = 0, tenth = 0;
    if ((side != 'E' && side != 'W') || !whole(word.substr(0, dot), &whole10) || whole10 < 0 || whole10 > 180 ||
        !whole(word.substr(dot + 1, 1), &tenth) || tenth < 0)
        return false;
    const long long tenths = whole10 * 10 + tenth;
    *position = static_cast<PositionTenths>(side == 'E' ? tenths : -tenths);
    return true;
}

bool parseSweepPeak(const std::string& text, SweepPeak* peak)
{
    const std::vector<std::string> words = wordsOf(text);
    SweepPeak parsed;
    long long f = 0, level = 0, above = 0, width = 0;
    if (words.size() < 5 || words[0] != "peak" || !whole(words[1], &f) || !whole(words[2], &level) ||
        !whole(words[3], &above) || !whole(words[4], &width) || f <= 0 || f > 100000 || width < 0)
        return false;
    parsed.frequencyMHz = static_cast<int32_t>(f);
    parsed.level = static_cast<double>(level) / 100.0;
    parsed.aboveFloor = static_cast<double>(above) / 100.0;
    parsed.widthMHz = static_cast<double>(width) / 10.0;
    if (words.size() == 6 && words[5] == "nolock") {
        parsed.tried = true;
    } else if (words.size() == 10 && words[5] == "locked") {
        long long rate = 0, id = 0;
        parsed.tried = parsed.locked = true;
        if (!whole(words[6], &rate) || rate <= 0 || rate > 100000) return false;
        parsed.symbolRate = static_cast<int32_t>(rate);
        if (words[7] != "-") {
            if (!parseModcod(words[7], &parsed.modcod)) return false;
            parsed.hasModcod = true;
        }
        if (words[8] != "-") {
            if (words[8].size() != 6 || words[8].compare(0, 2, "0x") != 0) return false;
            char* end = nullptr;
            id = std::strtoll(words[8].c_str() + 2, &end, 16);
            if (*end != '\0') return false;
            parsed.network.known = true;
            parsed.network.networkId = static_cast<uint16_t>(id);
            parsed.network.certainty = PositionUnknown;
        }
        if (words[9] != "-") {
            if (!parsed.network.known || !parsePosition(words[9], &parsed.network.position)) return false;
            parsed.network.certainty = PositionOfStream;
        }
    } else if (words.size() != 5) {
        return false;
    }
    *peak = parsed;
    return true;
}

std::string sweepPeakNameText(const SweepPeak& peak)
{
    return "name" + (peak.network.known && !peak.network.networkName.empty() ? " " + peak.network.networkName : "");
}

bool parseSweepPeakName(const std::string& text, SweepPeak* peak)
{
    if (text == "name") return true;
    if (text.compare(0, 5, "name ") != 0 || text.size() == 5) return false;
    peak->network.networkName = text.substr(5);
    return true;
}
