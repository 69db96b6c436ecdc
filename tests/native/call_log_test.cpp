// The lines of the simulated card's call log.
#include <gtest/gtest.h>

#include "sim/card/call_log.h"

TEST(SimCallLog, LinesCarryTheArgumentAndTheResult)
{
    EXPECT_EQ("SetLnbFrequency 10600 -> 0x00000000", callLine("SetLnbFrequency", true, 10600, 0));
    EXPECT_EQ("SetPolarity -1 -> 0x80004005", callLine("SetPolarity", true, -1, 0x80004005u));
    EXPECT_EQ("Initialize -> 0x00000000", callLine("Initialize", false, 0, 0));
    EXPECT_EQ("GetSignalQuality -> 0x00000000 55", readingLine("GetSignalQuality", 0, "55"));
    EXPECT_EQ("12.5", floatText(12.5f));
}
