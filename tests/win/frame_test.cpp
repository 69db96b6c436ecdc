// The application frame: the window, start-up from elsewhere, the ways out.
#include "tests/win/program_test.h"

using FrameTest = ProgramTest;

TEST_F(FrameTest, MainWindowIsTheCentredSkinnedPopup)
{
    AppRun& run = start();
    ASSERT_TRUE(run.window);

    char text[64] = "";
    GetClassNameA(run.window, text, sizeof text);
    EXPECT_STREQ("dazm", text);
    GetWindowTextA(run.window, text, sizeof text);
    EXPECT_STREQ("AZM 0.98", text);
    EXPECT_EQ(0x2Bu, static_cast<unsigned>(GetClassLongA(run.window, GCL_STYLE)));

    const LONG style = GetWindowLongA(run.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    EXPECT_EQ(0, GetWindowLongA(run.window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);

    RECT frame;
    GetWindowRect(run.window, &frame);
    EXPECT_EQ(350, frame.right - frame.left);
    EXPECT_EQ(200, frame.bottom - frame.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - 175, frame.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - 100, frame.top);

    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(FrameTest, OpensTheCardAfterTheFirstPaintAndReleasesItOnClose)
{
    AppRun& run = start();
    ASSERT_TRUE(waitForLogLine(run, "SetFec 6 -> 0x00000000"));
    const std::vector<std::string> opening = logLines(run);
    ASSERT_GE(opening.size(), 4u);
    EXPECT_EQ("Create", opening[0]);
    EXPECT_EQ("QueryTuner", opening[1]);
    EXPECT_EQ("Initialize -> 0x00000000", opening[2]);
    EXPECT_EQ("SetFec 6 -> 0x00000000", opening[3]);

    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ("Destroyed polls=0", logLines(run).back());
}

TEST_F(FrameTest, EscapeOnTheSatelliteListEndsTheProgram)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    ASSERT_TRUE(list);
    EXPECT_EQ(list, focusedWindow(run));
    postKey(list, VK_ESCAPE);
    EXPECT_EQ(0, waitForExit(run));
}

TEST_F(FrameTest, CloseMessageEndsTheProgramWithExitCodeZero)
{
    AppRun& run = start();
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waitForExit(run));
}

TEST_F(FrameTest, WorksInItsOwnFolderWhenStartedFromElsewhere)
{
    const std::string elsewhere = newProgramFolder("elsewhere");
    DeleteFileA(joinPath(elsewhere, "Azimora.exe").c_str());
    const std::string own = newProgramFolder("own");
    StartOptions options;
    options.currentDirectory = elsewhere;
    AppRun& run = startIn(own, options);
    ASSERT_TRUE(run.window);
    EXPECT_TRUE(fileExists(joinPath(own, "satellite.ini")));
    EXPECT_FALSE(fileExists(joinPath(elsewhere, "satellite.ini")));
    EXPECT_EQ(100u, satelliteListLines(satelliteList(run.window)).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(FrameTest, DeactivationKeepsTheFocusOnTheSatelliteList)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    SendMessageA(run.window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(run.window, WM_ACTIVATE, WA_ACTIVE, 0);
    settle(run);
    EXPECT_EQ(list, focusedWindow(run));
    EXPECT_EQ(0, closeWithEscape(run));
}
