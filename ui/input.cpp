#include "ui/input.h"

#include "app/app_state.h"
#include "app/late_libraries.h"
#include "catalogue/measurement_start.h"
#include "ui/entry_editor.h"
#include "ui/input_rules.h"
#include "ui/painting.h"

static const char homePageAddress[] = "https://www.azimora.com/";

static constexpr int titleStripHeight = 24;
static constexpr int dragStripEnd = 270;

static void invalidateWindow() { InvalidateRect(app.mainWindow, nullptr, TRUE); }

static void storePointer(LPARAM position)
{
    app.pointerX = static_cast<int16_t>(LOWORD(position));
    app.pointerY = static_cast<int16_t>(HIWORD(position));
}

static bool pointerIn(HRGN region) { return region && PtInRegion(region, app.pointerX, app.pointerY); }

static void openWithShell(const char* file) { shellOpen(app.mainWindow, file, SW_SHOWNORMAL); }

static void showStartError() { MessageBoxA(app.mainWindow, "Transponder parameters error", "Error", MB_OK); }

// --- Hover --------------------------------------------------------------

static uint8_t* hoverFlag(const HoverTest& test)
{
    switch (test.button) {
    case HoverClose: return &app.closeHover;
    case HoverMinimize: return &app.minimizeHover;
    case HoverLanguage: return &app.languageHover;
    case HoverSoundMode: return &app.soundModeHover;
    case HoverHomeSite: return &app.homeSiteHover;
    case HoverRightButton: return &app.rightButtonHover;
    case HoverLeftButton: return &app.leftButtonHover;
    case HoverMiddleButton: return &app.middleButtonHover;
    case HoverKeypadCell: return &app.keypadHover[test.keypadCell];
    }
    return nullptr;
}

static HRGN hoverRegion(const HoverTest& test)
{
    switch (test.button) {
    case HoverClose: return app.closeRegion;
    case HoverMinimize: return app.minimizeRegion;
    case HoverLanguage: return app.languageRegion;
    case HoverSoundMode: return app.soundModeRegion;
    case HoverHomeSite: return app.homeSiteRegion;
    case HoverRightButton: return app.rightButtonRegion;
    case HoverLeftButton: return app.leftButtonRegion;
    case HoverMiddleButton: return app.middleButtonRegion;
    case HoverKeypadCell: return app.keypadRegions[test.keypadCell];
    }
    return nullptr;
}

// Draws only when the pointer enters or leaves a button.
static void trackHover(const HoverTest& test)
{
    uint8_t* flag = hoverFlag(test);
    HRGN region = hoverRegion(test);
    const bool inside = pointerIn(region);
    if (inside == (*flag != 0)) return;
    *flag = inside ? 1 : 0;
    if (test.button == HoverKeypadCell) {
        InvertRgn(app.windowDc, region);  // a second inversion restores the cell
        return;
    }
    const CellRect* picture = inside ? test.lit : test.plain;
    if (picture) drawSkinCell(*picture, test.at);
}

void onMouseMove(LPARAM position)
{
    storePointer(position);
    HoverTest tests[maxHoverTests];
    const int count = hoverTestsFor(app.appMode.load(), app.entryMode, app.soundMode.load(), app.voiceLanguage.load(),
                                    app.reportIntervalMs.load(), tests);
    for (int i = 0; i < count; ++i) trackHover(tests[i]);
}

// --- Buttons ------------------------------------------------------------

void leftButtonAction()
{
    const int16_t mode = app.appMode.load();
    if (mode == Setup && app.entryMode == CatalogueEntry) {
        app.entryMode = ManualEntry;
        ShowWindow(app.satelliteCombo, SW_HIDE);
        invalidateWindow();
        SetFocus(app.mainWindow);
        invalidateWindow();
    } else if (mode == Setup && app.entryMode == ManualEntry) {
        app.entryMode = CatalogueEntry;
        ShowWindow(app.satelliteCombo, SW_SHOWNORMAL);
        invalidateWindow();
        SetFocus(app.satelliteCombo);
        invalidateWindow();
    } else if (mode == Measuring) {
        app.reportIntervalMs.store(reportIntervalAfterClick(app.reportIntervalMs.load()));
        invalidateWindow();
    } else {
        invalidateWindow();
    }
}

static void middleButtonAction()
{
    const int16_t mode = app.appMode.load();
    if (mode == Setup && app.entryMode == CatalogueEntry) {
        // The list is built at start-up only, so edits show at the next start.
        openWithShell(".\\satellite.ini");
        DestroyWindow(app.mainWindow);
    } else if (mode == Setup && app.entryMode == ManualEntry) {
        openWithShell(".\\ReadMe.txt");
        invalidateWindow();
    } else if (mode == Measuring) {
        returnToSetup();
    } else {
        invalidateWindow();
    }
}

static void clickLanguageButton()
{
    const int16_t language = voiceLanguageAfterClick(app.voiceLanguage.load());
    if (language == app.voiceLanguage.load()) return;
    app.voiceLanguage.store(language);
    drawSkinCell(*languageIcon(language), languageSlot);
}

static void clickSoundModeButton()
{
    const int16_t mode = soundModeAfterClick(app.soundMode.load());
    if (mode == app.soundMode.load()) return;
    app.soundMode.store(mode);
    drawSkinCell(*soundModeIcon(mode), soundModeSlot);
}

static void clickTitleStrip()
{
    if (pointerIn(app.closeRegion)) {
        DestroyWindow(app.mainWindow);
    } else if (pointerIn(app.minimizeRegion)) {
        CloseWindow(app.mainWindow);
    } else if (app.pointerX < dragStripEnd) {
        // The system's own move loop runs until the button is released.
        SendMessageA(app.mainWindow, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
}

static void clickBody()
{
    for (int cell = 0; cell < keypadEraseCell; ++cell) {
        if (pointerIn(app.keypadRegions[cell])) {
            typeEntryCharacter(app.keypadChars[cell], true);
            return;
        }
    }
    if (pointerIn(app.keypadRegions[keypadEraseCell])) {
        if (app.appMode.load() == Setup && app.entryMode == ManualEntry) eraseEntryCharacter();
    } else if (pointerIn(app.keypadRegions[keypadClearCell])) {
        clearEntry();
    } else if (pointerIn(app.languageRegion)) {
        clickLanguageButton();
    } else if (pointerIn(app.soundModeRegion)) {
        clickSoundModeButton();
    } else if (pointerIn(app.homeSiteRegion)) {
        openWithShell(homePageAddress);
    } else if (pointerIn(app.leftButtonRegion)) {
        leftButtonAction();
    } else if (pointerIn(app.middleButtonRegion)) {
        middleButtonAction();
    } else if (pointerIn(app.rightButtonRegion)) {
        if (startMeasurement() > StartOk) showStartError();
    }
}

void onLeftButtonDown(LPARAM position)
{
    storePointer(position);
    if (app.pointerY < titleStripHeight) clickTitleStrip();
    else clickBody();
}

void onLeftButtonDoubleClick()
{
    if (app.appMode.load() != Measuring) return;
    app.bigReadout.store(!app.bigReadout.load());
    invalidateWindow();
}

// --- Keys ---------------------------------------------------------------

void onKeyDown(WPARAM virtualKey)
{
    switch (mainWindowKeyAction(static_cast<unsigned>(virtualKey), app.appMode.load(), app.entryMode)) {
    case KeyEraseCharacter: eraseEntryCharacter(); break;
    case KeyMiddleButton: middleButtonAction(); break;
    case KeyStartMeasurement:
        if (startMeasurement() == StartBadEntry) showStartError();
        break;
    case KeyCloseWindow: DestroyWindow(app.mainWindow); break;
    case KeyClearEntry: clearEntry(); break;
    case KeyNothing: break;
    }
}

void onCharacter(WPARAM character)
{
    const unsigned c = static_cast<unsigned>(character);
    if (char entryCharacter = entryCharacterFor(c)) {
        typeEntryCharacter(entryCharacter, true);
    } else if (isModeCharacter(c)) {
        const int16_t mode = app.appMode.load();
        if (mode == Setup) {
            leftButtonAction();
        } else if (mode == Measuring) {
            SoundSettings toggled = muteToggled({app.soundMode.load(), app.savedSoundMode});
            app.savedSoundMode = toggled.savedSoundMode;
            app.soundMode.store(toggled.soundMode);
        }
    }
}
