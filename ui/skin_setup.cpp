#include "ui/skin_setup.h"

#include "app/app_state.h"
#include "image/skin_image.h"
#include "ui/skin_layout.h"

static HRGN rectangleRegion(const Bounds& b) { return CreateRectRgn(b.left, b.top, b.right, b.bottom); }
static HRGN ellipseRegion(const Bounds& b) { return CreateEllipticRgn(b.left, b.top, b.right, b.bottom); }
static RECT toRect(const Bounds& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

void createWindowShape()
{
    const Bounds& b = windowShapeBounds;
    app.windowRegion = CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, windowCornerEllipse, windowCornerEllipse);
    // From here on the region belongs to the window.
    SetWindowRgn(app.mainWindow, app.windowRegion, TRUE);
}

void createButtonRegions()
{
    app.closeRegion = rectangleRegion(closeBounds);
    app.minimizeRegion = rectangleRegion(minimizeBounds);
    app.leftButtonRegion = ellipseRegion(leftButtonBounds);
    app.middleButtonRegion = ellipseRegion(middleButtonBounds);
    app.rightButtonRegion = ellipseRegion(rightButtonBounds);
    app.languageRegion = rectangleRegion(languageBounds);
    app.soundModeRegion = rectangleRegion(soundModeBounds);
    app.homeSiteRegion = rectangleRegion(homeSiteBounds);
}

static HFONT createFont(LONG height, LONG width, LONG weight, BYTE italic, BYTE pitchAndFamily)
{
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = weight;
    font.lfItalic = italic;
    font.lfCharSet = ANSI_CHARSET;
    font.lfPitchAndFamily = pitchAndFamily;
    return CreateFontIndirectA(&font);
}

void createFonts()
{
    app.entryFont = createFont(26, 20, 700, 0, FIXED_PITCH);
    app.textFont = createFont(22, 8, 400, 1, 0);
    app.bigFont = createFont(100, 70, 700, 0, 0);
    app.previousFont = static_cast<HFONT>(SelectObject(app.windowDc, app.textFont));
}

void loadSkin() { app.skin.pixels = loadSkinImage("IMGRES", &app.skin.header); }

void createKeypadRegions()
{
    for (int cell = 0; cell < keypadCellCount; ++cell)
        app.keypadRegions[cell] = rectangleRegion(keypadCellBounds(cell));
}

void setLayoutRectangles()
{
    app.entryRect = toRect(entryBounds);
    app.promptRect = toRect(promptBounds);
    app.barRect = toRect(barBounds);
    app.bigReadoutRect = toRect(bigReadoutBounds);
    app.bigPanelRect = toRect(bigPanelBounds);
    app.snrRect = toRect(snrBounds);
}

void createDrawingObjects()
{
    app.redPen = CreatePen(PS_SOLID, 2, alertColour);
    app.previousPen = static_cast<HPEN>(SelectObject(app.windowDc, app.redPen));
    app.panelBrush = CreateSolidBrush(panelColour);
    app.barBrush = CreateSolidBrush(barColour);
    app.previousBrush = static_cast<HBRUSH>(SelectObject(app.windowDc, app.barBrush));
}
