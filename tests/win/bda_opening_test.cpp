// Which tuner the bridge opens, and how it fails: the tuner bdacard.ini
// names, no tuner, a tuner that refuses the graph or a tune request, and a
// Windows without the provider and locator of Windows 7.
#include "tests/win/bda_fixture.h"

namespace {

using BdaOpeningTest = BdaProgramTest;

static const char cannotInitialize[] = "Cannot initialize tuner control interface";

TEST_F(BdaOpeningTest, TheTunerNamedInTheSettingsIsUsedWithItsCaptureFilter)
{
    AppRun& run = startWithBridge("", "; the second satellite tuner\r\ntuner = simulated dvb-s TUNER 2\r\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> lines = tunes(run);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(0u, lines[0].find("tune Simulated DVB-S Tuner 2 frequency=12245000 "));
    EXPECT_TRUE(waitForLogLine(run, "run Simulated DVB-S Capture 2", 0));
    EXPECT_FALSE(waitForLogLine(run, "create tuner Simulated DVB-S2 Tuner", 0));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

struct OpeningFailure {
    const char* scenario;
    const char* settings;
};

class BdaOpeningFailureTest : public BdaProgramTest, public testing::WithParamInterface<OpeningFailure> {};

TEST_P(BdaOpeningFailureTest, InitializeFailsAndEverythingIsReleased)
{
    AppRun& run = startWithBridge(GetParam().scenario, GetParam().settings, false);
    ASSERT_TRUE(boxShown(run, "Error", cannotInitialize));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(tunes(run).empty());
    EXPECT_TRUE(unreleased(run).empty());
}

INSTANTIATE_TEST_SUITE_P(Failures, BdaOpeningFailureTest,
                         testing::Values(OpeningFailure{"refuse graph\n", ""},              // the tuner cannot start
                                         OpeningFailure{"", "tuner=Sky Box\r\n"},           // no such tuner
                                         OpeningFailure{"", "tuner=Simulated DVB-T Tuner"}  // no satellite tuner
                                         ));

TEST_F(BdaOpeningTest, WithoutAnyTunerInitializeFails)
{
    ASSERT_TRUE(registerBuildDll(joinPath(buildFolder(), "bdasim_tuner.dll"), false));
    AppRun& run = startWithBridge("", "", false);
    EXPECT_TRUE(boxShown(run, "Error", cannotInitialize));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// Each system is asked for once, DVB-S2 8PSK also as plain 8PSK; the call
// fails with the last refusal.
TEST_F(BdaOpeningTest, ATunerThatRefusesTheTuneRequestFailsTheCallThatCarriesIt)
{
    AppRun& run = startWithBridge("refuse tune\n");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_EQ(std::vector<std::string>({"qpsk", "nbc-qpsk", "nbc-8psk", "8psk"}), modulationsTuned(run));
    for (const std::string& line : tunes(run)) EXPECT_NE(std::string::npos, line.find(" -> 0x80004005")) << line;
    EXPECT_TRUE(unreleased(run).empty());
}

// Before Windows 7 there is no LNB source: the switch is reached by the
// command, where the tuner takes one.
TEST_F(BdaOpeningTest, BeforeWindows7TheDvbsProviderServesAndTheCommandSwitches)
{
    AppRun& run = startWithBridge("legacy provider\nlegacy locator\nswitch port B\n");
    startTypedEntry(run, "12245H27500B");
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_TRUE(waitForLogLine(run, "create provider DVB-S Network Provider", 0));
    EXPECT_EQ(2u, diseqcCommands(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaOpeningTest, BeforeWindows7ATunerWithoutCommandsCannotReachASwitchPort)
{
    AppRun& run = startWithBridge("legacy provider\nlegacy locator\n", "tuner=Simulated DVB-S Tuner 2\r\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 72));
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startTypedEntry(run, "12245H27500A");
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_EQ(1u, tunes(run).size());
}

}  // namespace
