#include "dvb/protocol/modcod_answer.h"

#include <vector>

struct GapWord {
    ModcodGap gap;
    const char* word;
};

static const GapWord tunerGaps[] = {{GapNotAsked, "not-asked"},   {GapNotReported, "not-reported"},
                                    {GapAutomatic, "automatic"},  {GapEcho, "echo"},
                                    {GapTunerOutside, "outside"}, {GapSystemUntold, "no-system"}};
static const GapWord networkGaps[] = {{GapNetworkReading, "reading"}, {GapNoNetworkTable, "none"},
                                      {GapNoOwnEntry, "no-entry"},    {GapNoDescriptor, "no-descriptor"},
                                      {GapDescriptorVague, "vague"},  {GapNetworkOutside, "outside"}};

template <size_t count>
static std::string wordOf(const ModcodWord& word, const GapWord (&gaps)[count])
{
    if (word.known) return modcodText(word.modcod);
    for (const GapWord& gap : gaps)
        if (gap.gap == word.gap) return gap.word;
    return gaps[0].word;  // a gap of the other source's: the first of this one's
}

template <size_t count>
static bool parseWord(const std::string& text, const GapWord (&gaps)[count], ModcodWord* word)
{
    for (const GapWord& gap : gaps) {
        if (text != gap.word) continue;
        *word = missingWord(gap.gap);
        return true;
    }
    Modcod modcod;
    // Exactly as written: upper-case letters only.
    if (!parseModcod(text, &modcod) || modcodText(modcod) != text) return false;
    *word = knownWord(modcod);
    return true;
}

std::string modcodAnswerText(const ModcodAnswer& answer)
{
    if (!answer.locked) return "modcod unlocked";
    return std::string("modcod ") + (answer.carrierToNoiseInDecibels ? "decibel" : "other") + " " +
           wordOf(answer.tuner, tunerGaps) + " " + wordOf(answer.network, networkGaps);
}

bool parseModcodAnswer(const std::string& text, ModcodAnswer* answer)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t blank = text.find(' ', at);
        words.push_back(text.substr(at, blank == std::string::npos ? std::string::npos : blank - at));
        if (blank == std::string::npos) break;
        at = blank + 1;
    }
    if (words.empty() || words[0] != "modcod") return false;
    if (words.size() == 2 && words[1] == "unlocked") {
        *answer = ModcodAnswer();
        return true;
    }
    ModcodAnswer parsed;
    parsed.locked = true;
    if (words.size() != 4 || (words[1] != "decibel" && words[1] != "other") ||
        !parseWord(words[2], tunerGaps, &parsed.tuner) || !parseWord(words[3], networkGaps, &parsed.network))
        return false;
    parsed.carrierToNoiseInDecibels = words[1] == "decibel";
    *answer = parsed;
    return true;
}
