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

static std::vector<int32_t> modulationsIn(const std::string& bytes)
{
    const ModulationOrder order = modulationsFromSettings(bytes);
    return std::vector<int32_t>(order.values, order.values + order.count);
}

TEST(BdaSettings, TheModulationLineAsUsersWriteIt)
{
    using List = std::vector<int32_t>;
    EXPECT_EQ(List({31}), modulationsIn("modulation=NBC_QPSK"));
    EXPECT_EQ(List({31}), modulationsIn("tuner=x\r\n Modulation = bda_mod_nbc_qpsk \r\n"));
    EXPECT_EQ(List({32}), modulationsIn("modulation=nbc-8psk"));
    EXPECT_EQ(List({20, 31, 32}), modulationsIn("modulation = QPSK, NBC_QPSK, NBC_8PSK"));
    EXPECT_EQ(List({23, 27}), modulationsIn("modulation=8VSB 8psk"));  // aliases some drivers take
    EXPECT_EQ(List({-1}), modulationsIn("modulation=not-set"));        // the driver's own default
    EXPECT_EQ(List({31, 22}), modulationsIn("modulation=31,22,31"));
    EXPECT_EQ(List({-1, 35}), modulationsIn("modulation=-1,35,36,-2,999,3x"));
    EXPECT_EQ(List({29}), modulationsIn("\xEF\xBB\xBFmodulation=\"16APSK\""));
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("modulation=32APSK")) utf16 += std::string(1, c) + '\0';
    EXPECT_EQ(List({30}), modulationsIn(utf16));
    // Nothing known: the search's own order.
    EXPECT_EQ(List(), modulationsIn(""));
    EXPECT_EQ(List(), modulationsIn("modulation=auto"));
    EXPECT_EQ(List(), modulationsIn("modulation=DVB-S2, QAM, ,"));
    EXPECT_EQ(List(), modulationsIn("; modulation=QPSK\r\n"));
    EXPECT_EQ(8u, modulationsIn("modulation=20 21 22 23 24 27 29 30 31 32").size());
}

static std::pair<int32_t, int32_t> shapeIn(const std::string& bytes)
{
    const SignalShape shape = signalShapeFromSettings(bytes);
    return {shape.pilot, shape.rollOff};
}

TEST(BdaSettings, PilotsAndRollOffAsUsersWriteThem)
{
    using Shape = std::pair<int32_t, int32_t>;
    EXPECT_EQ(Shape(bdaPilotOn, bdaRollOff35), shapeIn("tuner=x\r\npilot=on\r\nrolloff=0.35\r\n"));
    EXPECT_EQ(Shape(bdaPilotOff, bdaRollOff20), shapeIn(" Pilot = OFF \r\n RollOff = 0.2 \r\n"));
    EXPECT_EQ(Shape(bdaPilotOn, bdaRollOff20 + 1), shapeIn("pilot=BDA_PILOT_ON\nrolloff=bda-roll-off-25\n"));
    EXPECT_EQ(Shape(bdaPilotOff, bdaRollOff35), shapeIn("pilot=pilot_off\nrolloff=35\n"));
    EXPECT_EQ(Shape(bdaPilotNotSet, bdaRollOff20), shapeIn("rolloff=\"0.20\""));
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("pilot=on\r\nrolloff=25")) utf16 += std::string(1, c) + '\0';
    EXPECT_EQ(Shape(bdaPilotOn, bdaRollOff20 + 1), shapeIn(utf16));
    // Left to the demodulator.
    EXPECT_EQ(Shape(bdaPilotNotSet, bdaRollOffNotSet), shapeIn(""));
    EXPECT_EQ(Shape(bdaPilotNotSet, bdaRollOffNotSet), shapeIn("pilot=auto\r\nrolloff=auto\r\n"));
    EXPECT_EQ(Shape(bdaPilotNotSet, bdaRollOffNotSet), shapeIn("pilot=yes\r\nrolloff=0.5\r\n"));
    EXPECT_EQ(Shape(bdaPilotNotSet, bdaRollOffNotSet), shapeIn("; pilot=on\r\n# rolloff=0.35\r\n"));
}

TEST(BdaSettings, TheSwitchLineForcesOneRoute)
{
    EXPECT_EQ(SwitchAuto, switchSettingFromSettings("").choice);
    EXPECT_EQ(SwitchAuto, switchSettingFromSettings("switch=auto\r\n").choice);
    EXPECT_EQ(SwitchAuto, switchSettingFromSettings("switch=diseqc\r\n").choice);
    EXPECT_EQ(SwitchOnlyCommand, switchSettingFromSettings("Switch = Command\r\n").choice);
    EXPECT_EQ(SwitchOnlyLnbSource, switchSettingFromSettings("switch=source").choice);
    EXPECT_EQ(SwitchOnlyRange, switchSettingFromSettings("switch=\"range\"").choice);
    const SwitchSetting turboSight = switchSettingFromSettings("tuner=x\r\nswitch = TurboSight\r\n");
    EXPECT_EQ(SwitchOnlyMaker, turboSight.choice);
    EXPECT_EQ(MakerTurboSight, turboSight.maker);
    EXPECT_EQ(MakerConexant, switchSettingFromSettings("switch=conexant").maker);
    EXPECT_EQ(NoMaker, switchSettingFromSettings("switch=command").maker);
}

// A route kept over a maker's set the driver ignored is written back into
// the file as the user would have written it, the rest left as it was.
TEST(BdaSettings, TheSwitchLineIsWrittenBackInPlaceOrAdded)
{
    EXPECT_EQ("command", switchWordFor(SwitchByCommand, NoMaker));
    EXPECT_EQ("range", switchWordFor(SwitchByRangeProperty, NoMaker));
    EXPECT_EQ("turbosight", switchWordFor(SwitchByMaker, MakerTurboSight));
    EXPECT_EQ(SwitchOnlyCommand, switchSettingFromSettings(settingsWithLine("", "switch", "command")).choice);

    EXPECT_EQ("switch=command\r\n", settingsWithLine("", "switch", "command"));
    EXPECT_EQ("tuner=TBS 6902\r\nswitch=command\r\n", settingsWithLine("tuner=TBS 6902", "switch", "command"));
    EXPECT_EQ("tuner=x\nswitch=command\n", settingsWithLine("tuner=x\nswitch=turbosight\n", "switch", "command"));
    // Comments stay; the first line of the key is the one replaced, as it is the one read.
    EXPECT_EQ("; switch=source\r\nswitch=command\r\nswitch=range\r\n",
              settingsWithLine("; switch=source\r\n  Switch = auto\r\nswitch=range\r\n", "switch", "command"));
    // A UTF-8 mark stays; a file saved as UTF-16 comes back as UTF-8 with its mark.
    EXPECT_EQ("\xEF\xBB\xBFswitch=command\r\n", settingsWithLine("\xEF\xBB\xBFswitch=auto\r\n", "switch", "command"));
    const std::string utf16("\xFF\xFEt\0=\0x\0\r\0\n\0", 12);
    EXPECT_EQ("\xEF\xBB\xBFt=x\r\nswitch=command\r\n", settingsWithLine(utf16, "switch", "command"));
}

TEST(BdaSettings, TheInputRangeLineNamesEachPortsForm)
{
    const InputRangeForms numbers = inputRangeFormsFromSettings("");
    EXPECT_EQ("1", numbers.port[0]);
    EXPECT_EQ("4", numbers.port[3]);
    const InputRangeForms zeroBased = inputRangeFormsFromSettings("inputrange = 0, 1, 2, 3\r\n");
    EXPECT_EQ("0", zeroBased.port[0]);
    EXPECT_EQ("3", zeroBased.port[3]);
    const InputRangeForms letters = inputRangeFormsFromSettings("InputRange=A B\tC,,D\r\n");
    EXPECT_EQ("A", letters.port[0]);
    EXPECT_EQ("B", letters.port[1]);
    EXPECT_EQ("C", letters.port[2]);
    EXPECT_EQ("D", letters.port[3]);
    // A port the line leaves out keeps its number.
    const InputRangeForms two = inputRangeFormsFromSettings("inputrange=10 20");
    EXPECT_EQ("20", two.port[1]);
    EXPECT_EQ("3", two.port[2]);
}
