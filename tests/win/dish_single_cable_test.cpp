// The practice dish behind a single-cable device, measured by the program
// through the simulated card's scr= setting: the asked transponder locks on
// either standard (its stream's id is the transponder's own), a wrong PIN
// gets no answer and the sentence, another receiver on the band is named,
// the power-off reaches the device when the program closes, and a bad
// value is refused on the phone page with nothing sent.
#include <cstdio>

#include "cardbase/single_cable.h"
#include "cardbase/sky/sky.h"
#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

namespace {

using DishSingleCableTest = ProgramTest;

// HotBird's catalogue line as the program sends it: no switch letters.
static SingleCablePlan hotBirdPlan(const std::string& settingText)
{
    SingleCableSetting setting;
    EXPECT_TRUE(parseSingleCable(settingText, &setting, nullptr));
    CardTuning tuning;
    tuning.lnbSelection = 0;
    tuning.lnbFrequencyMHz = 9750;
    tuning.polarization = 0;
    tuning.symbolRate = 29900;
    tuning.frequencyMHz = 10723;
    return singleCablePlanFor(tuning, setting);
}

static std::string hotBirdStreamLine()
{
    char line[32];
    std::snprintf(line, sizeof line, "Stream tsid 0x%04X", transportStreamIdOf(13.0, 10723, 0));
    return line;
}

static int linesStarting(const AppRun& run, const std::string& prefix)
{
    int count = 0;
    for (const std::string& line : logLines(run))
        if (line.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

TEST_F(DishSingleCableTest, ThroughEn50494TheAskedTransponderLocksAndClosingFreesTheBand)
{
    CardSettings settings("scr=en50494,1,1210\r\n");
    StartOptions options;
    options.scenario = "aim 13.0e\nscr-device en50494 1210,1420,1680,2040\n";
    AppRun& run = start(options);
    startHotBird(run);
    const SingleCablePlan plan = hotBirdPlan("en50494,1,1210");
    EXPECT_TRUE(waitForLogLine(run, "ScrCommand " + singleCableCommandText(plan.command) + " -> tuned"));
    EXPECT_TRUE(waitForLogLine(run, "ScrTune " + std::to_string(plan.demodulatorKHz) + " kHz"));
    ASSERT_TRUE(waitForLock(run, true));
    EXPECT_TRUE(waitForLogLine(run, hotBirdStreamLine()));
    EXPECT_EQ(0, closeWithEscape(run));

    const std::vector<std::string> lines = logLines(run);
    const size_t powerOff = indexOf(lines, "ScrPowerOff E0 10 5A 00 00 -> freed");
    ASSERT_LT(powerOff, lines.size());
    EXPECT_EQ("ScrSupply off", lines[powerOff + 3]);
    EXPECT_LT(powerOff, indexOf(lines, "Destroyed polls="));
}

TEST_F(DishSingleCableTest, ThroughEn50607ItLocksAndAnotherReceiverOnTheBandIsNamed)
{
    CardSettings settings("scr = en50607,2,1420\r\n");
    StartOptions options;
    options.scenario = "aim 13.0e\nscr-device en50607 1210,1420,1680,2040\nscr-neighbour 2 every 3\n";
    AppRun& run = start(options);
    startHotBird(run);
    EXPECT_TRUE(waitForLogLine(run, "ScrCommand " + singleCableCommandText(hotBirdPlan("en50607,2,1420").command) +
                                        " -> tuned"));
    ASSERT_TRUE(waitForLock(run, true));
    EXPECT_TRUE(waitForLogLine(run, hotBirdStreamLine()));
    EXPECT_TRUE(waitForLogLine(run, "UserBandShared another receiver uses user band 2", 8000));
    EXPECT_EQ(1, linesStarting(run, "ScrCommand ")) << "a steady tune";
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishSingleCableTest, AWrongPinGetsNoAnswerNoLockAndTheSentence)
{
    CardSettings settings("scr=en50494,1,1210,78\r\n");
    StartOptions options;
    options.scenario = "aim 13.0e\nscr-device en50494 1210,1420 pin 77\n";
    AppRun& run = start(options);
    startHotBird(run);
    EXPECT_TRUE(waitForLogLine(run, "ScrCommand E0 10 5C 08 C4 4E -> wrong PIN"));
    EXPECT_TRUE(waitForLogLine(run, std::string("Dish ") + singleCableNoAnswerText));
    EXPECT_TRUE(waitForLock(run, false));
    // The command once more after the driver's time, then no more.
    for (int waited = 0; waited < 5000 && linesStarting(run, "ScrCommand ") < 2; waited += 50) Sleep(50);
    EXPECT_EQ(2, linesStarting(run, "ScrCommand "));
    EXPECT_TRUE(lastLine(run, "GetSignalQuality").empty());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DishSingleCableTest, ABadValueIsRefusedOnThePageWithNothingSent)
{
    CardSettings settings("scr=en50494,9,1210\r\n");
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "aim 13.0e\nscr-device en50494 1210,1420\n"));
    EXPECT_NE("", streamUntil(port, "\"card\":\"Practice dish (simulated card); scr= refused: user band 9 is not "
                                    "1-8 for EN 50494\""));
    startHotBird(run);
    EXPECT_TRUE(waitForLogLine(run, "ScrRefused scr= refused: user band 9 is not 1-8 for EN 50494"));
    EXPECT_TRUE(waitForLock(run, false));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(0, linesStarting(run, "ScrCommand ") + linesStarting(run, "ScrPowerOff "));
}

}  // namespace
