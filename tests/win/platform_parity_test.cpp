// The decisions that involve floating point or the C runtime give the same
// results in the Windows build as in the native one.
#include <cstring>
#include <gtest/gtest.h>

#include "tuner/readout_text.h"
#include "ui/skin_layout.h"

TEST(PlatformParity, BarEdgeForEveryPercentage)
{
    for (int q = 1; q <= 100; ++q) EXPECT_EQ(42 + q * 265 / 100, barRightEdge(q)) << q;
}

TEST(PlatformParity, ReadoutTexts)
{
    const struct {
        float value;
        const char* text;
    } cases[] = {{5.678f, "5.68"}, {7.0f, "7.00"}, {10.0f, "10.0"},  {12.34f, "12.3"}, {12.35f, "12.4"},
                 {9.99f, "9.99"},  {0.5f, "0.50"}, {150.0f, "150 "}, {-3.0f, "-3.0"},  {0.0f, "--  "}};
    for (const auto& c : cases) {
        char digits[4];
        formatSnrDigits(c.value, digits);
        EXPECT_EQ(std::string(c.text), std::string(digits, 4)) << c.value;
    }
    char text[4];
    formatQualityText(7, text);
    EXPECT_STREQ("07%", text);
}
