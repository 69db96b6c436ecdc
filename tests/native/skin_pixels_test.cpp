// From the unpacked skin payload to the padded pixel rows the bitmap calls draw.
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "image/skin_pixels.h"

static std::vector<uint8_t> payload(int32_t width, int32_t height, size_t pixelBytes)
{
    std::vector<uint8_t> p(8 + pixelBytes);
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(uint32_t(width) >> (8 * i));
        p[4 + i] = uint8_t(uint32_t(height) >> (8 * i));
    }
    for (size_t i = 0; i < pixelBytes; ++i) p[8 + i] = uint8_t(i + 1);
    return p;
}

TEST(SkinPixels, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(skinStride(646), 1940u);
    EXPECT_EQ(skinStride(1), 4u);
    EXPECT_EQ(skinStride(2), 8u);
    EXPECT_EQ(skinStride(3), 12u);
    EXPECT_EQ(skinStride(4), 12u);
    EXPECT_EQ(skinStride(5), 16u);
}

TEST(SkinPixels, SizeMustFitThePayload)
{
    int32_t w = 0, h = 0;
    std::vector<uint8_t> p = payload(3, 2, 18);
    ASSERT_TRUE(readSkinSize(p.data(), p.size(), &w, &h));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_FALSE(readSkinSize(p.data(), p.size() - 1, &w, &h));
    EXPECT_FALSE(readSkinSize(p.data(), 7, &w, &h));
    EXPECT_FALSE(readSkinSize(nullptr, 100, &w, &h));
    for (int32_t bad : {0, -1, 40000}) {
        std::vector<uint8_t> q = payload(bad, 2, 18);
        EXPECT_FALSE(readSkinSize(q.data(), q.size(), &w, &h)) << bad;
        q = payload(2, bad, 18);
        EXPECT_FALSE(readSkinSize(q.data(), q.size(), &w, &h)) << bad;
    }
}

TEST(SkinPixels, SkinPayloadFillsAllButTheTopRowsPadding)
{
    // 387,608 payload bytes hold 387,600 pixel bytes: 400 short of 200 rows of 1940
    std::vector<uint8_t> p = payload(646, 200, 646 * 200 * 3);
    ASSERT_EQ(p.size(), 387608u);
    int32_t w = 0, h = 0;
    uint8_t* pixels = makeSkinPixels(p.data(), p.size(), &w, &h);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 646);
    EXPECT_EQ(h, 200);
    EXPECT_EQ(std::memcmp(pixels, p.data() + 8, 387600), 0);
    for (size_t i = 387600; i < 388000; ++i) ASSERT_EQ(pixels[i], 0) << i;
    std::free(pixels);
}

TEST(SkinPixels, UnusablePayloadGivesABlackSkinSizedPicture)
{
    std::vector<uint8_t> tooShort = payload(646, 200, 1000);
    std::vector<uint8_t> zeroWidth = payload(0, 200, 1000);
    for (const std::vector<uint8_t>& p : {tooShort, zeroWidth, std::vector<uint8_t>()}) {
        int32_t w = 0, h = 0;
        uint8_t* pixels = makeSkinPixels(p.empty() ? nullptr : p.data(), p.size(), &w, &h);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(w, skinWidth);
        EXPECT_EQ(h, skinHeight);
        for (size_t i = 0; i < 388000; ++i) ASSERT_EQ(pixels[i], 0) << i;
        std::free(pixels);
    }
}
