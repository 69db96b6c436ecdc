// Azimora measuring through bdacard.dll and the simulated BDA tuner: what
// reaches the tuner for a catalogue line, for every DiSEqC code and at the
// program's LNB band edges.
#include <algorithm>

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
    EXPECT_EQ(tune(satelliteTuner, "frequency=11720000 symbolRate=26000 polarisation=V modulation=qpsk pilot=auto "
                                   "rolloff=auto low=10600000 high=10600000 switch=11700000 source=none band=high "
                                   "if=1120000"),
              lines[0]);
    EXPECT_TRUE(diseqcCommands(run).empty());
    // The DVB-T tuner listed first was tried and let go again.
    EXPECT_TRUE(waitForLogLine(run, "destroy tuner Simulated DVB-T Tuner", 0));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

struct DiseqcStart {
    const char* letters;
    const char* command;  // what 11720 MHz V (high band) sends for them
    const char* port;     // the switch port it selects
};

class BdaDiseqcTest : public BdaProgramTest, public testing::WithParamInterface<DiseqcStart> {};

// The committed-switch command goes to the tuner itself, twice, after a tune
// without the tone has powered the LNB, and the tune with the band's tone
// comes last; neither tune asks for an LNB source of its own. Only the port
// the command selects carries the dish; "A" and "B" add a tone burst.
TEST_P(BdaDiseqcTest, TheSwitchCommandIsSentTwiceBetweenAToneFreeTuneAndTheBandsTune)
{
    AppRun& run = startWithBridge(std::string("switch port ") + GetParam().port + "\n");
    startTypedEntry(run, std::string("11720V26000") + GetParam().letters);
    EXPECT_TRUE(barShows(run, 72));
    const std::string command = std::string("diseqc ") + GetParam().command;
    EXPECT_EQ(std::vector<std::string>({command, command}), diseqcCommands(run));
    const std::vector<std::string> lines = logLines(run);
    const auto isTune = [](const std::string& line) { return line.compare(0, 5, "tune ") == 0; };
    const auto sent = std::find(lines.begin(), lines.end(), command);
    const auto powering = std::find_if(lines.begin(), lines.end(), isTune);
    const auto last = std::find_if(lines.rbegin(), lines.rend(), isTune).base() - 1;
    EXPECT_LT(powering - lines.begin(), sent - lines.begin());
    EXPECT_LT(sent - lines.begin(), last - lines.begin());
    ASSERT_EQ(2u, tunes(run).size());
    EXPECT_NE(std::string::npos, tunes(run)[0].find(" source=none band=low "));
    EXPECT_NE(std::string::npos, tunes(run)[1].find(" source=none band=high "));
    const bool burst = std::string(GetParam().letters).size() == 1;
    EXPECT_EQ(burst, std::find(lines.begin(), lines.end(), std::string("burst ") + GetParam().port) != lines.end());
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(EveryCode, BdaDiseqcTest,
                         testing::Values(DiseqcStart{"A", "E0 10 38 F1", "A"}, DiseqcStart{"B", "E0 10 38 F5", "B"},
                                         DiseqcStart{"AA", "E0 10 38 F1", "A"}, DiseqcStart{"BA", "E0 10 38 F5", "B"},
                                         DiseqcStart{"AB", "E0 10 38 F9", "C"}, DiseqcStart{"BB", "E0 10 38 FD", "D"}));

struct LnbSourceStart {
    const char* letters;
    const char* source;
};

class BdaLnbSourceTest : public BdaProgramTest, public testing::WithParamInterface<LnbSourceStart> {};

// A tuner that will not enable commands is given the port as the LNB source.
TEST_P(BdaLnbSourceTest, WithoutCommandsTheSwitchPortBecomesTheLnbSource)
{
    AppRun& run =
        startWithBridge(std::string("switch port ") + GetParam().source + "\n", "tuner=Simulated DVB-S Tuner 2\r\n");
    startTypedEntry(run, std::string("12245H27500") + GetParam().letters);
    EXPECT_TRUE(barShows(run, 72));
    ASSERT_EQ(1u, tunes(run).size());
    EXPECT_NE(std::string::npos, tunes(run)[0].find(std::string(" source=") + GetParam().source + " "));
    EXPECT_TRUE(diseqcCommands(run).empty());  // it would take one and do nothing
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(EachPort, BdaLnbSourceTest,
                         testing::Values(LnbSourceStart{"A", "A"}, LnbSourceStart{"BA", "B"}, LnbSourceStart{"AB", "C"},
                                         LnbSourceStart{"BB", "D"}));

struct BandEdge {
    const char* entry;
    const char* values;
    bool receivable;  // the intermediate frequency lies within a tuner's range
};

class BdaBandEdgeTest : public BdaProgramTest, public testing::WithParamInterface<BandEdge> {};

TEST_P(BdaBandEdgeTest, TheTunerGetsTheOscillatorAndBandTheProgramChose)
{
    AppRun& run = startWithBridge();
    startTypedEntry(run, GetParam().entry);
    const std::string expected = tune(satelliteTuner, GetParam().values);
    ASSERT_TRUE(waitForLogLine(run, expected)) << (tunes(run).empty() ? "no tune" : tunes(run).back());
    if (GetParam().receivable) {
        EXPECT_TRUE(barShows(run, 72));
        EXPECT_EQ(1u, tunes(run).size());
    }
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(
    LnbCases, BdaBandEdgeTest,
    testing::Values(BandEdge{"11699H27500",
                             "frequency=11699000 symbolRate=27500 polarisation=H modulation=qpsk pilot=auto "
                             "rolloff=auto low=9750000 high=9750000 switch=11700000 source=none band=low if=1949000",
                             true},
                    BandEdge{"11700V27500",
                             "frequency=11700000 symbolRate=27500 polarisation=V modulation=qpsk pilot=auto "
                             "rolloff=auto low=10600000 high=10600000 switch=11700000 source=none band=high "
                             "if=1100000",
                             true},
                    // C band: the oscillator lies above the carrier, and the tone stays off.
                    BandEdge{"4200H27500",
                             "frequency=4200000 symbolRate=27500 polarisation=H modulation=qpsk pilot=auto "
                             "rolloff=auto low=5150000 high=5150000 switch=11700000 source=none band=low if=950000",
                             true},
                    // The program sends 4201 MHz to the low Ku oscillator, and so does the bridge.
                    BandEdge{"4201H27500",
                             "frequency=4201000 symbolRate=27500 polarisation=H modulation=qpsk pilot=auto "
                             "rolloff=auto low=9750000 high=9750000 switch=11700000 source=none band=low if=5549000",
                             false},
                    BandEdge{"3400V4167",
                             "frequency=3400000 symbolRate=4167 polarisation=V modulation=qpsk pilot=auto "
                             "rolloff=auto low=5150000 high=5150000 switch=11700000 source=none band=low if=1750000",
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
    EXPECT_NE(std::string::npos, lines[2].find("frequency=11720000 symbolRate=26000 polarisation=V"));
    EXPECT_NE(std::string::npos, lines[2].find(" low=10600000 high=10600000 "));
    int spaces = 0;
    for (const std::string& line : logLines(run)) spaces += line.compare(0, 13, "tuning space ") == 0;
    EXPECT_EQ(3, spaces);  // the first one, C band, and Ku band's high oscillator
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
