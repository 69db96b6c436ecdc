// The main window's procedure and its destroy handler.
#include <cstdlib>

#include "app/app_state.h"
#include "app/frame.h"
#include "tuner/tuner.h"
#include "ui/input.h"
#include "ui/painting.h"

static void deleteRegion(HRGN& region)
{
    if (region) {
        DeleteObject(region);
        region = nullptr;
    }
}

static void deleteFont(HFONT& font)
{
    if (font) {
        DeleteObject(font);
        font = nullptr;
    }
}

// Stops a running measurement and frees everything in a fixed order; the
// tuner goes only after the monitor thread has ended, so that thread never
// calls a released interface.
static void destroyWindowResources()
{
    const bool wasMonitoring = app.monitorRunning.load(std::memory_order_acquire) != 0;
    app.appMode.store(Setup);
    if (wasMonitoring) {
        do {
            Sleep(1000);
        } while (app.monitorRunning.load(std::memory_order_acquire));
    }

    for (HRGN& region : app.keypadRegions) deleteRegion(region);
    deleteRegion(app.languageRegion);
    deleteRegion(app.soundModeRegion);
    deleteRegion(app.homeSiteRegion);
    deleteRegion(app.leftButtonRegion);
    deleteRegion(app.middleButtonRegion);
    deleteRegion(app.rightButtonRegion);
    deleteRegion(app.minimizeRegion);

    if (app.windowDc && app.previousFont) SelectObject(app.windowDc, app.previousFont);
    deleteFont(app.bigFont);
    deleteFont(app.entryFont);
    deleteFont(app.textFont);
    deleteRegion(app.closeRegion);

    if (app.skin.pixels) {
        std::free(app.skin.pixels);
        app.skin.pixels = nullptr;
    }
    if (app.redPen) {
        SelectObject(app.windowDc, app.previousPen);
        DeleteObject(app.redPen);
        app.redPen = nullptr;
    }
    if (app.barBrush) {
        SelectObject(app.windowDc, app.previousBrush);
        DeleteObject(app.barBrush);
        app.barBrush = nullptr;
        if (app.panelBrush) DeleteObject(app.panelBrush);
        app.panelBrush = nullptr;
    }

    releaseTuner();
    if (app.windowDc) {
        ReleaseDC(app.mainWindow, app.windowDc);
        app.windowDc = nullptr;
    }
    CoUninitialize();
    PostQuitMessage(0);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: destroyWindowResources(); return 0;
    case WM_ACTIVATE:
        // Whichever way the activation goes, the list keeps the focus while it is shown.
        if (app.appMode.load() == Setup && app.entryMode == CatalogueEntry) SetFocus(app.satelliteCombo);
        return 0;
    case WM_PAINT: paintWindow(); return 0;
    case WM_KEYDOWN: onKeyDown(wParam); return 0;
    case WM_CHAR: onCharacter(wParam); return 0;
    case WM_MOUSEMOVE: onMouseMove(lParam); return 0;
    case WM_LBUTTONDOWN: onLeftButtonDown(lParam); return 0;
    case WM_LBUTTONDBLCLK: onLeftButtonDoubleClick(); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
