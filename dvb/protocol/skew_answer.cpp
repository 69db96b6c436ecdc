#include "dvb/protocol/skew_answer.h"

#include "app/number_text.h"

static const char* const kindWords[] = {"notyet", "nolist", "nonetwork", "circular", "here", "elsewhere", "nowhere"};
constexpr int kindCount = static_cast<int>(sizeof kindWords / sizeof kindWords[0]);

static bool namesTransponder(SkewChanceKind kind) { return kind == SkewHere || kind == SkewElsewhere; }

std::string skewAnswerText(const SkewChance& chance)
{
    const int kind = chance.kind < kindCount ? chance.kind : SkewNotYet;
    std::string text = std::string("skew ") + kindWords[kind];
    if (namesTransponder(static_cast<SkewChanceKind>(kind)))
        text += " " + std::to_string(chance.frequencyMHz) + (chance.polarization == 1 ? " V" : " H");
    return text;
}

bool parseSkewAnswer(const std::string& text, SkewChance* chance)
{
    if (text.compare(0, 5, "skew ") != 0) return false;
    const size_t end = text.find(' ', 5);
    const std::string word = text.substr(5, end == std::string::npos ? std::string::npos : end - 5);
    for (int kind = 0; kind < kindCount; ++kind) {
        if (word != kindWords[kind]) continue;
        SkewChance parsed;
        parsed.kind = static_cast<SkewChanceKind>(kind);
        if (!namesTransponder(parsed.kind)) {
            if (end != std::string::npos) return false;
            *chance = parsed;
            return true;
        }
        // "MHZ H" or "MHZ V", the frequency a whole number without a sign or a leading zero.
        if (end == std::string::npos || text.size() < end + 4 || text[text.size() - 2] != ' ') return false;
        const char side = text.back();
        if (side != 'H' && side != 'V') return false;
        if (!readWholeNumber(text.substr(end + 1, text.size() - 2 - (end + 1)), WholeForm{1, 99999, 5, false},
                             &parsed.frequencyMHz))
            return false;
        parsed.polarization = side == 'V' ? 1 : 0;
        *chance = parsed;
        return true;
    }
    return false;
}
