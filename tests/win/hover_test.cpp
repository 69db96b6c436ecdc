// Hover lighting and hover help, driven with real messages: a button or
// keypad cell drawn once as the pointer enters and once as it leaves, and
// the side buttons' tooltips.
#include "tests/win/input_support.h"

namespace {

using InputTest = ProgramTest;

TEST_F(InputTest, HoverDrawsOnceOnEnterAndOnceOnLeave)
{
    AppRun& run = start();
    move(run, leftButton);
    EXPECT_TRUE(screenShowsCell(run, mode0Face.lit, leftButtonSlot));
    blackOut(run, 36, 160, 74, 28);
    move(run, Point{leftButton.x + 3, leftButton.y + 2});  // within: nothing drawn
    EXPECT_TRUE(allBlack(run, 36, 160, 74, 28));
    move(run, outside);  // leave: the plain face
    EXPECT_TRUE(screenShowsCell(run, mode0Face.plain, leftButtonSlot, 0));
    blackOut(run, 36, 160, 74, 28);
    move(run, Point{outside.x + 5, outside.y});  // outside: nothing drawn
    EXPECT_TRUE(allBlack(run, 36, 160, 74, 28));

    move(run, Point{299, 15});
    EXPECT_TRUE(screenShowsCell(run, closeFace.lit, closeSlot));
    blackOut(run, 289, 6, 21, 18);
    move(run, Point{300, 16});
    EXPECT_TRUE(allBlack(run, 289, 6, 21, 18));
    move(run, outside);
    EXPECT_TRUE(screenShowsCell(run, closeFace.plain, closeSlot, 0));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(InputTest, KeypadHoverInvertsOneCellAndSurvivesARepaint)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    move(run, outside);
    const std::vector<uint32_t> plain = screenArea(run.window, 40, 130, 272, 20);
    move(run, keypadCell(3));
    const std::vector<uint32_t> lit = screenArea(run.window, 40, 130, 272, 20);
    EXPECT_NE(plain, lit);
    move(run, keypadCell(4));  // the old cell is restored, the new one inverted
    move(run, keypadCell(3));

    RedrawWindow(run.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    settle(run, 300);
    EXPECT_EQ(lit, screenArea(run.window, 40, 130, 272, 20));  // still lit after the repaint
    move(run, outside);
    EXPECT_EQ(plain, screenArea(run.window, 40, 130, 272, 20));  // and clean after leaving
    EXPECT_EQ(0, closeWithEscape(run));
}

// A cell lit under the pointer, then the pointer moves while the keypad is
// hidden: when the keypad comes back, no cell shows inverted.
TEST_F(InputTest, TheKeypadNeverComesBackLitWithThePointerElsewhere)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    move(run, outside);
    const std::vector<uint32_t> plain = screenArea(run.window, 40, 130, 272, 20);

    // Lit, Enter measures, the pointer leaves the keypad, Backspace stops.
    move(run, keypadCell(3));
    const std::vector<uint32_t> lit = screenArea(run.window, 40, 130, 272, 20);
    ASSERT_NE(plain, lit);
    postKey(run.window, VK_RETURN);
    ASSERT_TRUE(screenShowsCell(run, backFace.plain, middleButtonSlot));
    move(run, outside);
    postKey(run.window, VK_BACK);
    ASSERT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    settle(run, 300);
    EXPECT_EQ(plain, screenArea(run.window, 40, 130, 272, 20));
    move(run, keypadCell(3));  // lighting still works, once
    EXPECT_EQ(lit, screenArea(run.window, 40, 130, 272, 20));
    move(run, outside);
    EXPECT_EQ(plain, screenArea(run.window, 40, 130, 272, 20));

    // Lit, M shows the list, the pointer moves over the list, M again.
    move(run, keypadCell(3));
    postCharacter(run.window, 'm');
    ASSERT_TRUE(screenShowsCell(run, mode0Face.plain, leftButtonSlot));
    postMouseMove(satelliteList(run.window), 60, 10);
    settle(run);
    postCharacter(run.window, 'm');
    ASSERT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    settle(run, 300);
    EXPECT_EQ(plain, screenArea(run.window, 40, 130, 272, 20));
    move(run, keypadCell(3));
    EXPECT_EQ(lit, screenArea(run.window, 40, 130, 272, 20));
    EXPECT_EQ(0, closeWithEscape(run));
}

static std::string tooltipTextAt(const AppRun& run, Point at)
{
    RECT frame;
    GetWindowRect(run.window, &frame);
    SetCursorPos(frame.left + outside.x, frame.top + outside.y);
    Sleep(300);
    SetCursorPos(frame.left + at.x, frame.top + at.y);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 4000) {
        HWND tip = FindWindowA("tooltips_class32", nullptr);
        if (tip && IsWindowVisible(tip)) {
            wchar_t text[64] = L"";
            SendMessageW(tip, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
            char narrow[64];
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
            if (narrow[0]) return narrow;
        }
        Sleep(50);
    }
    return "";
}

TEST_F(InputTest, HoverHelpNamesTheSideButtons)
{
    AppRun& run = start();
    EXPECT_EQ("voice", tooltipTextAt(run, languageButton));
    EXPECT_EQ("tone or voice", tooltipTextAt(run, soundButton));
    EXPECT_EQ("tone or voice", tooltipTextAt(run, Point{15, 91}));  // just below the button
    EXPECT_EQ("home site", tooltipTextAt(run, homeButton));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
