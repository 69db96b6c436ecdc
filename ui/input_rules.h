// What the keys, characters, side buttons and hover tests mean in each mode.
// Platform-neutral: the window procedure asks these and carries them out.
#pragma once
#include <cstdint>

#include "ui/skin_layout.h"

constexpr unsigned keyBackspace = 8;
constexpr unsigned keyReturn = 13;
constexpr unsigned keyEscape = 27;
constexpr unsigned keyDown = 40;
constexpr unsigned keyDelete = 46;
constexpr unsigned keyM = 77;

enum KeyAction : uint8_t {
    KeyNothing,
    KeyEraseCharacter,
    KeyMiddleButton,
    KeyStartMeasurement,
    KeyCloseWindow,
    KeyClearEntry,
};

// A key pressed on the main window.
KeyAction mainWindowKeyAction(unsigned virtualKey, int16_t appMode, int16_t entryMode);

enum ListKeyAction : uint8_t {
    ListKeyNothing,
    ListKeyLeftButton,
    ListKeyDropDown,
    ListKeyStartMeasurement,
    ListKeyCloseWindow,
};

// A key pressed on the satellite list (before the list itself sees it).
ListKeyAction satelliteListKeyAction(unsigned virtualKey, int16_t appMode);

// The entry character a typed character stands for ("0".."9", "H", "V",
// "A", "B", lower case folded to upper case), or 0 for none.
char entryCharacterFor(unsigned character);

// "M" or "m" on the main window.
inline bool isModeCharacter(unsigned character) { return character == 'M' || character == 'm'; }

// Sound mode after a click on the sound-mode button: Tone, Voice, Silent,
// Tone again; inert while muted.
int16_t soundModeAfterClick(int16_t soundMode);
// Voice language after a click on the language button.
int16_t voiceLanguageAfterClick(int16_t voiceLanguage);
// The pace after the left button while measuring: slow and fast swap.
int32_t reportIntervalAfterClick(int32_t reportIntervalMs);

struct SoundSettings {
    int16_t soundMode;
    int16_t savedSoundMode;
};
// "M" while measuring: mutes, or restores the mode it muted. Silent counts
// as muted, so "M" there brings back the saved mode.
SoundSettings muteToggled(SoundSettings settings);

// The icon a lit side button shows for its setting; null when nothing is drawn.
const CellRect* languageIcon(int16_t voiceLanguage);
const CellRect* soundModeIcon(int16_t soundMode);

// How painting shows a keypad cell that is marked lit (`lit`) or not: it is
// inverted only while the last known pointer position lies inside it. A
// cell still marked lit with the pointer elsewhere (the pointer moved while
// the keypad was hidden) loses its mark and is painted whole once more, so
// that no part of it stays inverted where the paint was clipped.
struct KeypadCellPaint {
    bool invert;
    bool lit;
    bool repaintCell;
};
KeypadCellPaint keypadCellPaint(bool lit, bool pointerInside);

// One row of the hover tests that apply in the current modes.
enum HoverButton : uint8_t {
    HoverClose,
    HoverMinimize,
    HoverLanguage,
    HoverSoundMode,
    HoverHomeSite,
    HoverRightButton,
    HoverLeftButton,
    HoverMiddleButton,
    HoverKeypadCell,
};

struct HoverTest {
    HoverButton button;
    int keypadCell;         // for HoverKeypadCell
    const CellRect* lit;    // null: nothing drawn when lit (the flag is still set)
    const CellRect* plain;  // null for keypad cells, which are inverted instead
    Point at;
};

constexpr int maxHoverTests = 5 + 3 + keypadCellCount;

// The hover tests in the order they are made; returns how many.
int hoverTestsFor(int16_t appMode, int16_t entryMode, int16_t soundMode, int16_t voiceLanguage,
                  int32_t reportIntervalMs, HoverTest tests[maxHoverTests]);
