#include "app/number_text.h"

#include <cmath>
#include <cstdlib>

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

size_t leadingDigits(const char* text, size_t length, size_t mostDigits, uint64_t cap, uint64_t* value)
{
    uint64_t number = 0;
    size_t count = 0;
    for (; count < length && count < mostDigits && isDigit(text[count]); ++count) {
        const uint64_t digit = static_cast<uint64_t>(text[count] - '0');
        number = cap < digit || number > (cap - digit) / 10 ? cap : number * 10 + digit;
    }
    *value = number;
    return count;
}

bool readWholeNumber(const std::string& text, const WholeForm& form, int64_t* value)
{
    const bool negative = form.least < 0 && !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    const size_t digits = text.size() - start;
    if (digits == 0 || digits > form.mostDigits) return false;
    if (!form.leadingZeros && text[start] == '0' && (digits > 1 || negative)) return false;
    // The largest magnitude the form lets through, and one past it where the reading stops.
    const uint64_t limit = negative        ? static_cast<uint64_t>(-(form.least + 1)) + 1
                           : form.most < 0 ? 0
                                           : static_cast<uint64_t>(form.most);
    uint64_t magnitude = 0;
    if (leadingDigits(text.data() + start, digits, digits, limit + 1, &magnitude) != digits || magnitude > limit)
        return false;
    // The magnitude of INT64_MIN has no positive int64_t: negated one short of it.
    const int64_t number = !negative        ? static_cast<int64_t>(magnitude)
                           : magnitude == 0 ? 0
                                            : -static_cast<int64_t>(magnitude - 1) - 1;
    if (number < form.least || number > form.most) return false;
    *value = number;
    return true;
}

bool readDecimalNumber(const std::string& text, const DecimalForm& form, double* value)
{
    if (text.empty() || (form.longest > 0 && text.size() > form.longest)) return false;
    size_t at = (form.plus && text[0] == '+') || (form.minus && text[0] == '-') ? 1 : 0;
    size_t digits = 0, points = 0;
    for (; at < text.size(); ++at) {
        if (isDigit(text[at])) ++digits;
        else if (text[at] == '.' && points == 0) ++points;
        else return false;
    }
    if (digits == 0 || (form.mostDigits > 0 && digits > form.mostDigits)) return false;
    const double number = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(number)) return false;
    *value = number;
    return true;
}
