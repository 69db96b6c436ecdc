#include "dvb/protocol/level_answer.h"

#include <cmath>
#include <sstream>
#include <vector>

std::string levelAnswerText(const SignalLevel& level)
{
    std::string text = std::string("level ") + levelStateWord(level.state);
    if (levelHasValue(level) && std::isfinite(level.value) && std::fabs(level.value) < 2e6) {
        text += std::string(" ") + levelUnitWord(level.unit) + " ";
        text += std::to_string(std::lround(level.value * 1000.0));
    }
    if (level.ageMs) text += " age " + std::to_string(level.ageMs);
    if (level.refreshMs) text += " refresh " + std::to_string(level.refreshMs);
    if (level.present >= 0) text += level.present ? " present yes" : " present no";
    return text;
}

// A decimal as the answer writes it: digits, a minus only before a number other than 0.
static bool wholeNumber(const std::string& word, bool allowNegative, long long* value)
{
    size_t at = allowNegative && !word.empty() && word[0] == '-' ? 1 : 0;
    if (at >= word.size() || word.size() - at > 10) return false;
    if (word[at] == '0' && (word.size() - at > 1 || at == 1)) return false;
    long long number = 0;
    for (; at < word.size(); ++at) {
        if (word[at] < '0' || word[at] > '9') return false;
        number = number * 10 + (word[at] - '0');
    }
    *value = word[0] == '-' ? -number : number;
    return true;
}

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
            !wholeNumber(words[at + 1], true, &thousandths))
            return false;
        parsed.value = static_cast<double>(thousandths) / 1000.0;
        at += 2;
    }
    for (const char* key : {"age", "refresh"}) {
        long long ms = 0;
        if (at + 1 >= words.size() || words[at] != key) continue;
        if (!wholeNumber(words[at + 1], false, &ms) || ms == 0 || ms > 4000000000LL) return false;
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
