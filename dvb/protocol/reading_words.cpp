#include "dvb/protocol/reading_words.h"

#include <cstdlib>

static const struct {
    SnrUnit unit;
    const char* words;
} unitWords[] = {{SnrUnitDecibel, "unit decibel"},
                 {SnrUnitDecibelOrMore, "unit decibel-or-more"},
                 {SnrUnitDecibelOrLess, "unit decibel-or-less"},
                 {SnrUnitDerived, "unit derived"}};

std::string readingUnitWords(SnrUnit unit)
{
    for (const auto& each : unitWords)
        if (each.unit == unit) return each.words;
    return "unit derived";
}

SnrUnit readingUnitOf(const std::string& words)
{
    for (const auto& each : unitWords)
        if (words == each.words) return each.unit;
    return SnrUnitOfCard;
}

static const char searchingWord[] = "searching ";
static const char millisecondsWord[] = " ms";

std::string searchingReason(uint32_t searchingMs)
{
    return searchingWord + std::to_string(searchingMs) + millisecondsWord;
}

uint32_t searchingMsOf(const std::string& reason)
{
    const std::string head = searchingWord, tail = millisecondsWord;
    if (reason.size() <= head.size() + tail.size() || reason.compare(0, head.size(), head) != 0 ||
        reason.compare(reason.size() - tail.size(), tail.size(), tail) != 0)
        return 0;
    const std::string digits = reason.substr(head.size(), reason.size() - head.size() - tail.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
}
