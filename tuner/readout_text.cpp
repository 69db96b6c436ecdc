#include "tuner/readout_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void formatQualityText(int32_t quality, char text[4])
{
    // The text holds two digits only, and the spoken report says just those
    // two: "100" cut to "10" would tell the person at the dish 10%. A card
    // reporting 100 or more is at the top of its scale, and "99%" says so
    // without ever overstating. A negative figure means no usable signal,
    // which is what "00%" shows everywhere else.
    if (quality > 99) quality = 99;
    if (quality < 0) quality = 0;
    text[0] = static_cast<char>('0' + quality / 10);
    text[1] = static_cast<char>('0' + quality % 10);
    text[2] = '%';
    text[3] = '\0';
}

// A positive finite magnitude as its first 17 significant decimal digits,
// magnitude = 0.d0 d1 d2 ... * 10^(exponent + 1).
struct DecimalDigits {
    char digit[17];
    int exponent;
};

static DecimalDigits decimalDigitsOf(double magnitude)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.16e", magnitude);
    DecimalDigits d;
    d.digit[0] = text[0];
    std::memcpy(d.digit + 1, text + 2, 16);  // past the point
    d.exponent = static_cast<int>(std::strtol(std::strchr(text, 'e') + 1, nullptr, 10));
    return d;
}

// The magnitude scaled by 10^decimals and rounded to a whole number in two
// stages: from its 17 significant digits, half up on the first digit dropped.
// Saturates at 100000, which is more than any caller can show.
static int32_t roundedAt(const DecimalDigits& d, int decimals)
{
    const int kept = d.exponent + 1 + decimals;
    if (kept > 5) return 100000;
    if (kept < 0) return 0;
    int32_t whole = 0;
    for (int i = 0; i < kept; ++i) whole = whole * 10 + (d.digit[i] - '0');
    return whole + (d.digit[kept] >= '5' ? 1 : 0);
}

static void putDigits(char* out, int32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

static void writeText(char digits[4], const char* text) { std::memcpy(digits, text, 4); }

// From 1 up to just below 1000 the text keeps three significant digits, with
// the point where the value puts it: "5.68", "12.4", "150 ". Where rounding
// carries into a new digit the text takes the next layout, so 9.996 shows as
// "10.0" and 99.96 as "100 ", never "1.00" or "10.0". Below 1 the value keeps
// two decimals ("0.50"). Above 999 there is no room for the digits, and
// ">999" is true without inventing a figure. Negative values (signal below
// the noise) keep their sign and one decimal, or none from -10 down ("-3.0",
// "-12 "), and "<-99" below that. NaN and infinities are no measurement at
// all and show as no figure, like 0.
void formatSnrDigits(float snr, char digits[4])
{
    if (snr == 0.0f || std::isnan(snr) || std::isinf(snr)) {
        writeText(digits, "--  ");
        return;
    }
    const DecimalDigits d = decimalDigitsOf(std::fabs(static_cast<double>(snr)));
    if (snr > 0.0f) {
        if (const int32_t hundredths = roundedAt(d, 2); hundredths < 1000) {
            putDigits(digits, hundredths / 100, 1);
            digits[1] = '.';
            putDigits(digits + 2, hundredths % 100, 2);
        } else if (const int32_t tenths = roundedAt(d, 1); tenths < 1000) {
            putDigits(digits, tenths / 10, 2);
            digits[2] = '.';
            putDigits(digits + 3, tenths % 10, 1);
        } else if (const int32_t units = roundedAt(d, 0); units < 1000) {
            putDigits(digits, units, 3);
            digits[3] = ' ';
        } else {
            writeText(digits, ">999");
        }
        return;
    }
    digits[0] = '-';
    if (const int32_t tenths = roundedAt(d, 1); tenths < 100) {
        putDigits(digits + 1, tenths / 10, 1);
        digits[2] = '.';
        putDigits(digits + 3, tenths % 10, 1);
    } else if (const int32_t units = roundedAt(d, 0); units < 100) {
        putDigits(digits + 1, units, 2);
        digits[3] = ' ';
    } else {
        writeText(digits, "<-99");
    }
}
