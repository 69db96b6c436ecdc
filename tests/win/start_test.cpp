// Starting from the typed entry: what reaches the card, what is refused, the
// About box while measuring, and stopping and starting again.
#include "tests/win/program_test.h"

namespace {

using StartTest = ProgramTest;

static std::vector<std::string> expectedCalls(int selection, int lnb, int polarization, int rate, int frequency,
                                              int diseqc)
{
    auto line = [](const char* name, int value) {
        return std::string(name) + " " + std::to_string(value) + " -> 0x00000000";
    };
    return {line("SetLnbSelection", selection),         line("SetLnbFrequency", lnb),
            line("SetPolarity", polarization),          line("SetSymbolRate", rate),
            line("SetTransponderFrequency", frequency), line("SetDiseqc", diseqc)};
}

struct TypedStart {
    const char* entry;
    std::vector<std::string> calls;
};

class TypedStartTest : public ProgramTest, public testing::WithParamInterface<TypedStart> {};

TEST_P(TypedStartTest, TunesTheCardWithTheTypedValues)
{
    AppRun& run = start();
    startTypedEntry(run, GetParam().entry);
    ASSERT_TRUE(waitForLogLine(run, GetParam().calls.back()));
    EXPECT_EQ(GetParam().calls, tuningCalls(run));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(BandEdges, TypedStartTest,
                         testing::Values(TypedStart{"11699H27500", expectedCalls(0, 9750, 0, 27500, 11699, 0)},
                                         TypedStart{"11700V27500", expectedCalls(1, 10600, 1, 27500, 11700, 0)},
                                         TypedStart{"4200H27500", expectedCalls(0, 5150, 0, 27500, 4200, 0)},
                                         TypedStart{"4201H27500", expectedCalls(0, 9750, 0, 27500, 4201, 0)},
                                         TypedStart{"3400V4167", expectedCalls(0, 5150, 1, 4167, 3400, 0)},
                                         TypedStart{"3399H27500AB", expectedCalls(0, 5150, 0, 27500, 3399, 5)},
                                         TypedStart{"11720V26000AB", expectedCalls(1, 10600, 1, 26000, 11720, 5)},
                                         TypedStart{"11955H2170A", expectedCalls(1, 10600, 0, 2170, 11955, 1)}));

TEST_F(StartTest, TheDefaultEntryStartsAsTyped)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    postKey(run.window, VK_RETURN);
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    EXPECT_EQ(expectedCalls(1, 10600, 0, 27500, 12245, 0), tuningCalls(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(StartTest, RejectedEntriesShowTheParametersErrorAndTuneNothing)
{
    AppRun& run = start();
    for (const char* entry : {"10699H27500", "15001H27500", "3740V999", "3740V29270AH", "4202H27500", "H", ""}) {
        startTypedEntry(run, entry);
        ASSERT_TRUE(boxShown(run, "Error", "Transponder parameters error")) << entry;
        settle(run);
        postCharacter(run.window, 'm');  // back to the list for the next round
    }
    EXPECT_TRUE(tuningCalls(run).empty());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(StartTest, AFailingTuningCallStopsThereAndEndsTheProgram)
{
    StartOptions options;
    options.scenario = "fail SetPolarity\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(boxShown(run, "Error", "Set polarity failed"));
    EXPECT_EQ(0, waitForExit(run));
    const std::vector<std::string> calls = tuningCalls(run);
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("SetPolarity 0 -> 0x80004005", calls[2]);
    EXPECT_EQ("Destroyed polls=0", logLines(run).back());
}

TEST_F(StartTest, EnterWhileMeasuringShowsTheAboutBoxOnly)
{
    AppRun& run = start();
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    postKey(run.window, VK_RETURN);
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(run, &box));
    EXPECT_EQ("About", box.caption);
    EXPECT_EQ(0u, box.text.find("Azimora 0.98.1 version. \r\n")) << box.text;
    EXPECT_GT(box.text.size(), std::string("Azimora 0.98.1 version. \r\n").size());
    dismissMessageBox(box);
    postClick(run.window, 270, 174);  // the right button is ABOUT too
    ASSERT_TRUE(waitForMessageBox(run, &box));
    EXPECT_EQ("About", box.caption);
    dismissMessageBox(box);
    settle(run, 200);
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(6u, tuningCalls(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
