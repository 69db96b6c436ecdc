// The built-in default entry: what of it goes into the typed entry.
#include <gtest/gtest.h>

#include "ui/default_entry.h"

TEST(DefaultEntry, TakesWhatStandsBeforeTheLastSemicolonInTheFirst13Bytes)
{
    EXPECT_EQ(11, defaultEntryLength("12245H27500;", 12));
    EXPECT_EQ(3, defaultEntryLength("1;2;4V9999999;x", 15));  // the ";" at 13 is beyond the window
    EXPECT_EQ(-1, defaultEntryLength("12245H27500", 11));
    EXPECT_EQ(-1, defaultEntryLength(";", 0));
    EXPECT_EQ(0, defaultEntryLength(";", 1));
}
