// What the screen shows: the face, the faces of the buttons in each state and
// the readouts, compared with the skin picture the program is built with.
#include "tests/win/program_test.h"

namespace {

using SkinTest = ProgramTest;

TEST_F(SkinTest, FirstPaintShowsTheSetupFaceWithTheList)
{
    AppRun& run = start();
    EXPECT_TRUE(screenShowsCell(run, mode0Face.plain, leftButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, editFace.plain, middleButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, findFace.plain, rightButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, closeFace.plain, closeSlot));
    EXPECT_TRUE(screenShowsCell(run, minimizeFace.plain, minimizeSlot));
    EXPECT_TRUE(screenShowsCell(run, blankSlot, soundModeSlot));

    EXPECT_EQ(panelRgb, screenArea(run.window, 300, 140, 1, 1)[0]);
    EXPECT_EQ(panelRgb, screenArea(run.window, 45, 150, 1, 1)[0]);
    // The prompt is drawn in the ink colour inside its rectangle.
    EXPECT_GT(countColour(screenArea(run.window, 40, 40, 260, 40), inkRgb), 20);
    // The round-rectangle shape cuts the corners: the face is not there.
    const std::vector<uint32_t> corner = screenArea(run.window, 0, 0, 4, 4);
    EXPECT_NE(skinPixel(0, 0), corner[0]);
    EXPECT_NE(skinPixel(349, 199), screenArea(run.window, 349, 199, 1, 1)[0]);
    EXPECT_EQ(skinPixel(175, 3), screenArea(run.window, 175, 3, 1, 1)[0]);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(SkinTest, KeypadFaceShowsTheEntryBandAndCaptions)
{
    AppRun& run = start();
    postCharacter(run.window, 'm');
    settle(run);
    EXPECT_TRUE(screenShowsCell(run, mode1Face.plain, leftButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, helpFace.plain, middleButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, findFace.plain, rightButtonSlot));
    EXPECT_EQ(bandRgb, screenArea(run.window, 43, 87, 1, 1)[0]);
    EXPECT_EQ(bandRgb, screenArea(run.window, 305, 112, 1, 1)[0]);
    // The default entry is drawn in the band, the captions above the cells.
    EXPECT_GT(countColour(screenArea(run.window, 42, 86, 265, 28), inkRgb), 50);
    EXPECT_GT(countColour(screenArea(run.window, 40, 110, 275, 40), inkRgb), 50);
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(SkinTest, MeasuringShowsTheBarToItsQualityAndTheSlowOrFastFace)
{
    StartOptions options;
    options.scenario = "signal 0 lock 50 12.5\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    // Bar from x 42 to 173 for 50 %, over the full height of the band's middle.
    EXPECT_TRUE(waitForScreenColour(run.window, 173, 111, barRgb));
    EXPECT_EQ(barRgb, screenArea(run.window, 42, 88, 1, 1)[0]);
    EXPECT_EQ(bandRgb, screenArea(run.window, 174, 111, 1, 1)[0]);
    EXPECT_EQ(bandRgb, screenArea(run.window, 100, 87, 1, 1)[0]);
    EXPECT_EQ(bandRgb, screenArea(run.window, 100, 112, 1, 1)[0]);

    EXPECT_TRUE(screenShowsCell(run, slowFace.plain, measuringLeftButtonSlot));
    EXPECT_EQ(skinPixel(60, 160), screenArea(run.window, 60, 160, 1, 1)[0]);  // the slot's top row is the face
    EXPECT_TRUE(screenShowsCell(run, backFace.plain, middleButtonSlot));
    EXPECT_TRUE(screenShowsCell(run, aboutFace.plain, rightButtonSlot));
    // The s/n figure and the banner are drawn.
    EXPECT_GT(countColour(screenArea(run.window, 240, 130, 70, 20), inkRgb), 10);
    EXPECT_GT(countColour(screenArea(run.window, 40, 40, 200, 22), inkRgb), 10);

    postClick(run.window, 73, 174);  // left button: the faster pace, lit under the pointer
    settle(run);
    EXPECT_TRUE(screenShowsCell(run, fastFace.lit, measuringLeftButtonSlot));
    postMouseMove(run.window, 200, 60);
    settle(run);
    EXPECT_TRUE(screenShowsCell(run, fastFace.plain, measuringLeftButtonSlot));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(SkinTest, NoSignalShowsRedPercentAndTheSweepLine)
{
    StartOptions options;
    options.scenario = "signal 0 nolock\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    int redPercent = 0;
    for (int i = 0; i < 60 && redPercent <= 10; ++i, Sleep(50))
        redPercent = countColour(screenArea(run.window, 160, 87, 40, 24), alertRgb);
    EXPECT_GT(redPercent, 10);
    EXPECT_EQ(0, countColour(screenArea(run.window, 42, 88, 265, 24), barRgb));
    // The sweep line runs along the bottom of the band.
    int sweepSeen = 0;
    for (int i = 0; i < 20 && !sweepSeen; ++i, Sleep(50))
        sweepSeen = countColour(screenArea(run.window, 42, 112, 265, 2), alertRgb);
    EXPECT_GT(sweepSeen, 0);
    // No s/n figure without a reading.
    EXPECT_EQ(0, countColour(screenArea(run.window, 240, 130, 70, 20), inkRgb));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(SkinTest, BigReadoutCoversTheBar)
{
    StartOptions options;
    options.scenario = "signal 0 lock 50 12.5\n";
    AppRun& run = start(options);
    startTypedEntry(run, "12245H27500");
    ASSERT_TRUE(waitForScreenColour(run.window, 60, 111, barRgb));
    PostMessageA(run.window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 60));
    settle(run);
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, panelRgb));
    EXPECT_EQ(0, countColour(screenArea(run.window, 38, 82, 272, 68), barRgb));
    EXPECT_GT(countColour(screenArea(run.window, 65, 50, 210, 90), inkRgb), 500);
    PostMessageA(run.window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 60));
    settle(run);
    EXPECT_TRUE(waitForScreenColour(run.window, 60, 111, barRgb));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
