// The committed skin as the program unpacks it: the flat colours that the
// brushes and the painting of the readouts rely on.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "image/packed_image.h"
#include "image/skin_pixels.h"
#include "tests/native/committed_file.h"

namespace {

static constexpr uint32_t skinPayloadSize = skinPayloadHeaderSize + skinWidth * skinHeight * 3;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

static std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "RGB(" << c.r << "," << c.g << "," << c.b << ")";
}

class CommittedSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<uint8_t> packed = committedBytes("resources/skin.qz");
        ASSERT_EQ(packedImageSize(packed.data(), packed.size()), skinPayloadSize);
        payload.assign(skinPayloadSize, 0);
        ASSERT_EQ(unpackImage(packed.data(), packed.size(), payload.data(), payload.size()), skinPayloadSize);
    }

    // Picture coordinates, y from the top; rows are stored bottom-up, 1940 bytes apart.
    Rgb at(int x, int y) const
    {
        const size_t i = 8 + size_t(skinHeight - 1 - y) * 1940 + size_t(x) * 3;
        return {payload[i + 2], payload[i + 1], payload[i]};
    }

    std::vector<uint8_t> payload;
};

static const Rgb panelRgb{128, 197, 255};
static const Rgb bandRgb{159, 211, 255};

}  // namespace

TEST_F(CommittedSkin, HeaderGivesThePictureSize)
{
    EXPECT_EQ(payload[0] | payload[1] << 8, skinWidth);
    EXPECT_EQ(payload[4] | payload[5] << 8, skinHeight);
    EXPECT_EQ(payload[2] | payload[3] | payload[6] | payload[7], 0);
}

TEST_F(CommittedSkin, EntryBandFillsEntryRectExactly)
{
    for (int y = 86; y < 114; ++y)
        for (int x = 42; x < 307; ++x) ASSERT_EQ(at(x, y), bandRgb) << x << "," << y;
    for (int x = 42; x < 307; ++x) {
        EXPECT_NE(at(x, 85), bandRgb);
        EXPECT_NE(at(x, 114), bandRgb);
    }
    for (int y = 86; y < 114; ++y) {
        EXPECT_NE(at(41, y), bandRgb);
        EXPECT_NE(at(307, y), bandRgb);
    }
}

TEST_F(CommittedSkin, PanelIsPlainWhereTextsAreDrawn)
{
    // prompt and banner, keypad and s/n line, and the area the big readout clears,
    // apart from the band and its edge
    for (int y = 38; y < 157; ++y)
        for (int x = 38; x < 311; ++x) {
            if (x >= 40 && x <= 308 && y >= 84 && y <= 115) continue;
            ASSERT_EQ(at(x, y), panelRgb) << x << "," << y;
        }
}

TEST_F(CommittedSkin, SideSlotsLookAlike)
{
    // the empty picture at 5,35 is copied onto the other two side buttons
    for (int slotY : {70, 105})
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 20; ++x) ASSERT_EQ(at(5 + x, 35 + y), at(5 + x, slotY + y)) << x << "," << y;
}

TEST_F(CommittedSkin, ButtonCellCornersMatchTheFaceUnderTheirSlots)
{
    // the pixels around the oval are copied with the cell, so they must be the face's own
    struct Cell {
        int x, y, slotX;
    };
    const Cell cells[] = {{350, 0, 36},   {424, 28, 36},  {498, 0, 36},   {572, 28, 36},   {350, 56, 138},
                          {424, 84, 138}, {498, 56, 138}, {572, 84, 240}, {350, 112, 240}, {350, 140, 240}};
    for (const Cell& c : cells)
        for (int y = c.y == 0 ? 1 : 0; y < 28; ++y)  // the top picture row is not all stored
            for (int x = 0; x < 74; ++x) {
                const double dx = (x + 0.5 - 37) / 37.5, dy = (y + 0.5 - 14) / 14.8;
                if (dx * dx + dy * dy <= 1) continue;  // the button and its outline
                EXPECT_EQ(at(c.x + x, c.y + y), at(c.slotX + x, 160 + y)) << c.x << "," << c.y << " +" << x << "," << y;
            }
}

TEST_F(CommittedSkin, TitleButtonEdgesMatchTheFrame)
{
    struct Cell {
        int x, y, slotX;
    };
    const Cell cells[] = {{572, 112, 262}, {572, 130, 262}, {593, 112, 289}, {614, 112, 289}};
    for (const Cell& c : cells)
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 21; ++x) {
                if (x > 0 && x < 20 && y > 0 && y < 17) continue;
                EXPECT_EQ(at(c.x + x, c.y + y), at(c.slotX + x, 6 + y)) << c.x << "," << c.y << " +" << x << "," << y;
            }
}
