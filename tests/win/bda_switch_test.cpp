// Reaching the switch port through tuners that differ as real drivers do:
// one that powers the LNB only with a tune (its switch hears a command only
// once the supply has settled, without the tone, at DiSEqC's pace), with a
// simple tone-burst switch behind the letters "A" and "B", and one that
// selects its input by the RF tuner's range, which the network provider
// puts with every tune.
#include <algorithm>

#include "tests/win/bda_fixture.h"

namespace {

using BdaSwitchTest = BdaProgramTest;

static size_t firstLineStarting(const std::vector<std::string>& lines, const std::string& start)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, start.size(), start) == 0) return i;
    return lines.size();
}

static size_t lastLineStarting(const std::vector<std::string>& lines, const std::string& start)
{
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].compare(0, start.size(), start) == 0) return i;
    return lines.size();
}

// 11720 MHz is in the high band: the tune that powers the LNB for the
// command must come without the tone, and the last one with it.
TEST_F(BdaSwitchTest, ATunerThatPowersTheLnbWithTheTuneHearsTheCommandAfterIt)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=Simulated Tune-Powered Tuner\r\n");
    startTypedEntry(run, "11720V26000AB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc E0 10 38 F9", "diseqc E0 10 38 F9"}), diseqcCommands(run));
    const std::vector<std::string> lines = logLines(run);
    const size_t command = firstLineStarting(lines, "diseqc ");
    const size_t powering = firstLineStarting(lines, "tune ");
    const size_t last = lastLineStarting(lines, "tune ");
    ASSERT_LT(powering, command);
    ASSERT_LT(command, last);
    EXPECT_NE(std::string::npos, lines[powering].find(" band=low ")) << lines[powering];
    EXPECT_NE(std::string::npos, lines[last].find(" band=high if=1120000")) << lines[last];
    EXPECT_NE(std::string::npos, lines[last].find(" source=none ")) << lines[last];
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

struct BurstStart {
    const char* letters;
    const char* input;  // of the tone-burst switch the dish hangs on
    const char* command;
};

class BdaToneBurstTest : public BdaProgramTest, public testing::WithParamInterface<BurstStart> {};

// "A" and "B" also speak to a simple switch that hears tone bursts only: the
// burst follows the command, before the tune with the band's tone.
TEST_P(BdaToneBurstTest, TheLettersAAndBSendTheToneBurstAfterTheCommand)
{
    AppRun& run = startWithBridge(std::string("switch burst ") + GetParam().input + "\n",
                                  "tuner=Simulated Tune-Powered Tuner\r\n");
    startTypedEntry(run, std::string("12245H27500") + GetParam().letters);
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> lines = logLines(run);
    const std::string burst = std::string("burst ") + GetParam().input;
    const size_t at = firstLineStarting(lines, "burst ");
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(burst, lines[at]);  // heard: nothing after it
    EXPECT_LT(lastLineStarting(lines, "diseqc "), at);
    EXPECT_LT(at, lastLineStarting(lines, "tune "));
    EXPECT_EQ(std::vector<std::string>(2, std::string("diseqc ") + GetParam().command), diseqcCommands(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(BothInputs, BdaToneBurstTest,
                         testing::Values(BurstStart{"A", "A", "E0 10 38 F3"}, BurstStart{"B", "B", "E0 10 38 F7"}));

// Without a DiSEqC interface there is neither a command nor an LNB source:
// the tuning space's input range carries the port, so that the provider's
// tune puts it rather than overwriting it; a later start without a letter
// gives the space its own range back.
TEST_F(BdaSwitchTest, WithoutCommandsOrLnbSourceTheTuningSpacesInputRangeSelectsThePort)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=Simulated Range Tuner\r\n");
    startTypedEntry(run, "12245H27500AB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    EXPECT_TRUE(waitForLogLine(run, "tuning space low=10600000 high=10600000 switch=11700000 range=3"));
    ASSERT_EQ(1u, tunes(run).size());
    EXPECT_NE(std::string::npos, tunes(run)[0].find(" range=3")) << tunes(run)[0];
    EXPECT_EQ(lastLineStarting(logLines(run), "range "), logLines(run).size());  // no change of its own
    EXPECT_FALSE(anyMessageBox(run));

    postKey(run.window, VK_BACK);
    settle(run, 300);
    postCharacter(run.window, 'm');  // back to the list
    startTypedEntry(run, "11720V26000");
    EXPECT_TRUE(waitForLogLine(run, "tuning space low=10600000 high=10600000 switch=11700000"));
    ASSERT_EQ(2u, tunes(run).size());
    EXPECT_NE(std::string::npos, tunes(run)[1].find(" range=-1")) << tunes(run)[1];
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

// Where the tuning space takes no input range, the RF tuner's own range,
// put in a change of its own before the tune, is the last resort.
TEST_F(BdaSwitchTest, WhereTheSpaceTakesNoInputRangeTheRfTunersRangeIsTheLastResort)
{
    AppRun& run = startWithBridge("no input range\nswitch port D\n", "tuner=Simulated Range Tuner\r\n");
    startTypedEntry(run, "12245H27500BB");
    EXPECT_TRUE(barShows(run, 72)) << testing::PrintToString(logLines(run));
    const std::vector<std::string> lines = logLines(run);
    const size_t range = firstLineStarting(lines, "range Simulated Range Tuner 4");
    ASSERT_LT(range, lines.size());
    EXPECT_LT(range, firstLineStarting(lines, "tune "));
    EXPECT_EQ(1u, tunes(run).size());
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
