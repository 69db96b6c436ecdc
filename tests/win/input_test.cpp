// Every command of the window, driven with real messages: buttons, keys,
// keypad and side buttons (hover lighting and hover help: hover_test.cpp).
#include <cstring>

#include "tests/win/input_support.h"

namespace {

using InputTest = ProgramTest;

static void expectStartError(const AppRun& run)
{
    ASSERT_TRUE(boxShown(run, "Error", "Transponder parameters error"));
    settle(run);
}

TEST_F(InputTest, LeftButtonAndMSwitchBetweenListAndKeypad)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    click(run, leftButton);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(run.window, focusedWindow(run));
    move(run, outside);
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, helpFace.plain, middleButtonSlot));

    postCharacter(run.window, 'M');
    settle(run);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(list, focusedWindow(run));
    EXPECT_TRUE(screenShowsCell(run, mode0Face.plain, leftButtonSlot));

    postKey(list, 'M');  // M on the list
    settle(run);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    click(run, leftButton);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(list, focusedWindow(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, KeypadCellsAndKeysTypeEraseAndClear)
{
    AppRun& run = start();
    click(run, leftButton);
    clickCells(run, "C11720V26000AB9");  // the 9 does not fit: 13 characters at most
    postKey(run.window, VK_RETURN);
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 5 -> 0x00000000"));
    EXPECT_TRUE(waitForLogLine(run, "SetSymbolRate 26000 -> 0x00000000"));
    postKey(run.window, VK_BACK);  // stop
    settle(run);

    // Erase with the key and with the cell, then type on with keys.
    postKey(run.window, VK_BACK);
    settle(run);
    clickCells(run, "<");
    postText(run.window, "ba");
    postKey(run.window, VK_RETURN);
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 4 -> 0x00000000"));
    postKey(run.window, VK_BACK);
    settle(run);

    // Typed characters other than entry characters are ignored.
    clickCells(run, "C");
    postText(run.window, "x3;7 19h4167");
    postKey(run.window, VK_RETURN);
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetSymbolRate 4167 -> 0x00000000"));
    EXPECT_TRUE(waitForLogLine(run, "SetTransponderFrequency 3719 -> 0x00000000"));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, DeleteClearsTheEntryInEveryMode)
{
    AppRun& run = start();
    postKey(run.window, VK_DELETE);  // while the list is shown
    postCharacter(run.window, 'm');
    postKey(run.window, VK_RETURN);
    settle(run);
    expectStartError(run);

    postText(run.window, "12245H27500");
    postKey(run.window, VK_RETURN);  // measuring
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetTransponderFrequency 12245 -> 0x00000000"));
    postKey(run.window, VK_DELETE);
    click(run, keypadCell(14));  // the erase cell does nothing while measuring
    postKey(run.window, VK_BACK);
    postKey(run.window, VK_RETURN);
    settle(run);
    expectStartError(run);

    // The clear cell works even where the list covers the keypad.
    postText(run.window, "12245H27500");
    postCharacter(run.window, 'm');
    settle(run);
    click(run, keypadCell(15));
    postCharacter(run.window, 'm');
    postKey(run.window, VK_RETURN);
    settle(run);
    expectStartError(run);
    EXPECT_EQ(6u, tuningCalls(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, EveryStartAndStopPath)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    click(run, rightButton);  // FIND>
    ASSERT_TRUE(waitForLogLine(run, "SetTransponderFrequency 3740 -> 0x00000000"));
    EXPECT_FALSE(IsWindowVisible(list));
    move(run, outside);
    EXPECT_TRUE(screenShowsCell(run, backFace.plain, middleButtonSlot));
    click(run, middleButton);  // <BACK
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(list, focusedWindow(run));

    SendMessageA(list, CB_SETCURSEL, 1, 0);
    postKey(list, VK_RETURN);  // Enter on the list
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetTransponderFrequency 11720 -> 0x00000000"));
    postKey(run.window, VK_BACK);  // Backspace stops
    settle(run);
    EXPECT_TRUE(IsWindowVisible(list));

    SendMessageA(list, CB_SETCURSEL, 2, 0);
    postKey(run.window, VK_RETURN);  // Enter on the window
    settle(run);
    ASSERT_TRUE(waitForLogLine(run, "SetTransponderFrequency 3719 -> 0x00000000"));
    EXPECT_EQ(18u, tuningCalls(run).size());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, RightButtonEndsAtX304)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    settle(run);
    for (int x = 304; x <= 313; ++x) {
        move(run, Point{x, 174});
        EXPECT_TRUE(screenShowsCell(run, findFace.plain, rightButtonSlot, 0)) << x;
        click(run, Point{x, 174});
    }
    settle(run, 300);
    EXPECT_TRUE(tuningCalls(run).empty());
    EXPECT_FALSE(anyMessageBox(run));
    move(run, Point{300, 174});
    EXPECT_TRUE(screenShowsCell(run, findFace.lit, rightButtonSlot, 0));
    click(run, Point{300, 174});
    EXPECT_TRUE(waitForLogLine(run, "SetTransponderFrequency 12245 -> 0x00000000"));
    EXPECT_EQ(0, closeWithEscape(run));
}

static void realDrag(const AppRun& run, Point from, int dx, int dy)
{
    RECT frame;
    GetWindowRect(run.window, &frame);
    SetCursorPos(frame.left + from.x, frame.top + from.y);
    Sleep(100);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof input);
    Sleep(200);
    for (int i = 1; i <= 10; ++i) {
        SetCursorPos(frame.left + from.x + dx * i / 10, frame.top + from.y + dy * i / 10);
        Sleep(30);
    }
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    Sleep(300);
}

TEST_F(InputTest, TitleStripDragsLeftOf270AndHasDeadZones)
{
    AppRun& run = start();
    RECT before, after;
    GetWindowRect(run.window, &before);
    for (Point dead : {Point{283, 10}, Point{285, 10}, Point{288, 20}, Point{310, 10}, Point{330, 15}}) {
        realDrag(run, dead, 40, 30);
        GetWindowRect(run.window, &after);
        EXPECT_EQ(before.left, after.left) << dead.x;
        EXPECT_EQ(before.top, after.top) << dead.x;
        EXPECT_FALSE(IsIconic(run.window));
        EXPECT_TRUE(isRunning(run));
    }
    realDrag(run, Point{100, 10}, 40, 30);
    GetWindowRect(run.window, &after);
    EXPECT_EQ(before.left + 40, after.left);
    EXPECT_EQ(before.top + 30, after.top);

    click(run, Point{270, 15});  // minimize
    EXPECT_TRUE(IsIconic(run.window));
    ShowWindow(run.window, SW_RESTORE);
    settle(run, 200);
    click(run, Point{299, 15});  // close
    EXPECT_EQ(0, waitForExit(run));
}

TEST_F(InputTest, SoundModeCyclesAndIsInertWhileMuted)
{
    AppRun& run = start();
    move(run, soundButton);
    EXPECT_TRUE(screenShowsCell(run, toneIcon, soundModeSlot));
    click(run, soundButton);
    EXPECT_TRUE(screenShowsCell(run, voiceIcon, soundModeSlot));
    click(run, soundButton);
    EXPECT_TRUE(screenShowsCell(run, silentIcon, soundModeSlot));
    click(run, soundButton);
    EXPECT_TRUE(screenShowsCell(run, toneIcon, soundModeSlot));
    click(run, soundButton);  // Voice
    move(run, outside);
    EXPECT_TRUE(screenShowsCell(run, blankSlot, soundModeSlot));

    startTypedEntry(run, "12245H27500");
    postCharacter(run.window, 'm');  // mute
    settle(run);
    move(run, soundButton);  // muted: nothing is drawn when it lights
    EXPECT_TRUE(screenShowsCell(run, blankSlot, soundModeSlot));
    click(run, soundButton);  // inert
    EXPECT_TRUE(screenShowsCell(run, blankSlot, soundModeSlot));
    move(run, outside);
    postCharacter(run.window, 'M');  // restore: Voice, not advanced
    settle(run);
    move(run, soundButton);
    EXPECT_TRUE(screenShowsCell(run, voiceIcon, soundModeSlot));
    EXPECT_EQ(0, closeWithEscape(run));
}

// As the user guide says: Silent is sound off too, so M brings back the mode
// that M last muted (Tone before it ever did).
TEST_F(InputTest, MWhileMeasuringTurnsSilentIntoTheModeItLastMuted)
{
    AppRun& run = start();
    click(run, soundButton);
    click(run, soundButton);  // Silent
    startTypedEntry(run, "12245H27500");
    const auto showsAfterM = [&](const CellRect& icon) {
        move(run, outside);
        postCharacter(run.window, 'm');
        settle(run);
        move(run, soundButton);
        return screenShowsCell(run, icon, soundModeSlot);
    };
    EXPECT_TRUE(showsAfterM(toneIcon));
    click(run, soundButton);              // Voice
    EXPECT_TRUE(showsAfterM(blankSlot));  // muted: nothing to show
    EXPECT_TRUE(showsAfterM(voiceIcon));
    click(run, soundButton);  // Silent
    EXPECT_TRUE(screenShowsCell(run, silentIcon, soundModeSlot));
    EXPECT_TRUE(showsAfterM(voiceIcon));
    EXPECT_EQ(0, closeWithEscape(run));
}

// With the satellite list shown the list has the keyboard: Backspace and
// Delete reach it and do nothing there (the typed entry stays).
TEST_F(InputTest, TheListKeepsTheKeyboardAndIgnoresBackspaceAndDelete)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    EXPECT_EQ(list, focusedWindow(run));
    postKey(list, VK_BACK);
    postKey(list, VK_DELETE);
    settle(run, 300);
    EXPECT_TRUE(isRunning(run));
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(list, focusedWindow(run));
    EXPECT_TRUE(screenShowsCell(run, mode0Face.plain, leftButtonSlot));
    postCharacter(run.window, 'm');
    postKey(run.window, VK_RETURN);  // the default entry is still there
    EXPECT_TRUE(waitForLogLine(run, "SetTransponderFrequency 12245 -> 0x00000000"));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, LanguageButtonSwapsTheVoice)
{
    AppRun& run = start();
    move(run, languageButton);
    EXPECT_TRUE(screenShowsCell(run, englishIcon, languageSlot));
    click(run, languageButton);
    EXPECT_TRUE(screenShowsCell(run, russianIcon, languageSlot));
    move(run, outside);
    move(run, languageButton);
    EXPECT_TRUE(screenShowsCell(run, russianIcon, languageSlot));
    click(run, languageButton);
    EXPECT_TRUE(screenShowsCell(run, englishIcon, languageSlot));
    move(run, homeButton);
    EXPECT_TRUE(screenShowsCell(run, blankSlot, languageSlot));
    EXPECT_TRUE(screenShowsCell(run, homeIcon, homeSiteSlot));
    EXPECT_EQ(0, closeWithEscape(run));
}

static void closeEditorWindows()
{
    for (int i = 0; i < 20; ++i) {
        HWND editor = FindWindowA("Notepad", nullptr);
        if (!editor) return;
        PostMessageA(editor, WM_CLOSE, 0, 0);
        Sleep(200);
    }
}

// True once an editor shows the named file (its title first says "Untitled").
static bool editorOpens(const char* file)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        HWND editor = FindWindowA("Notepad", nullptr);
        char title[200] = "";
        if (editor && GetWindowTextA(editor, title, sizeof title) > 0 && std::strstr(title, file)) return true;
        Sleep(100);
    }
    return false;
}

TEST_F(InputTest, HelpOpensTheReadMeAndEditOpensTheCatalogueAndEnds)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    click(run, middleButton);  // HELP
    EXPECT_TRUE(editorOpens("ReadMe.txt"));
    closeEditorWindows();
    EXPECT_TRUE(isRunning(run));

    postCharacter(run.window, 'm');
    click(run, middleButton);  // EDIT
    EXPECT_EQ(0, waitForExit(run));
    EXPECT_TRUE(editorOpens("satellite.ini"));
    closeEditorWindows();
}

TEST_F(InputTest, DoubleClickTogglesTheBigReadoutOnlyWhileMeasuring)
{
    StartOptions options;
    options.scenario = "signal 0 lock 50 12.5\n";
    AppRun& run = start(options);
    postCharacter(run.window, 'm');
    settle(run);
    const std::vector<uint32_t> setup = screenArea(run.window, 38, 82, 272, 68);
    PostMessageA(run.window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 60));
    settle(run, 300);
    EXPECT_EQ(setup, screenArea(run.window, 38, 82, 272, 68));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
