#include "ui/input_rules.h"

#include "app/app_types.h"

KeyAction mainWindowKeyAction(unsigned virtualKey, int16_t appMode, int16_t entryMode)
{
    switch (virtualKey) {
    case keyBackspace: return appMode == Setup && entryMode == ManualEntry ? KeyEraseCharacter : KeyMiddleButton;
    case keyReturn: return KeyStartMeasurement;
    case keyEscape: return KeyCloseWindow;
    case keyDelete: return KeyClearEntry;
    }
    return KeyNothing;
}

ListKeyAction satelliteListKeyAction(unsigned virtualKey, int16_t appMode)
{
    if (virtualKey == keyEscape) return ListKeyCloseWindow;
    if (appMode != Setup) return ListKeyNothing;
    switch (virtualKey) {
    case keyM: return ListKeyLeftButton;
    case keyDown: return ListKeyDropDown;
    case keyReturn: return ListKeyStartMeasurement;
    }
    return ListKeyNothing;
}

char entryCharacterFor(unsigned character)
{
    if (character >= '0' && character <= '9') return static_cast<char>(character);
    switch (character) {
    case 'A':
    case 'a': return 'A';
    case 'B':
    case 'b': return 'B';
    case 'H':
    case 'h': return 'H';
    case 'V':
    case 'v': return 'V';
    }
    return 0;
}

int16_t soundModeAfterClick(int16_t soundMode)
{
    switch (soundMode) {
    case Tone: return Voice;
    case Voice: return Silent;
    case Silent: return Tone;
    }
    return soundMode;
}

int16_t voiceLanguageAfterClick(int16_t voiceLanguage)
{
    if (voiceLanguage == English) return Russian;
    if (voiceLanguage == Russian) return English;
    return voiceLanguage;
}

int32_t reportIntervalAfterClick(int32_t reportIntervalMs)
{
    if (reportIntervalMs == slowReportIntervalMs) return fastReportIntervalMs;
    if (reportIntervalMs == fastReportIntervalMs) return slowReportIntervalMs;
    return reportIntervalMs;
}

SoundSettings muteToggled(SoundSettings settings)
{
    if (settings.soundMode > Voice) return {settings.savedSoundMode, settings.savedSoundMode};
    return {Muted, settings.soundMode};
}

const CellRect* languageIcon(int16_t voiceLanguage)
{
    if (voiceLanguage == English) return &englishIcon;
    if (voiceLanguage == Russian) return &russianIcon;
    return nullptr;
}

const CellRect* soundModeIcon(int16_t soundMode)
{
    switch (soundMode) {
    case Tone: return &toneIcon;
    case Voice: return &voiceIcon;
    case Silent: return &silentIcon;
    }
    return nullptr;
}

KeypadCellPaint keypadCellPaint(bool lit, bool pointerInside)
{
    if (!lit) return {false, false, false};
    if (pointerInside) return {true, true, false};
    return {false, false, true};
}

static void addTest(HoverTest tests[], int& count, HoverButton button, const CellRect* lit, const CellRect* plain,
                    Point at, int keypadCell = -1)
{
    tests[count++] = HoverTest{button, keypadCell, lit, plain, at};
}

static void addButtonTest(HoverTest tests[], int& count, HoverButton button, const SkinCell& cell, Point at)
{
    addTest(tests, count, button, &cell.lit, &cell.plain, at);
}

int hoverTestsFor(int16_t appMode, int16_t entryMode, int16_t soundMode, int16_t voiceLanguage,
                  int32_t reportIntervalMs, HoverTest tests[maxHoverTests])
{
    int count = 0;
    addButtonTest(tests, count, HoverClose, closeFace, closeSlot);
    addButtonTest(tests, count, HoverMinimize, minimizeFace, minimizeSlot);
    addTest(tests, count, HoverLanguage, languageIcon(voiceLanguage), &blankSlot, languageSlot);
    addTest(tests, count, HoverSoundMode, soundModeIcon(soundMode), &blankSlot, soundModeSlot);
    addTest(tests, count, HoverHomeSite, &homeIcon, &blankSlot, homeSiteSlot);

    if (appMode == Setup) {
        addButtonTest(tests, count, HoverRightButton, findFace, rightButtonSlot);
        if (entryMode == CatalogueEntry) {
            addButtonTest(tests, count, HoverLeftButton, mode0Face, leftButtonSlot);
            addButtonTest(tests, count, HoverMiddleButton, editFace, middleButtonSlot);
        } else if (entryMode == ManualEntry) {
            addButtonTest(tests, count, HoverLeftButton, mode1Face, leftButtonSlot);
            addButtonTest(tests, count, HoverMiddleButton, helpFace, middleButtonSlot);
            for (int cell = 0; cell < keypadCellCount; ++cell)
                addTest(tests, count, HoverKeypadCell, nullptr, nullptr, Point{0, 0}, cell);
        }
    } else if (appMode == Measuring) {
        addButtonTest(tests, count, HoverMiddleButton, backFace, middleButtonSlot);
        if (reportIntervalMs == slowReportIntervalMs)
            addButtonTest(tests, count, HoverLeftButton, slowFace, measuringLeftButtonSlot);
        else if (reportIntervalMs == fastReportIntervalMs)
            addButtonTest(tests, count, HoverLeftButton, fastFace, measuringLeftButtonSlot);
        addButtonTest(tests, count, HoverRightButton, aboutFace, rightButtonSlot);
    }
    return count;
}
