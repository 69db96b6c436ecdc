// Layout arithmetic of the window face.
#include <gtest/gtest.h>

#include "ui/skin_layout.h"

TEST(SkinLayout, BarSpans265PixelsForFullQuality)
{
    EXPECT_EQ(44, barRightEdge(1));
    EXPECT_EQ(174, barRightEdge(50));
    EXPECT_EQ(304, barRightEdge(99));
    EXPECT_EQ(307, barRightEdge(100));
    for (int q = 1; q <= 100; ++q) EXPECT_EQ(42 + q * 265 / 100, barRightEdge(q)) << q;
}

TEST(SkinLayout, BarStaysInsideTheBandForReadingsOutOfRange)
{
    EXPECT_EQ(307, barRightEdge(101));
    EXPECT_EQ(307, barRightEdge(INT32_MAX));
    EXPECT_EQ(42, barRightEdge(-1));
    EXPECT_EQ(42, barRightEdge(INT32_MIN));
}

TEST(SkinLayout, SweepLineGrowsThreePixelsAndStartsOverAfter303)
{
    int16_t x = 42;
    int paints = 0;
    do {
        x = nextSweepX(x);
        ++paints;
        EXPECT_LE(x, 303);
    } while (x != 42);
    EXPECT_EQ(88, paints);  // 42, 45, ... 303, then 42 again
    EXPECT_EQ(303, nextSweepX(300));
    EXPECT_EQ(42, nextSweepX(303));
}

TEST(SkinLayout, CellsArePassedFromTheBottomOfTheBitmap)
{
    EXPECT_EQ(172, cellSourceY(mode0Face.plain));
    EXPECT_EQ(144, cellSourceY(mode0Face.lit));
    EXPECT_EQ(172, cellSourceY(fastFace.plain));
    EXPECT_EQ(60, cellSourceY(findFace.plain));
    EXPECT_EQ(70, cellSourceY(closeFace.lit));
    EXPECT_EQ(52, cellSourceY(minimizeFace.lit));
    EXPECT_EQ(17, cellSourceY(homeIcon));
    EXPECT_EQ(150, cellSourceY(blankSlot));
}

TEST(SkinLayout, KeypadCellsSitSideBySideUnderTheirCaptions)
{
    for (int cell = 0; cell < keypadCellCount; ++cell) {
        const Bounds b = keypadCellBounds(cell);
        EXPECT_EQ(15, b.right - b.left);
        EXPECT_EQ(keypadCaptionAt(cell).x, b.left + 2);
        if (cell > 0) EXPECT_EQ(keypadCellBounds(cell - 1).left + 17, b.left);
    }
    // Right and bottom edges are excluded: cell 0 covers x 40..54, y 130..149.
    EXPECT_EQ(40, keypadCellBounds(0).left);
    EXPECT_EQ(130, keypadCellBounds(0).top);
    EXPECT_EQ(55, keypadCellBounds(0).right);
    EXPECT_EQ(150, keypadCellBounds(0).bottom);
}
