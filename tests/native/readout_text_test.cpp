#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>

#include "tuner/readout_text.h"

// Each text is written into an exact-size heap buffer, so a write past its
// four characters is caught.
static std::string qualityText(int32_t quality)
{
    std::unique_ptr<char[]> text(new char[4]);
    std::fill_n(text.get(), 4, '#');
    formatQualityText(quality, text.get());
    EXPECT_EQ(text[3], '\0') << quality;
    return std::string(text.get(), 3);
}

static std::string snrDigits(float snr)
{
    std::unique_ptr<char[]> digits(new char[4]);
    std::fill_n(digits.get(), 4, '#');
    formatSnrDigits(snr, digits.get());
    return std::string(digits.get(), 4);
}

// Whether the four characters tell the truth about x: a figure shown must be x
// rounded to the last digit shown, and a bound must hold. Returns a reason
// when it does not.
static std::string misleadingAbout(const std::string& text, float x)
{
    const double value = x;
    if (text.size() != 4) return "not 4 characters";
    if (text == "--  ") return std::isfinite(x) && x != 0.0f ? "a figure shown as none" : "";
    if (std::isnan(x) || std::isinf(x) || x == 0.0f) return "a figure for no figure";
    if (text == ">999") return value >= 999.5 ? "" : "bound >999 is false";
    if (text == "<-99") return value <= -99.5 ? "" : "bound <-99 is false";
    std::string number = text;
    while (!number.empty() && number.back() == ' ') number.pop_back();
    if (number.find_first_not_of("-.0123456789") != std::string::npos) return "stray characters";
    char* end = nullptr;
    const double shown = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) return "not a number";
    const size_t point = number.find('.');
    const int decimals = point == std::string::npos ? 0 : int(number.size() - point - 1);
    if ((shown < 0) != (value < 0) && shown != 0.0) return "wrong sign";
    if (value < 0 && number[0] != '-') return "sign lost";
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    if (std::fabs(shown - value) > halfUnit * (1 + 1e-9)) return "not the value rounded";
    // A blank is left only where one more digit would not fit.
    if (number.size() < 4 && !(decimals == 0 && (shown >= 100 || shown <= -10))) return "a digit wasted";
    return "";
}

TEST(QualityText, TwoDigitsAndPercent)
{
    EXPECT_EQ(qualityText(0), "00%");
    EXPECT_EQ(qualityText(7), "07%");
    EXPECT_EQ(qualityText(9), "09%");
    EXPECT_EQ(qualityText(10), "10%");
    EXPECT_EQ(qualityText(42), "42%");
    EXPECT_EQ(qualityText(55), "55%");
    EXPECT_EQ(qualityText(99), "99%");
}

TEST(QualityText, OutOfScaleNeverMisleads)
{
    // 100 and above: the top of the scale, never "10" for the spoken digits.
    EXPECT_EQ(qualityText(100), "99%");
    EXPECT_EQ(qualityText(250), "99%");
    EXPECT_EQ(qualityText(INT32_MAX), "99%");
    // Below 0: no usable signal.
    EXPECT_EQ(qualityText(-1), "00%");
    EXPECT_EQ(qualityText(-42), "00%");
    EXPECT_EQ(qualityText(INT32_MIN), "00%");
}

TEST(SnrDigits, NoFigure)
{
    EXPECT_EQ(snrDigits(0.0f), "--  ");
    EXPECT_EQ(snrDigits(-0.0f), "--  ");
    EXPECT_EQ(snrDigits(std::numeric_limits<float>::quiet_NaN()), "--  ");
    EXPECT_EQ(snrDigits(std::numeric_limits<float>::infinity()), "--  ");
    EXPECT_EQ(snrDigits(-std::numeric_limits<float>::infinity()), "--  ");
}

TEST(SnrDigits, ThreeSignificantDigitsWithThePointInPlace)
{
    EXPECT_EQ(snrDigits(5.678f), "5.68");
    EXPECT_EQ(snrDigits(7.0f), "7.00");
    EXPECT_EQ(snrDigits(1.0f), "1.00");
    EXPECT_EQ(snrDigits(9.99f), "9.99");
    EXPECT_EQ(snrDigits(10.0f), "10.0");
    EXPECT_EQ(snrDigits(12.34f), "12.3");
    EXPECT_EQ(snrDigits(99.9f), "99.9");
}

TEST(SnrDigits, RoundsTheWidenedValueHalfUp)
{
    // 12.35f is 12.3500003814..., 12.25f is exactly 12.25: both round up.
    EXPECT_EQ(snrDigits(12.35f), "12.4");
    EXPECT_EQ(snrDigits(12.25f), "12.3");
    // 9.995f is 9.99499988..., 1.005f is 1.00499999...: both round down.
    EXPECT_EQ(snrDigits(9.995f), "9.99");
    EXPECT_EQ(snrDigits(1.005f), "1.00");
    EXPECT_EQ(snrDigits(2.675f), "2.67");  // 2.67499995...
    EXPECT_EQ(snrDigits(99.95f), "99.9");  // 99.9499969...
}

TEST(SnrDigits, CarryIntoANewDigitMovesThePoint)
{
    EXPECT_EQ(snrDigits(9.996f), "10.0");
    EXPECT_EQ(snrDigits(99.96f), "100 ");
    EXPECT_EQ(snrDigits(0.996f), "1.00");
    EXPECT_EQ(snrDigits(999.6f), ">999");
}

TEST(SnrDigits, OutsideOneToHundred)
{
    EXPECT_EQ(snrDigits(0.5f), "0.50");
    EXPECT_EQ(snrDigits(0.123f), "0.12");
    EXPECT_EQ(snrDigits(0.004f), "0.00");
    EXPECT_EQ(snrDigits(1e-40f), "0.00");
    EXPECT_EQ(snrDigits(150.0f), "150 ");
    EXPECT_EQ(snrDigits(999.4f), "999 ");
    EXPECT_EQ(snrDigits(1000.0f), ">999");
    EXPECT_EQ(snrDigits(FLT_MAX), ">999");
    EXPECT_EQ(snrDigits(-3.0f), "-3.0");
    EXPECT_EQ(snrDigits(-0.04f), "-0.0");
    EXPECT_EQ(snrDigits(-9.96f), "-10 ");
    EXPECT_EQ(snrDigits(-12.3f), "-12 ");
    EXPECT_EQ(snrDigits(-99.4f), "-99 ");
    EXPECT_EQ(snrDigits(-99.5f), "<-99");
    EXPECT_EQ(snrDigits(-FLT_MAX), "<-99");
}

TEST(SnrDigits, EveryTextIsTheValueRoundedOrATrueBound)
{
    auto check = [](float x) {
        const std::string text = snrDigits(x);
        const std::string why = misleadingAbout(text, x);
        if (!why.empty()) ADD_FAILURE() << x << " shown as \"" << text << "\": " << why;
        return why.empty();
    };
    // Fine sweeps across every change of layout.
    const float edges[] = {0.0f, 0.995f, 1.0f, 9.995f, 10.0f, 99.95f, 100.0f, 999.5f, -9.95f, -99.5f};
    for (float edge : edges)
        for (int step = -2000; step <= 2000; ++step)
            if (!check(edge + static_cast<float>(step) * 1e-5f)) return;
    // Coarse sweep over the range a card reports.
    for (int step = -30000; step <= 150000; ++step)
        if (!check(static_cast<float>(step) * 0.0071f)) return;
    // Arbitrary bit patterns, NaNs and infinities included.
    uint32_t bits = 12345;
    for (int i = 0; i < 20000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float x;
        std::memcpy(&x, &bits, sizeof x);
        if (!check(x)) return;
    }
}
