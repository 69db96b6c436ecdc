#include "dvb/protocol/level_answer.h"

#include <cmath>
#include <sstream>
#include <vector>

#include "app/number_text.h"

static bool sendable(double value) { return std::isfinite(value) && std::fabs(value) < 2e6; }

std::string levelAnswerText(const SignalLevel& level)
{
    std::string text = std::string("level ") + levelStateWord(level.state);
    if (levelHasValue(level) && sendable(level.value)) {
        text += std::string(" ") + levelUnitWord(level.unit) + " ";
        text += std::to_string(std::lround(level.value * 1000.0));
        if (level.ranged && sendable(level.rangeTo))
            text += " to " + std::to_string(std::lround(level.rangeTo * 1000.0));
        if (level.bound != LevelExact) text += std::string(" ") + levelBoundWord(level.bound);
    }
    if (level.ageMs) text += " age " + std::to_string(level.ageMs);
    if (level.refreshMs) text += " refresh " + std::to_string(level.refreshMs);
    if (level.present >= 0) text += level.present ? " present yes" : " present no";
    return text;
}

// A level's thousandths and a time in ms, as the answer writes them.
static const WholeForm thousandthsForm{-2000000000, 2000000000, 10, false};
static const WholeForm msForm{1, 4000000000, 10, false};

bool parseLevelAnswer(const std::string& text, SignalLevel* level)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.size() < 2 || words[0] != "level" || text != [&] {
            std::string joined;
            for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
            return joined;
        }())
        return false;
    SignalLevel parsed;
    if (!levelStateFromWord(words[1].c_str(), &parsed.state)) return false;
    size_t at = 2;
    if (levelHasValue(parsed)) {
        long long thousandths = 0;
        if (at + 1 >= words.size() || !levelUnitFromWord(words[at], &parsed.unit) ||
            !readWholeNumber(words[at + 1], thousandthsForm, &thousandths))
            return false;
        parsed.value = static_cast<double>(thousandths) / 1000.0;
        at += 2;
        if (at + 1 < words.size() && words[at] == "to") {
            if (!readWholeNumber(words[at + 1], thousandthsForm, &thousandths)) return false;
            parsed.ranged = true;
            parsed.rangeTo = static_cast<double>(thousandths) / 1000.0;
            at += 2;
        }
        if (at < words.size() && levelBoundFromWord(words[at], &parsed.bound)) ++at;
    }
    for (const char* key : {"age", "refresh"}) {
        long long ms = 0;
        if (at + 1 >= words.size() || words[at] != key) continue;
        if (!readWholeNumber(words[at + 1], msForm, &ms)) return false;
        (words[at] == "age" ? parsed.ageMs : parsed.refreshMs) = static_cast<uint32_t>(ms);
        at += 2;
    }
    if (at + 1 < words.size() && words[at] == "present" && (words[at + 1] == "yes" || words[at + 1] == "no")) {
        parsed.present = words[at + 1] == "yes" ? 1 : 0;
        at += 2;
    }
    if (at != words.size()) return false;
    *level = parsed;
    return true;
}
