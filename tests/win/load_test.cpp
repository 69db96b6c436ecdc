// Many start and stop cycles in a row through the real window: no thread
// left behind, no growth of handles or GDI objects, the catalogue untouched.
// AZM_LOAD_CYCLES sets how many (tools/scripts/soak.sh runs 500).
#include <cstdio>
#include <cstdlib>

#include "tests/win/program_test.h"

namespace {

using LoadTest = ProgramTest;

static std::vector<std::string> resourceLines(const AppRun& run)
{
    std::vector<std::string> lines;
    for (const std::string& line : logLines(run))
        if (line.compare(0, 10, "Resources ") == 0) lines.push_back(line);
    return lines;
}

static int cyclesAsked()
{
    char text[16];
    const DWORD length = GetEnvironmentVariableA("AZM_LOAD_CYCLES", text, sizeof text);
    const int asked = length > 0 && length < sizeof text ? std::atoi(text) : 0;
    return asked > 0 ? asked : 60;
}

static int lockedPolls(const AppRun& run)
{
    int count = 0;
    for (const std::string& line : logLines(run)) count += line == "QuerySignalStatus -> 0x00000000";
    return count;
}

TEST_F(LoadTest, StartsAndStopsLeaveNothingBehind)
{
    const int cycles = cyclesAsked();
    StartOptions options;
    // No lock at first, so that most stops are quick; every sixth cycle
    // waits for the lock, so the bar is drawn and the tone is played too.
    // From the second tune on a leak of anything per cycle, or per locked
    // cycle, adds more than the two allowed below.
    const int lockedEvery = 6;
    options.scenario = "resources\nsignal 0 nolock\nsignal 1000 lock 57 11.5\n";
    AppRun& run = start(options);
    const std::string catalogue = readFile(joinPath(run.folder, "satellite.ini"));
    SendMessageA(satelliteList(run.window), CB_SETCURSEL, 53, 0);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle % lockedEvery == 0) {
            const int before = lockedPolls(run);
            postKey(run.window, VK_RETURN);
            for (DWORD start = GetTickCount(); lockedPolls(run) == before && GetTickCount() - start < 10000;) Sleep(20);
            ASSERT_LT(before, lockedPolls(run)) << cycle;
            settle(run, 300);
        } else {
            postKey(run.window, VK_RETURN);
            settle(run, 20);
        }
        postKey(run.window, VK_BACK);
        settle(run);
        ASSERT_FALSE(anyMessageBox(run)) << cycle;
    }
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    ASSERT_TRUE(waitForTuningCalls(run, cycles * 6u));
    EXPECT_EQ(cycles * 6u, tuningCalls(run).size());

    // Both threads end by themselves after the last stop.
    const DWORD stopped = GetTickCount();
    while (workerThreads(run) > 0 && GetTickCount() - stopped < 5000) Sleep(50);
    EXPECT_EQ(0, workerThreads(run));

    const std::vector<std::string> resources = resourceLines(run);
    ASSERT_EQ(static_cast<size_t>(cycles), resources.size());
    std::printf("first tune: %s\nlast tune:  %s\n", resources[1].c_str(), resources.back().c_str());
    // From the second tune on (the first one comes before the sound system has started).
    unsigned handlesBefore = 0, gdiBefore = 0, handlesAfter = 0, gdiAfter = 0;
    ASSERT_EQ(2, std::sscanf(resources[1].c_str(), "Resources handles=%u gdi=%u", &handlesBefore, &gdiBefore));
    ASSERT_EQ(2, std::sscanf(resources.back().c_str(), "Resources handles=%u gdi=%u", &handlesAfter, &gdiAfter));
    EXPECT_LE(handlesAfter, handlesBefore + 2);
    EXPECT_LE(gdiAfter, gdiBefore + 2);
    EXPECT_EQ(catalogue, readFile(joinPath(run.folder, "satellite.ini")));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
