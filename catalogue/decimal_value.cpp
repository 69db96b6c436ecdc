#include "catalogue/decimal_value.h"

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
    // The magnitude is gathered in 64 bits and clamped as soon as it passes
    // what a 32-bit value can hold, so long digit runs cannot overflow it.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
