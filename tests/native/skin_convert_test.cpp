// The skin converter: rendered artwork into the skin payload and the icon file.
#include <gtest/gtest.h>
#include <string>

#include "tests/native/committed_file.h"
#include "tools/skin/skin_convert.h"

static uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (uint32_t(b[at + 1]) << 8); }
static uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// Picture whose pixel (x, y) is (x & 255, y, x >> 8): every byte tells where it came from.
static std::vector<uint8_t> coordinatePicture(int width, int height)
{
    std::vector<uint8_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            rgb.push_back(uint8_t(x & 255));
            rgb.push_back(uint8_t(y));
            rgb.push_back(uint8_t(x >> 8));
        }
    return rgb;
}

static IconPicture solidIcon(int size, uint8_t r, uint8_t g, uint8_t b)
{
    IconPicture p{size, {}};
    for (int i = 0; i < size * size; ++i) p.rgba.insert(p.rgba.end(), {r, g, b, 255});
    return p;
}

// Checks the layout of an 8-bit icon file and returns the offsets of its images.
static void expectIconLayout(const std::vector<uint8_t>& ico, const std::vector<uint32_t>& sizes)
{
    ASSERT_GE(ico.size(), 6u + 16 * sizes.size());
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    ASSERT_EQ(le16(ico, 4), sizes.size());
    uint32_t expectedOffset = 6 + 16 * uint32_t(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const size_t e = 6 + 16 * i;
        const uint32_t s = sizes[i];
        const uint32_t xorBytes = ((s + 3) & ~3u) * s, andBytes = (s + 31) / 32 * 4 * s;
        EXPECT_EQ(ico[e], s);
        EXPECT_EQ(ico[e + 1], s);
        EXPECT_EQ(ico[e + 2], 0) << "256 colours are counted as 0";
        EXPECT_EQ(le16(ico, e + 4), 1u);
        EXPECT_EQ(le16(ico, e + 6), 8u);
        EXPECT_EQ(le32(ico, e + 8), 40 + 1024 + xorBytes + andBytes);
        EXPECT_EQ(le32(ico, e + 12), expectedOffset);
        const size_t h = le32(ico, e + 12);
        ASSERT_LE(h + 40, ico.size());
        EXPECT_EQ(le32(ico, h), 40u);
        EXPECT_EQ(le32(ico, h + 4), s);
        EXPECT_EQ(le32(ico, h + 8), 2 * s) << "the height covers the XOR pixels and the AND mask";
        EXPECT_EQ(le16(ico, h + 12), 1u);
        EXPECT_EQ(le16(ico, h + 14), 8u);
        EXPECT_EQ(le32(ico, h + 16), 0u);
        EXPECT_EQ(le32(ico, h + 20), xorBytes + andBytes);
        expectedOffset += le32(ico, e + 8);
    }
    EXPECT_EQ(ico.size(), expectedOffset);
}

TEST(SkinPayload, StoresRowsBottomUpInBlueGreenRedWithPadding)
{
    const std::vector<uint8_t> rgb = coordinatePicture(3, 3);  // 9 pixel bytes, 12 per row
    const std::vector<uint8_t> p = makeSkinPayload(rgb.data(), 3, 3);
    ASSERT_EQ(p.size(), 8u + 27);
    EXPECT_EQ(le32(p, 0), 3u);
    EXPECT_EQ(le32(p, 4), 3u);
    // the bottom row (y 2) comes first
    const std::vector<uint8_t> bottom(p.begin() + 8, p.begin() + 20);
    EXPECT_EQ(bottom, (std::vector<uint8_t>{0, 2, 0, 0, 2, 1, 0, 2, 2, 0, 0, 0}));
    // then y 1; the top row is cut after its first 3 bytes
    EXPECT_EQ(p[20 + 1], 1);
    EXPECT_EQ(p[20 + 9], 0);
    EXPECT_EQ(std::vector<uint8_t>(p.begin() + 32, p.end()), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(SkinPayload, FullSkinIsTruncatedInsideTheTopRow)
{
    const std::vector<uint8_t> rgb = coordinatePicture(646, 200);
    const std::vector<uint8_t> p = makeSkinPayload(rgb.data(), 646, 200);
    ASSERT_EQ(p.size(), 387608u);
    EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 8), (std::vector<uint8_t>{0x86, 0x02, 0, 0, 0xC8, 0, 0, 0}));
    // padding of the bottom row
    EXPECT_EQ(p[8 + 1938], 0);
    EXPECT_EQ(p[8 + 1939], 0);
    // pixel (645, 199) ends the first stored row: blue = 645 >> 8, green = 199, red = 645 & 255
    EXPECT_EQ(p[8 + 645 * 3], 2);
    EXPECT_EQ(p[8 + 645 * 3 + 1], 199);
    EXPECT_EQ(p[8 + 645 * 3 + 2], 645 & 255);
    // the top row is stored whole only below x 513
    const size_t top = 8 + 199 * 1940;
    EXPECT_EQ(p[top + 512 * 3 + 2], 512 & 255);
    EXPECT_EQ(p[top + 512 * 3 + 1], 0);
    EXPECT_EQ(p.size() - top, 1540u);
}

TEST(SkinIcon, WritesPalettizedEntriesWithMasks)
{
    IconPicture big = solidIcon(32, 10, 20, 30);
    big.rgba[(0 * 32 + 0) * 4 + 3] = 0;     // top-left transparent
    big.rgba[(31 * 32 + 1) * 4 + 0] = 200;  // bottom row, x 1: another colour
    IconPicture small = solidIcon(16, 250, 240, 230);
    for (int x = 0; x < 16; ++x) small.rgba[(15 * 16 + x) * 4 + 3] = 100;  // bottom row transparent
    const std::vector<uint8_t> ico = makeIconFile({big, small});
    expectIconLayout(ico, {32, 16});
    ASSERT_EQ(ico.size(), 6u + 32 + 2216 + 1384);

    const size_t h = le32(ico, 6 + 12), palette = h + 40, pixels = palette + 1024, mask = pixels + 32 * 32;
    EXPECT_EQ(le32(ico, palette), 0u) << "entry 0 is black, shown by transparent pixels";
    auto colourAt = [&](size_t pixelOffset) { return le32(ico, palette + 4 * ico[pixelOffset]) & 0xFFFFFF; };
    // first stored row is the bottom one
    EXPECT_EQ(colourAt(pixels + 0), 0x0A141Eu);  // B,G,R,0 read little-endian: 0x00RRGGBB
    EXPECT_EQ(colourAt(pixels + 1), 0xC8141Eu);
    // top row is stored last; its first pixel is transparent with index 0
    EXPECT_EQ(ico[pixels + 31 * 32], 0);
    EXPECT_EQ(ico[mask + 31 * 4], 0x80);
    EXPECT_EQ(ico[mask + 0], 0);

    const size_t h2 = le32(ico, 6 + 16 + 12), mask2 = h2 + 40 + 1024 + 16 * 16;
    EXPECT_EQ(ico[mask2 + 0], 0xFF);  // bottom row: all 16 transparent, rows padded to 4 bytes
    EXPECT_EQ(ico[mask2 + 1], 0xFF);
    EXPECT_EQ(ico[mask2 + 2], 0);
    EXPECT_EQ(ico[mask2 + 4], 0);
}

TEST(SkinIcon, ReducesManyColoursToANearPalette)
{
    IconPicture p{32, {}};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) p.rgba.insert(p.rgba.end(), {uint8_t(x * 8), uint8_t(y * 8), 128, 255});
    const IndexedPicture ix = indexIconPicture(p);
    ASSERT_EQ(ix.palette.size(), 256u);
    int worst = 0;
    for (int i = 0; i < 32 * 32; ++i) {
        EXPECT_EQ(ix.transparent[size_t(i)], 0);
        const uint32_t c = ix.palette[ix.indices[size_t(i)]];
        worst = std::max({worst, std::abs(int(c >> 16) - p.rgba[size_t(i) * 4]),
                          std::abs(int((c >> 8) & 255) - p.rgba[size_t(i) * 4 + 1]),
                          std::abs(int(c & 255) - p.rgba[size_t(i) * 4 + 2])});
    }
    EXPECT_LE(worst, 12);
}

TEST(SkinIcon, KeepsFewColoursExact)
{
    IconPicture p = solidIcon(16, 1, 2, 3);
    for (int i = 0; i < 200; ++i) {
        p.rgba[size_t(i) * 4] = uint8_t(i);
        p.rgba[size_t(i) * 4 + 1] = uint8_t(255 - i);
    }
    const IndexedPicture ix = indexIconPicture(p);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = ix.palette[ix.indices[size_t(i)]];
        const uint32_t want = (uint32_t(p.rgba[size_t(i) * 4]) << 16) | (uint32_t(p.rgba[size_t(i) * 4 + 1]) << 8) |
                              p.rgba[size_t(i) * 4 + 2];
        EXPECT_EQ(c, want) << "pixel " << i;
    }
}

TEST(SkinResources, CommittedIconHasBothSizes)
{
    const std::vector<uint8_t> ico = committedBytes("resources/azimora.ico");
    expectIconLayout(ico, {32, 16});
}
