// Azimora measuring through bdacard.dll and the simulated BDA tuner: what
// reaches the tuner for a catalogue line, for every DiSEqC code and at the
// program's LNB band edges.
#include "tests/win/bda_fixture.h"

namespace {

using BdaStartTest = BdaProgramTest;

static std::string tune(const char* tuner, const std::string& values)
{
    return std::string("tune ") + tuner + " " + values;
}

static const char satelliteTuner[] = "Simulated DVB-S2 Tuner";

TEST_F(BdaStartTest, AListStartTunesTheFirstSatelliteTunerAndMeasures)
{
    AppRun& run = startWithBridge();
    startCatalogueLine(run, 1);  // [AMC2   105.0w]=11720v26000
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> lines = tunes(run);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(tune(satelliteTuner, "frequency=11720000 symbolRate=26000 polarisation=V low=9750000 high=10600000 "
                                   "switch=11700000 source=none band=high if=1120000"),
              lines[0]);
    // The DVB-T tuner listed first was tried and let go again.
    EXPECT_TRUE(waitForLogLine(run, "destroy tuner Simulated DVB-T Tuner", 0));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

struct DiseqcStart {
    const char* letters;
    const char* source;
};

class BdaDiseqcTest : public BdaProgramTest, public testing::WithParamInterface<DiseqcStart> {};

TEST_P(BdaDiseqcTest, TheSwitchPortBecomesTheLnbSource)
{
    AppRun& run = startWithBridge();
    startTypedEntry(run, std::string("11720V26000") + GetParam().letters);
    ASSERT_TRUE(waitForLogLine(run, "run Network Provider"));
    const std::string expected =
        tune(satelliteTuner, std::string("frequency=11720000 symbolRate=26000 polarisation=V low=9750000 "
                                         "high=10600000 switch=11700000 source=") +
                                 GetParam().source + " band=high if=1120000");
    ASSERT_TRUE(waitForLogLine(run, expected));
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(EveryCode, BdaDiseqcTest,
                         testing::Values(DiseqcStart{"", "none"}, DiseqcStart{"A", "A"}, DiseqcStart{"B", "B"},
                                         DiseqcStart{"AA", "A"}, DiseqcStart{"BA", "B"}, DiseqcStart{"AB", "C"},
                                         DiseqcStart{"BB", "D"}));

struct BandEdge {
    const char* entry;
    const char* values;
    bool receivable;  // the intermediate frequency lies within a tuner's range
};

class BdaBandEdgeTest : public BdaProgramTest, public testing::WithParamInterface<BandEdge> {};

TEST_P(BdaBandEdgeTest, TheTunerGetsTheOscillatorsAndBandTheProgramChose)
{
    AppRun& run = startWithBridge();
    startTypedEntry(run, GetParam().entry);
    const std::string expected = tune(satelliteTuner, GetParam().values);
    ASSERT_TRUE(waitForLogLine(run, expected)) << (tunes(run).empty() ? "no tune" : tunes(run).back());
    if (GetParam().receivable) {
        EXPECT_TRUE(barShows(run, 72));
    }
    EXPECT_EQ(1u, tunes(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(
    LnbCases, BdaBandEdgeTest,
    testing::Values(BandEdge{"11699H27500",
                             "frequency=11699000 symbolRate=27500 polarisation=H low=9750000 high=10600000 "
                             "switch=11700000 source=none band=low if=1949000",
                             true},
                    BandEdge{"11700V27500",
                             "frequency=11700000 symbolRate=27500 polarisation=V low=9750000 high=10600000 "
                             "switch=11700000 source=none band=high if=1100000",
                             true},
                    BandEdge{"4200H27500",
                             "frequency=4200000 symbolRate=27500 polarisation=H low=5150000 high=5150000 "
                             "switch=11700000 source=none band=low if=950000",
                             true},
                    // The program sends 4201 MHz to the low Ku oscillator, and so does the bridge.
                    BandEdge{"4201H27500",
                             "frequency=4201000 symbolRate=27500 polarisation=H low=9750000 high=10600000 "
                             "switch=11700000 source=none band=low if=5549000",
                             false},
                    BandEdge{"3400V4167",
                             "frequency=3400000 symbolRate=4167 polarisation=V low=5150000 high=5150000 "
                             "switch=11700000 source=none band=low if=1750000",
                             true}));

TEST_F(BdaStartTest, ANewStartWithAnotherLnbHandsTheProviderTheNewTuningSpace)
{
    AppRun& run = startWithBridge();
    startTypedEntry(run, "3400V4167");
    ASSERT_TRUE(waitForLogLine(run, "tuning space low=5150000 high=5150000 switch=11700000"));
    ASSERT_TRUE(barShows(run, 72));
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postKey(run.window, VK_RETURN);  // the same entry again: the tuning space stays
    settle(run, 300);
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startCatalogueLine(run, 1);
    ASSERT_TRUE(barShows(run, 72));
    const std::vector<std::string> lines = tunes(run);
    ASSERT_EQ(3u, lines.size());
    EXPECT_NE(std::string::npos, lines[2].find("frequency=11720000 symbolRate=26000 polarisation=V low=9750000"));
    int spaces = 0;
    for (const std::string& line : logLines(run)) spaces += line.compare(0, 13, "tuning space ") == 0;
    EXPECT_EQ(3, spaces);  // the first one, C band, and Ku band again
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
