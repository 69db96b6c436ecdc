#include <gtest/gtest.h>
#include <string>

#include "app/app_types.h"
#include "audio/audio_pass.h"

// The pass as text: "play 5, sleep 600, play 3, sleep 1200".
static std::string describe(const AudioPass& pass)
{
    std::string text;
    for (int i = 0; i < pass.count; ++i) {
        if (i) text += ", ";
        const AudioStep& step = pass.steps[i];
        switch (step.kind) {
        case PlaySoundStep: text += "play " + std::to_string(step.value); break;
        case SleepMs: text += "sleep " + std::to_string(step.value); break;
        case InvalidateBar: text += "invalidate " + std::to_string(step.value); break;
        default: text += "unknown"; break;
        }
    }
    return text;
}

static std::string plan(int32_t quality, int16_t mode, int16_t language, int32_t interval, const char* text)
{
    return describe(planAudioPass(quality, mode, language, interval, text[0], text[1]));
}

static int32_t sleptMs(const AudioPass& pass)
{
    int32_t total = 0;
    for (int i = 0; i < pass.count; ++i)
        if (pass.steps[i].kind == SleepMs) total += pass.steps[i].value;
    return total;
}

static const int16_t everyMode[] = {Tone, Voice, Silent, Muted, 4, -1};
static const int16_t everyLanguage[] = {English, Russian, 2, -1};

TEST(AudioPass, NoSignalOnlyKeepsTheSweepMoving)
{
    for (int32_t quality : {0, -1, INT32_MIN})
        for (int16_t mode : everyMode)
            for (int16_t language : everyLanguage)
                EXPECT_EQ(plan(quality, mode, language, 1200, "42%"), "sleep 25, invalidate 0")
                    << quality << " " << mode << " " << language;
}

TEST(AudioPass, ToneThenGapThenInterval)
{
    EXPECT_EQ(plan(42, Tone, English, 1200, "42%"), "play 0, sleep 400, sleep 1200");
    EXPECT_EQ(plan(1, Tone, Russian, 900, "01%"), "play 0, sleep 400, sleep 900");
    // The language and the text play no part in Tone mode.
    EXPECT_EQ(plan(99, Tone, 7, 900, "\0\0"), "play 0, sleep 400, sleep 900");
}

TEST(AudioPass, VoiceSpeaksBothDigitsFromTheChosenLanguage)
{
    EXPECT_EQ(plan(42, Voice, English, 1200, "42%"), "play 5, sleep 600, play 3, sleep 1200");
    EXPECT_EQ(plan(42, Voice, Russian, 1200, "42%"), "play 15, sleep 600, play 13, sleep 1200");
    // A leading zero is spoken too.
    EXPECT_EQ(plan(7, Voice, English, 900, "07%"), "play 1, sleep 600, play 8, sleep 900");
    EXPECT_EQ(plan(99, Voice, Russian, 900, "99%"), "play 20, sleep 600, play 20, sleep 900");
    // The text is spoken as read, even when it lags behind the quality.
    EXPECT_EQ(plan(55, Voice, English, 1200, "00%"), "play 1, sleep 600, play 1, sleep 1200");
}

TEST(AudioPass, EveryDigitHasItsOwnRecording)
{
    for (char digit = '0'; digit <= '9'; ++digit) {
        const char text[] = {digit, digit, '%', '\0'};
        const AudioPass english = planAudioPass(50, Voice, English, 900, text[0], text[1]);
        const AudioPass russian = planAudioPass(50, Voice, Russian, 900, text[0], text[1]);
        ASSERT_EQ(english.count, 4);
        ASSERT_EQ(russian.count, 4);
        EXPECT_EQ(english.steps[0].value, englishDigitSound0 + (digit - '0'));
        EXPECT_EQ(russian.steps[0].value, russianDigitSound0 + (digit - '0'));
        EXPECT_LT(russian.steps[0].value, soundCount);
    }
}

TEST(AudioPass, NonDigitsAreSkippedButThePauseStays)
{
    // A text caught between two of its character stores, or not yet written.
    EXPECT_EQ(plan(42, Voice, English, 1200, "%2"), "sleep 600, play 3, sleep 1200");
    EXPECT_EQ(plan(42, Voice, English, 1200, "4%"), "play 5, sleep 600, sleep 1200");
    EXPECT_EQ(plan(42, Voice, Russian, 900, "\0\0"), "sleep 600, sleep 900");
    // The characters either side of the digits.
    EXPECT_EQ(plan(42, Voice, Russian, 900, "/:"), "sleep 600, sleep 900");
}

TEST(AudioPass, UnknownLanguageOrQuietModesOnlyWait)
{
    EXPECT_EQ(plan(42, Voice, 2, 1200, "42%"), "sleep 1200");
    EXPECT_EQ(plan(42, Voice, -1, 900, "42%"), "sleep 900");
    EXPECT_EQ(plan(42, Silent, English, 1200, "42%"), "sleep 1200");
    EXPECT_EQ(plan(42, Muted, Russian, 900, "42%"), "sleep 900");
    EXPECT_EQ(plan(42, 4, English, 900, "42%"), "sleep 900");
    EXPECT_EQ(plan(42, -1, English, 900, "42%"), "sleep 900");
}

TEST(AudioPass, CadenceWhileThereIsSignal)
{
    const char* texts[] = {"42%", "07%", "%%", "\0\0"};
    for (int32_t interval : {1200, 900}) {
        for (int16_t language : {English, Russian}) {
            EXPECT_EQ(sleptMs(planAudioPass(42, Tone, language, interval, '4', '2')), 400 + interval);
            for (const char* text : texts)
                EXPECT_EQ(sleptMs(planAudioPass(42, Voice, language, interval, text[0], text[1])), 600 + interval)
                    << text << " " << language;
        }
    }
}
