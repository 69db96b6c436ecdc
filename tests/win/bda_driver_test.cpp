// The bridge against tuners whose drivers behave as real ones were found
// to: DVB-S2 locked only with its own modulation, or 8PSK only as BDA's
// plain 8PSK, or only with pilots and roll-off named; the LNB source
// ignored, no DiSEqC at all, two oscillators mishandled, strength in mdB
// without a quality.
#include "tests/win/bda_fixture.h"

namespace {

using BdaDriverTest = BdaProgramTest;

static const char nbcTuner[] = "tuner=Simulated NBC Tuner\r\n";

struct SystemSearch {
    const char* transponder;
    std::vector<std::string> modulations;  // tuned until the lock
};

class BdaSystemSearchTest : public BdaProgramTest, public testing::WithParamInterface<SystemSearch> {};

// Each system is tried in turn until one locks; the next start of the same
// transponder begins with the one that locked.
TEST_P(BdaSystemSearchTest, TheSystemThatLocksIsFoundAndRemembered)
{
    AppRun& run = startWithBridge(std::string("transponder ") + GetParam().transponder + "\n", nbcTuner);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72, 8000)) << testing::PrintToString(modulationsTuned(run));
    settle(run, 1500);
    EXPECT_EQ(GetParam().modulations, modulationsTuned(run));
    const std::string found = GetParam().modulations.back();

    postKey(run.window, VK_BACK);
    settle(run, 300);
    postKey(run.window, VK_RETURN);
    settle(run, 300);
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> all = modulationsTuned(run);
    ASSERT_EQ(GetParam().modulations.size() + 1, all.size());
    EXPECT_EQ(found, all.back());
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(Transponders, BdaSystemSearchTest,
                         testing::Values(SystemSearch{"DVB-S", {"qpsk"}},
                                         SystemSearch{"DVB-S2-QPSK", {"qpsk", "nbc-qpsk"}},
                                         SystemSearch{"DVB-S2-8PSK", {"qpsk", "nbc-qpsk", "nbc-8psk"}}));

TEST_F(BdaDriverTest, TheSettingsFixTheModulation)
{
    AppRun& run = startWithBridge("transponder DVB-S2-QPSK\n", std::string(nbcTuner) + "modulation = NBC_8PSK\r\n");
    startTypedEntry(run, "12245H27500");
    settle(run, 2500);
    EXPECT_FALSE(barShows(run, 72, 0));
    EXPECT_EQ(std::vector<std::string>({"nbc-8psk"}), modulationsTuned(run));
    EXPECT_EQ(0, closeWithEscape(run));

    AppRun& fixed = startWithBridge("transponder DVB-S2-QPSK\n", std::string(nbcTuner) + "modulation=nbc-qpsk\r\n");
    startTypedEntry(fixed, "12245H27500");
    EXPECT_TRUE(barShows(fixed, 72));
    EXPECT_EQ(std::vector<std::string>({"nbc-qpsk"}), modulationsTuned(fixed));
    EXPECT_EQ(0, closeWithEscape(fixed));
}

// A driver that takes the LNB source and does nothing with it still
// switches with the command sent to it.
TEST_F(BdaDriverTest, ATunerIgnoringTheLnbSourceIsSwitchedByTheCommand)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=Simulated Command Tuner\r\n");
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_EQ(std::vector<std::string>({"diseqc E0 10 38 F9", "diseqc E0 10 38 F9"}), diseqcCommands(run));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

// Without any way to reach the switch, a switch letter fails the DiSEqC
// call instead of measuring whatever dish the switch happens to select.
TEST_F(BdaDriverTest, ATunerWithoutDiseqcRefusesSwitchLetters)
{
    AppRun& run = startWithBridge("", "tuner=Simulated Plain Tuner\r\n");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 72));
    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startTypedEntry(run, "12245H27500B");
    ASSERT_TRUE(boxShown(run, "Error", "Set DiSEqC failed"));
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_EQ(1u, tunes(run).size());
    EXPECT_TRUE(unreleased(run).empty());
}

struct OscillatorCase {
    const char* entry;
    const char* oscillators;
};

class BdaOneOscillatorTest : public BdaProgramTest, public testing::WithParamInterface<OscillatorCase> {};

// A driver that mixes with the low oscillator in either band receives every
// band, since both fields hold the one the program chose.
TEST_P(BdaOneOscillatorTest, ADriverUsingOneOscillatorReceivesEveryBand)
{
    AppRun& run = startWithBridge("", "tuner=Simulated One Oscillator Tuner\r\n");
    startTypedEntry(run, GetParam().entry);
    EXPECT_TRUE(barShows(run, 72));
    ASSERT_EQ(1u, tunes(run).size());
    EXPECT_NE(std::string::npos, tunes(run)[0].find(GetParam().oscillators)) << tunes(run)[0];
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(
    Bands, BdaOneOscillatorTest,
    testing::Values(OscillatorCase{"11720V26000", " low=10600000 high=10600000 switch=11700000 "},
                    OscillatorCase{"11699H27500", " low=9750000 high=9750000 switch=11700000 "},
                    OscillatorCase{"3400V4167", " low=5150000 high=5150000 switch=11700000 source=none band=low "}));

// Strength 64 % is 5.4 dB below the nominal level, 10.6 dB C/N on the
// scale, 59 %.
TEST_F(BdaDriverTest, StrengthInMillidecibelsStandsInForAMissingQuality)
{
    AppRun& run = startWithBridge("signal 0 locked 30 64\nsignal 2000 locked 30 100\n", "tuner=Simulated mdB Tuner");
    startTypedEntry(run, "12245H27500");
    EXPECT_TRUE(barShows(run, 59));
    EXPECT_TRUE(barShows(run, 99));
    EXPECT_EQ(0, closeWithEscape(run));
}

// A driver that knows DVB-S2 8PSK only as BDA_MOD_8PSK refuses the NBC
// values: plain 8PSK stands in for NBC 8PSK, and is remembered.
TEST_F(BdaDriverTest, PlainEightPskStandsInWhereTheDriverRefusesNbcEightPsk)
{
    AppRun& run = startWithBridge("transponder DVB-S2-8PSK\n", "tuner=Simulated Plain 8PSK Tuner\r\n");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72, 8000)) << testing::PrintToString(modulationsTuned(run));
    EXPECT_EQ(std::vector<std::string>({"qpsk", "nbc-qpsk", "nbc-8psk", "8psk"}), modulationsTuned(run));
    const std::vector<std::string> lines = tunes(run);
    EXPECT_NE(std::string::npos, lines[1].find(" -> 0x80070057")) << lines[1];
    EXPECT_NE(std::string::npos, lines[2].find(" -> 0x80070057")) << lines[2];

    postKey(run.window, VK_BACK);
    settle(run, 300);
    postKey(run.window, VK_RETURN);
    settle(run, 300);
    EXPECT_TRUE(barShows(run, 72));
    EXPECT_EQ("8psk", modulationsTuned(run).back());
    EXPECT_EQ(5u, modulationsTuned(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

// A driver that locks DVB-S2 only with pilots and roll-off named gets them
// from bdacard.ini, on its DVB-S2 requests only.
TEST_F(BdaDriverTest, TheSettingsNamePilotsAndRollOffForDvbS2)
{
    AppRun& run = startWithBridge("transponder DVB-S2-QPSK pilot on rolloff 0.25\n",
                                  "tuner=Simulated Pilot Tuner\r\npilot=on\r\nrolloff=0.25\r\n");
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(barShows(run, 72, 8000)) << testing::PrintToString(tunes(run));
    const std::vector<std::string> lines = tunes(run);
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find(" modulation=qpsk pilot=auto rolloff=auto ")) << lines[0];
    EXPECT_NE(std::string::npos, lines[1].find(" modulation=nbc-qpsk pilot=2 rolloff=2 ")) << lines[1];
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
