// Reading bdacard.ini as a user may have written it, and choosing a tuner.
#include <gtest/gtest.h>

#include "bda/bda_settings.h"

static std::string nameFrom(const std::string& bytes, bool expectCodePage = false)
{
    bool inCodePage = !expectCodePage;
    const std::string name = tunerNameFromSettings(bytes, &inCodePage);
    EXPECT_EQ(expectCodePage, inCodePage) << bytes;
    return name;
}

TEST(BdaSettings, TheTunerLineAsUsersWriteIt)
{
    EXPECT_EQ("Sky Star S2", nameFrom("tuner=Sky Star S2"));
    EXPECT_EQ("Sky Star S2", nameFrom("tuner=Sky Star S2\r\n"));
    EXPECT_EQ("Sky Star S2", nameFrom("  Tuner =  Sky Star S2 \t\r\n"));
    EXPECT_EQ("Sky Star S2", nameFrom("TUNER=\"Sky Star S2\"\n"));
    EXPECT_EQ("a=b", nameFrom("tuner=a=b"));
    EXPECT_EQ("second", nameFrom("; my card\r\n# tuner=first\r\n\r\nname=x\r\ntuner=second\r\ntuner=third\r\n"));
    EXPECT_EQ("", nameFrom(""));
    EXPECT_EQ("", nameFrom("tuner\r\ntuners=x\r\n[bdacard]\r\n"));
    EXPECT_EQ("", nameFrom("tuner=\r\n"));
    EXPECT_EQ("", nameFrom("tuner=\"\""));
}

TEST(BdaSettings, TextEncodingsNotepadSaves)
{
    // UTF-8 with its mark, UTF-8 without, and UTF-16 with its mark.
    EXPECT_EQ("\xD0\xA2\xD1\x8E\xD0\xBD\xD0\xB5\xD1\x80",
              nameFrom("\xEF\xBB\xBFtuner=\xD0\xA2\xD1\x8E\xD0\xBD\xD0\xB5\xD1\x80"));
    EXPECT_EQ("Tuner \xE2\x84\x96"
              "2",
              nameFrom("tuner=Tuner \xE2\x84\x96"
                       "2"));
    const std::string utf16("\xFF\xFEt\0u\0n\0e\0r\0=\0\x22\x04\x4E\x04!\0\x3D\xD8\x00\xDE\r\0\n\0", 28);
    EXPECT_EQ("\xD0\xA2\xD1\x8E!\xF0\x9F\x98\x80", nameFrom(utf16));
    // A lone surrogate and an odd last byte do not break the line.
    EXPECT_EQ("x\xEF\xBF\xBD", nameFrom(std::string("\xFF\xFEt\0u\0n\0e\0r\0=\0x\0\x00\xD8\x41", 19)));
    // Bytes of an ANSI code page (here cp1251 "Тюнер") come back for the caller to convert.
    EXPECT_EQ("\xD2\xFE\xED\xE5\xF0", nameFrom("tuner=\xD2\xFE\xED\xE5\xF0\r\n", true));
    EXPECT_EQ("\xD2\xFE\xED\xE5\xF0", nameFrom("\xEF\xBB\xBFtuner=\xD2\xFE\xED\xE5\xF0\r\n", true));
    EXPECT_EQ("", nameFrom("x=\xD2\r\ntuner=\r\n"));
}

TEST(BdaSettings, Utf8IsRecognisedStrictly)
{
    EXPECT_TRUE(isUtf8("plain"));
    EXPECT_TRUE(isUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isUtf8("\xC3"));              // cut short
    EXPECT_FALSE(isUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isUtf8("\xE0\x80\xAF"));      // overlong
    EXPECT_FALSE(isUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(isUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(isUtf8("\xE9t\xE9"));         // Latin-1
}

TEST(BdaSettings, TheNamedTunerOrElseEveryTunerInTheSystemsOrder)
{
    const std::vector<std::string> names = {"DVB-T Stick", "Sat Box", "sat box ", "Sat Box 2"};
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), tunerCandidates(names, ""));
    EXPECT_EQ((std::vector<int>{1, 2}), tunerCandidates(names, "SAT BOX"));
    EXPECT_EQ((std::vector<int>{3}), tunerCandidates(names, "Sat Box 2"));
    EXPECT_TRUE(tunerCandidates(names, "Sat").empty());
    EXPECT_TRUE(tunerCandidates({}, "").empty());
    // Only ASCII letters fold: "É" and "é" are different names.
    EXPECT_FALSE(tunerNameMatches("\xC3\x89toile", "\xC3\xA9toile"));
}
