// Faults of the card and malformed catalogues: a message or none, exit code
// 0, the card released, never a crash.
#include "tests/win/program_test.h"

namespace {

struct TuningFailure {
    const char* method;
    const char* message;
    size_t callsIssued;  // tuning calls made, the failing one included
};

class TuningFailureTest : public ProgramTest, public testing::WithParamInterface<TuningFailure> {};

TEST_P(TuningFailureTest, ShowsItsMessageStopsThereAndEndsCleanly)
{
    StartOptions options;
    options.scenario = std::string("fail ") + GetParam().method + "\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(boxShown(run, "Error", GetParam().message));
    EXPECT_EQ(0, waitForExit(run));
    const std::vector<std::string> calls = tuningCalls(run);
    ASSERT_EQ(GetParam().callsIssued, calls.size());
    EXPECT_EQ(0u, calls.back().find(GetParam().method));
    EXPECT_NE(std::string::npos, calls.back().find("-> 0x80004005"));
    // The monitor never ran, and the card was released.
    EXPECT_EQ("Destroyed polls=0", logLines(run).back());
}

INSTANTIATE_TEST_SUITE_P(EachCall, TuningFailureTest,
                         testing::Values(TuningFailure{"SetLnbSelection", "Set LNB selection failed", 1},
                                         TuningFailure{"SetLnbFrequency", "Set LNB frequency failed", 2},
                                         TuningFailure{"SetPolarity", "Set polarity failed", 3},
                                         TuningFailure{"SetSymbolRate", "Set symbol rate failed", 4},
                                         TuningFailure{"SetTransponderFrequency", "Set transponder frequency failed",
                                                       5},
                                         TuningFailure{"SetDiseqc", "Set DiSEqC failed", 6}));

using HardeningTest = ProgramTest;

TEST_F(HardeningTest, FailingReadingsAreNoSignalNotAFault)
{
    StartOptions options;
    options.scenario = "signal 0 lock 70 12\nfail QuerySignalStatus\nfail GetSignalQuality\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    settle(run, 1000);
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_TRUE(isRunning(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed"));
}

TEST_F(HardeningTest, ACardThatStopsAnsweringStillLetsTheProgramEnd)
{
    StartOptions options;
    options.scenario = "signal 0 lock 70 12\nlatency QuerySignalStatus 4000\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    Sleep(500);  // the monitor is inside a call that takes four seconds
    const DWORD closed = GetTickCount();
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waitForExit(run, 20000));
    EXPECT_LT(GetTickCount() - closed, 12000u);
    EXPECT_EQ(0u, logLines(run).back().find("Destroyed"));
}

struct MalformedCatalogue {
    const char* name;
    std::string bytes;
};

static std::string repeated(const std::string& piece, size_t times)
{
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

static std::string binaryGarbage(size_t size)
{
    std::string out(size, '\0');
    uint32_t x = 12345;
    for (char& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 23);
    }
    return out;
}

static std::vector<MalformedCatalogue> malformedCatalogues()
{
    return {
        {"empty", ""},
        {"binary", binaryGarbage(70000)},
        {"ten-megabytes", repeated("[Big satellite   13.0e]=11000h27500;\r\n", 10 * 1024 * 1024 / 38)},
        {"no-brackets", "AMC1 103.0w=3740v29270;\r\nAMC2 105.0w=11720v26000;\r\n"},
        {"long-names",
         "[" + std::string(1000, 'N') + "]=11000h27500;\r\n[" + std::string(1000, 'M') + "]=3700v4000;\r\n"},
        {"lf-only", "[AMC1   103.0w]=3740v29270;\n[AMC2   105.0w]=11720v26000;\n"},
        {"cr-only", "[AMC1   103.0w]=3740v29270;\r[AMC2   105.0w]=11720v26000;\r"},
        {"no-semicolons", "[A   1.0e]=11000h27500\r\n[B   2.0e]=11000h27500\r\n"},
        {"brackets-only", "]]]]][[[[[]]]]"},
    };
}

class MalformedCatalogueTest : public ProgramTest, public testing::WithParamInterface<size_t> {};

// Whether the program said why it cannot measure the line rather than tune
// it; the box, when one came, in `box`. Whichever comes first ends the wait.
static bool boxInsteadOfTuning(const AppRun& run, size_t callsBefore, MessageBoxSeen* box)
{
    for (const DWORD started = GetTickCount(); GetTickCount() - started < 5000; Sleep(20)) {
        if (waitForMessageBox(run, box, 0)) return true;
        if (tuningCalls(run).size() >= callsBefore + 6) return false;
    }
    return waitForMessageBox(run, box, 0);
}

TEST_P(MalformedCatalogueTest, GivesAWorkingProgramOrTheMessage)
{
    const MalformedCatalogue catalogue = malformedCatalogues()[GetParam()];
    const std::string folder = newProgramFolder(std::string("malformed-") + catalogue.name);
    writeFile(joinPath(folder, "satellite.ini"), catalogue.bytes);
    AppRun& run = startIn(folder);
    ASSERT_TRUE(run.window) << catalogue.name;
    HWND list = satelliteList(run.window);
    const LRESULT lines = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT line : {LRESULT(0), lines / 2, lines - 1}) {
        if (line < 0) continue;
        const size_t callsBefore = tuningCalls(run).size();
        startCatalogueLine(run, static_cast<int>(line));
        MessageBoxSeen box;
        if (boxInsteadOfTuning(run, callsBefore, &box)) {
            dismissMessageBox(box);
        } else {
            postKey(run.window, VK_BACK);  // it measured: stop again
        }
        settle(run);
        ASSERT_TRUE(isRunning(run)) << catalogue.name << " line " << line;
    }
    EXPECT_EQ(0, closeWithEscape(run)) << catalogue.name;
    EXPECT_EQ(catalogue.bytes.size(), readFile(joinPath(folder, "satellite.ini")).size());
}

INSTANTIATE_TEST_SUITE_P(Kinds, MalformedCatalogueTest, testing::Range(size_t(0), malformedCatalogues().size()));

}  // namespace
