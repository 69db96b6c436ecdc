// The pace at which the bridges read a real tuner.
#include <gtest/gtest.h>

#include "cardbase/reading_pace.h"

TEST(ReadingPace, ReadingsArePacedAcrossTheClocksWrap)
{
    EXPECT_EQ(100u, readingWaitMs(1000, 1000));
    EXPECT_EQ(80u, readingWaitMs(1020, 1000));
    EXPECT_EQ(0u, readingWaitMs(1100, 1000));
    EXPECT_EQ(0u, readingWaitMs(90000, 1000));
    EXPECT_EQ(90u, readingWaitMs(5, 0xFFFFFFFBu));  // 10 ms across the wrap
}
