#include "catalogue/decimal_value.h"

#include "app/number_text.h"

static bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int32_t decimalValue(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && isWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Long digit runs stop growing at what a 32-bit value can hold.
    const uint64_t limit = static_cast<uint64_t>(INT32_MAX) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    leadingDigits(text + i, length - i, length - i, limit, &magnitude);
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
}
