// The paint handler composes the whole face on every paint and lets the
// update region keep only what was invalidated: there is no off-screen copy.
#include "ui/painting.h"

#include "app/app_state.h"
#include "ui/entry_editor.h"
#include "ui/input_rules.h"

void drawSkinCell(const CellRect& cell, int x, int y)
{
    StretchDIBits(app.windowDc, x, y, cell.width, cell.height, cell.x, cellSourceY(cell), cell.width, cell.height,
                  app.skin.pixels, &app.skin.header, DIB_RGB_COLORS, SRCCOPY);
}

static const CellRect& litOrPlain(const SkinCell& cell, uint8_t lit) { return lit ? cell.lit : cell.plain; }

static void drawShadowedText(int x, int y, const char* text, int length)
{
    SetTextColor(app.windowDc, highlightColour);
    TextOutA(app.windowDc, x, y, text, length);
    SetTextColor(app.windowDc, inkColour);
    TextOutA(app.windowDc, x + 1, y + 1, text, length);
}

static void drawPrompt(const char* prompt)
{
    DrawTextA(app.windowDc, prompt, -1, &app.promptRect, DT_CENTER | DT_WORDBREAK);
}

// A cell lit under the pointer is lit again, so the next move off it
// restores it instead of inverting a clean cell.
static void repaintKeypadHover(int cell)
{
    HRGN region = app.keypadRegions[cell];
    const bool pointerInside = region && PtInRegion(region, app.pointerX, app.pointerY);
    const KeypadCellPaint paint = keypadCellPaint(app.keypadHover[cell] != 0, pointerInside);
    app.keypadHover[cell] = paint.lit ? 1 : 0;
    if (paint.invert) InvertRgn(app.windowDc, region);
    if (paint.repaintCell) InvalidateRgn(app.mainWindow, region, TRUE);
}

static void paintSetup()
{
    drawSkinCell(litOrPlain(findFace, app.rightButtonHover), rightButtonSlot);
    if (app.entryMode == CatalogueEntry) {
        drawSkinCell(litOrPlain(mode0Face, app.leftButtonHover), leftButtonSlot);
        drawSkinCell(litOrPlain(editFace, app.middleButtonHover), middleButtonSlot);
        drawPrompt("Choose the satellite");
    } else if (app.entryMode == ManualEntry) {
        drawSkinCell(litOrPlain(mode1Face, app.leftButtonHover), leftButtonSlot);
        drawSkinCell(litOrPlain(helpFace, app.middleButtonHover), middleButtonSlot);
        drawPrompt("Input transponder parameters");
        for (int cell = 0; cell < keypadCellCount; ++cell) {
            Point at = keypadCaptionAt(cell);
            TextOutA(app.windowDc, at.x, at.y, app.keypadChars + cell, 1);
        }
        SetTextColor(app.windowDc, inkColour);
        SelectObject(app.windowDc, app.entryFont);
        drawEntryText(app.entryLength);
        for (int cell = 0; cell < keypadCellCount; ++cell) repaintKeypadHover(cell);
    }
}

static void paintMeasuring()
{
    const int32_t quality = app.signalQuality.load(std::memory_order_relaxed);
    if (quality == 0) {
        SetTextColor(app.windowDc, alertColour);
        MoveToEx(app.windowDc, sweepLineStart.x, sweepLineStart.y, nullptr);
        LineTo(app.windowDc, app.sweepX, sweepLineStart.y);
        app.sweepX = nextSweepX(app.sweepX);
    } else {
        app.barRect.right = barRightEdge(quality);
        FillRect(app.windowDc, &app.barRect, app.barBrush);
    }

    char qualityText[3];
    app.qualityText.copyTo(qualityText, 3);
    if (app.bigReadout.load(std::memory_order_relaxed)) {
        FillRect(app.windowDc, &app.bigPanelRect, app.panelBrush);
        SelectObject(app.windowDc, app.bigFont);
        DrawTextA(app.windowDc, qualityText, 2, &app.bigReadoutRect, DT_CENTER | DT_WORDBREAK);
        SelectObject(app.windowDc, app.textFont);
    } else {
        TextOutA(app.windowDc, smallPercentAt.x, smallPercentAt.y, qualityText, 3);
    }

    if (app.snrValue.load(std::memory_order_relaxed) > 0.0f) {
        char snrText[8];
        app.snrText.copyTo(snrText, 8);
        drawShadowedText(snrTextAt.x, snrTextAt.y, snrText, 8);
    }
    drawShadowedText(bannerAt.x, bannerAt.y, app.bannerText, 31);

    drawSkinCell(litOrPlain(backFace, app.middleButtonHover), middleButtonSlot);
    const int32_t interval = app.reportIntervalMs.load(std::memory_order_relaxed);
    if (interval == slowReportIntervalMs)
        drawSkinCell(litOrPlain(slowFace, app.leftButtonHover), measuringLeftButtonSlot);
    else if (interval == fastReportIntervalMs)
        drawSkinCell(litOrPlain(fastFace, app.leftButtonHover), measuringLeftButtonSlot);
    drawSkinCell(litOrPlain(aboutFace, app.rightButtonHover), rightButtonSlot);
}

void paintWindow()
{
    PAINTSTRUCT paint;
    BeginPaint(app.mainWindow, &paint);
    SelectObject(app.windowDc, app.textFont);
    SetTextColor(app.windowDc, inkColour);
    SetBkMode(app.windowDc, TRANSPARENT);

    drawSkinCell(windowFace, 0, 0);
    drawSkinCell(minimizeFace.plain, minimizeSlot);
    drawSkinCell(closeFace.plain, closeSlot);

    const int16_t mode = app.appMode.load(std::memory_order_relaxed);
    if (mode == Setup) paintSetup();
    else if (mode == Measuring) paintMeasuring();

    SetBkMode(app.windowDc, OPAQUE);
    EndPaint(app.mainWindow, &paint);
}
