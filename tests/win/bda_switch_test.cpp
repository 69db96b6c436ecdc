// Reaching the switch port through tuners that differ as real drivers do:
// one that powers the LNB only with a tune (its switch hears a command only
// once the supply has settled, without the tone, at DiSEqC's pace), with a
// simple tone-burst switch behind the letters "A" and "B", and one that
// selects its input by the RF tuner's range.
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
// the RF tuner's input range selects the port, before the tune.
TEST_F(BdaSwitchTest, WithoutCommandsOrLnbSourceTheInputRangeSelectsThePort)
{
    AppRun& run = startWithBridge("switch port C\n", "tuner=Simulated Range Tuner\r\n");
    startTypedEntry(run, "12245H27500AB");
    EXPECT_TRUE(barShows(run, 72));
    const std::vector<std::string> lines = logLines(run);
    const size_t range = firstLineStarting(lines, "range Simulated Range Tuner 3");
    ASSERT_LT(range, lines.size());
    EXPECT_LT(range, firstLineStarting(lines, "tune "));
    EXPECT_EQ(1u, tunes(run).size());
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

}  // namespace
