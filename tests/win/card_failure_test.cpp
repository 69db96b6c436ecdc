// A card that cannot be opened or tuned ends the program with its message.
#include "tests/win/program_test.h"

namespace {

struct OpeningFailure {
    const char* scenario;
    const char* message;  // null: no message at all
};

class CardOpeningTest : public ProgramTest, public testing::WithParamInterface<OpeningFailure> {};

TEST_P(CardOpeningTest, ShowsItsMessageOverThePaintedWindowAndExitsCleanly)
{
    StartOptions options;
    options.scenario = GetParam().scenario;
    options.waitForWindow = false;
    AppRun& run = start(options);
    if (GetParam().message) {
        ASSERT_TRUE(boxShown(run, "Error", GetParam().message));
    }
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_FALSE(anyMessageBox(run));
    const std::vector<std::string> log = logLines(run);
    ASSERT_FALSE(log.empty());
    if (std::string(GetParam().scenario) != "fail create") {
        EXPECT_EQ(0u, log.back().find("Destroyed"));
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, CardOpeningTest,
                         testing::Values(OpeningFailure{"fail create", "Cannot create filter graph manager"},
                                         OpeningFailure{"fail query", nullptr},
                                         // Handed out with a code other than S_OK: still released at the end.
                                         OpeningFailure{"odd query", nullptr},
                                         OpeningFailure{"fail Initialize", "Cannot initialize tuner control interface"},
                                         OpeningFailure{"fail SetFec", "Set fec failed"}));

using NoCardTest = ProgramTest;

TEST_F(NoCardTest, WithoutARegisteredCardTheProgramSaysSoAndEnds)
{
    ASSERT_TRUE(registerSimulatedCard(false));
    StartOptions options;
    options.waitForWindow = false;
    AppRun& run = start(options);
    const testing::AssertionResult shown = boxShown(run, "Error", "Cannot create filter graph manager");
    registerSimulatedCard(true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_EQ("", readFile(run.logPath));
}

}  // namespace
