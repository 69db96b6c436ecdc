#include "dvb/protocol/reading_words.h"

#include <cstdlib>

static const struct {
    SnrUnit unit;
    const char* words;
} unitWords[] = {{SnrUnitDecibel, "unit decibel"},
                 {SnrUnitDecibelOrMore, "unit decibel-or-more"},
                 {SnrUnitDecibelOrLess, "unit decibel-or-less"},
                 {SnrUnitDerived, "unit derived"}};

static const char refreshWord[] = " refresh ";

// The digits of a count of milliseconds, 0 where they are not one.
static uint32_t millisecondsOf(const std::string& digits)
{
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 10));
}

std::string readingUnitWords(SnrUnit unit, uint32_t refreshMs)
{
    std::string words = "unit derived";
    for (const auto& each : unitWords)
        if (each.unit == unit) words = each.words;
    return refreshMs > 0 ? words + refreshWord + std::to_string(refreshMs) : words;
}

SnrUnit readingUnitOf(const std::string& words)
{
    const size_t refresh = words.find(refreshWord);
    if (refresh != std::string::npos && millisecondsOf(words.substr(refresh + sizeof refreshWord - 1)) == 0)
        return SnrUnitOfCard;
    const std::string unit = words.substr(0, refresh);
    for (const auto& each : unitWords)
        if (unit == each.words) return each.unit;
    return SnrUnitOfCard;
}

uint32_t readingRefreshOf(const std::string& words)
{
    const size_t refresh = words.find(refreshWord);
    if (refresh == std::string::npos || readingUnitOf(words) == SnrUnitOfCard) return 0;
    return millisecondsOf(words.substr(refresh + sizeof refreshWord - 1));
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
    return millisecondsOf(reason.substr(head.size(), reason.size() - head.size() - tail.size()));
}
