// What keys, characters, side buttons and hover tests mean in each mode.
#include <gtest/gtest.h>

#include "app/app_types.h"
#include "ui/input_rules.h"

TEST(InputRules, MainWindowKeys)
{
    EXPECT_EQ(KeyEraseCharacter, mainWindowKeyAction(keyBackspace, AppMode::Setup, ManualEntry));
    EXPECT_EQ(KeyMiddleButton, mainWindowKeyAction(keyBackspace, AppMode::Setup, CatalogueEntry));
    EXPECT_EQ(KeyMiddleButton, mainWindowKeyAction(keyBackspace, AppMode::Measuring, ManualEntry));
    for (int16_t mode : {AppMode::Setup, AppMode::Measuring}) {
        for (int16_t entry : {CatalogueEntry, ManualEntry}) {
            EXPECT_EQ(KeyStartMeasurement, mainWindowKeyAction(keyReturn, mode, entry));
            EXPECT_EQ(KeyCloseWindow, mainWindowKeyAction(keyEscape, mode, entry));
            EXPECT_EQ(KeyClearEntry, mainWindowKeyAction(keyDelete, mode, entry));
            EXPECT_EQ(KeyNothing, mainWindowKeyAction(keyM, mode, entry));  // M comes as a character
            EXPECT_EQ(KeyNothing, mainWindowKeyAction(keyDown, mode, entry));
        }
    }
}

TEST(InputRules, SatelliteListKeysActOnlyInSetupExceptEscape)
{
    EXPECT_EQ(ListKeyLeftButton, satelliteListKeyAction(keyM, AppMode::Setup));
    EXPECT_EQ(ListKeyDropDown, satelliteListKeyAction(keyDown, AppMode::Setup));
    EXPECT_EQ(ListKeyStartMeasurement, satelliteListKeyAction(keyReturn, AppMode::Setup));
    EXPECT_EQ(ListKeyCloseWindow, satelliteListKeyAction(keyEscape, AppMode::Setup));
    EXPECT_EQ(ListKeyCloseWindow, satelliteListKeyAction(keyEscape, AppMode::Measuring));
    EXPECT_EQ(ListKeyNothing, satelliteListKeyAction(keyReturn, AppMode::Measuring));
    EXPECT_EQ(ListKeyNothing, satelliteListKeyAction(keyM, AppMode::Measuring));
    EXPECT_EQ(ListKeyNothing, satelliteListKeyAction(keyDelete, AppMode::Setup));
}

TEST(InputRules, EntryCharactersFoldToUpperCase)
{
    EXPECT_EQ('7', entryCharacterFor('7'));
    EXPECT_EQ('H', entryCharacterFor('h'));
    EXPECT_EQ('V', entryCharacterFor('v'));
    EXPECT_EQ('A', entryCharacterFor('a'));
    EXPECT_EQ('B', entryCharacterFor('B'));
    for (unsigned c : {unsigned('x'), unsigned('M'), unsigned('m'), unsigned(';'), unsigned(' '), unsigned('C'),
                       unsigned('<'), 0u, 0x100u + '1'})
        EXPECT_EQ(0, entryCharacterFor(c)) << c;
    EXPECT_TRUE(isModeCharacter('m'));
    EXPECT_TRUE(isModeCharacter('M'));
}

TEST(InputRules, SideButtonsCycleTheirSettings)
{
    EXPECT_EQ(Voice, soundModeAfterClick(Tone));
    EXPECT_EQ(Silent, soundModeAfterClick(Voice));
    EXPECT_EQ(Tone, soundModeAfterClick(Silent));
    EXPECT_EQ(Muted, soundModeAfterClick(Muted));
    EXPECT_EQ(Russian, voiceLanguageAfterClick(English));
    EXPECT_EQ(English, voiceLanguageAfterClick(Russian));
    EXPECT_EQ(7, voiceLanguageAfterClick(7));
    EXPECT_EQ(900, reportIntervalAfterClick(1200));
    EXPECT_EQ(1200, reportIntervalAfterClick(900));
    EXPECT_EQ(1000, reportIntervalAfterClick(1000));
}

TEST(InputRules, MuteTogglesAndRestores)
{
    SoundSettings muted = muteToggled({Voice, Tone});
    EXPECT_EQ(Muted, muted.soundMode);
    EXPECT_EQ(Voice, muted.savedSoundMode);
    SoundSettings restored = muteToggled(muted);
    EXPECT_EQ(Voice, restored.soundMode);
    // Silent counts as muted: M brings back the saved mode, Tone at first.
    EXPECT_EQ(Tone, muteToggled({Silent, Tone}).soundMode);
}

static int buttonsTested(int16_t appMode, int16_t entryMode, int32_t interval, HoverButton button)
{
    HoverTest tests[maxHoverTests];
    const int count = hoverTestsFor(appMode, entryMode, Tone, English, interval, tests);
    int found = 0;
    for (int i = 0; i < count; ++i) found += tests[i].button == button;
    return found;
}

TEST(InputRules, HoverTestsFollowTheModes)
{
    HoverTest tests[maxHoverTests];
    ASSERT_EQ(8, hoverTestsFor(AppMode::Setup, CatalogueEntry, Tone, English, 1200, tests));
    EXPECT_EQ(HoverClose, tests[0].button);
    EXPECT_EQ(HoverRightButton, tests[5].button);
    EXPECT_EQ(&findFace.lit, tests[5].lit);
    EXPECT_EQ(&mode0Face.plain, tests[6].plain);
    EXPECT_EQ(&editFace.lit, tests[7].lit);

    ASSERT_EQ(24, hoverTestsFor(AppMode::Setup, ManualEntry, Tone, English, 1200, tests));
    EXPECT_EQ(&mode1Face.lit, tests[6].lit);
    EXPECT_EQ(&helpFace.lit, tests[7].lit);
    EXPECT_EQ(HoverKeypadCell, tests[8].button);
    EXPECT_EQ(15, tests[23].keypadCell);

    ASSERT_EQ(8, hoverTestsFor(AppMode::Measuring, ManualEntry, Tone, English, 900, tests));
    EXPECT_EQ(&backFace.lit, tests[5].lit);
    EXPECT_EQ(&fastFace.lit, tests[6].lit);
    EXPECT_EQ(36, tests[6].at.x);
    EXPECT_EQ(161, tests[6].at.y);
    EXPECT_EQ(&aboutFace.plain, tests[7].plain);

    EXPECT_EQ(0, buttonsTested(AppMode::Measuring, CatalogueEntry, 1000, HoverLeftButton));
    EXPECT_EQ(0, buttonsTested(AppMode::Measuring, ManualEntry, 1200, HoverKeypadCell));
}

TEST(InputRules, SideButtonsLightWithTheirSetting)
{
    HoverTest tests[maxHoverTests];
    hoverTestsFor(AppMode::Setup, CatalogueEntry, Muted, Russian, 1200, tests);
    EXPECT_EQ(&russianIcon, tests[2].lit);
    EXPECT_EQ(nullptr, tests[3].lit);  // muted: the flag is set, nothing drawn
    EXPECT_EQ(&blankSlot, tests[3].plain);
    EXPECT_EQ(&homeIcon, tests[4].lit);
    EXPECT_EQ(&silentIcon, soundModeIcon(Silent));
    EXPECT_EQ(nullptr, languageIcon(2));
}
