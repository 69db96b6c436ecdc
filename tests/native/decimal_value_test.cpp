#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "catalogue/decimal_value.h"

// Reads the text from an exact-size heap copy, so a read past its end is caught.
static int32_t valueOf(const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    return decimalValue(copy.get(), text.size());
}

TEST(DecimalValue, StandardConversion)
{
    EXPECT_EQ(valueOf("27500"), 27500);
    EXPECT_EQ(valueOf("00999"), 999);
    EXPECT_EQ(valueOf(" \t\r\n\v\f42"), 42);
    EXPECT_EQ(valueOf("+17"), 17);
    EXPECT_EQ(valueOf("-17"), -17);
    EXPECT_EQ(valueOf("999\r\n[Sat"), 999);
    EXPECT_EQ(valueOf("12A"), 12);
    // No digit gives 0, also after a sign or with a blank between sign and digits.
    EXPECT_EQ(valueOf(""), 0);
    EXPECT_EQ(valueOf("    "), 0);
    EXPECT_EQ(valueOf("-"), 0);
    EXPECT_EQ(valueOf("+ 5"), 0);
    EXPECT_EQ(valueOf("--5"), 0);
    EXPECT_EQ(valueOf("A12"), 0);
}

TEST(DecimalValue, ReadsOnlyTheGivenLength)
{
    const char text[] = "1224527500";
    EXPECT_EQ(decimalValue(text, 5), 12245);
    EXPECT_EQ(decimalValue(text + 5, 5), 27500);
    EXPECT_EQ(decimalValue(text, 0), 0);
}

TEST(DecimalValue, SaturatesBeyond32Bits)
{
    EXPECT_EQ(valueOf("2147483647"), INT32_MAX);
    EXPECT_EQ(valueOf("2147483648"), INT32_MAX);
    EXPECT_EQ(valueOf("-2147483648"), INT32_MIN);
    EXPECT_EQ(valueOf("-2147483649"), INT32_MIN);
    EXPECT_EQ(valueOf(std::string(500, '9')), INT32_MAX);
    EXPECT_EQ(valueOf("-" + std::string(500, '9')), INT32_MIN);
}
