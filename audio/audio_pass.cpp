#include "audio/audio_pass.h"

#include "app/app_types.h"

static void add(AudioPass& pass, AudioStepKind kind, int32_t value)
{
    pass.steps[pass.count++] = AudioStep{kind, value};
}

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

AudioPass planAudioPass(int32_t signalQuality, int16_t soundMode, int16_t voiceLanguage, int32_t reportIntervalMs,
                        char c0, char c1)
{
    AudioPass pass{};
    if (signalQuality <= 0) {
        // Nothing to hear: keep the no-signal sweep line of the bar moving.
        add(pass, SleepMs, noSignalSleepMs);
        add(pass, InvalidateBar, 0);
        return pass;
    }
    if (soundMode == Tone) {
        add(pass, PlaySoundStep, toneSoundId);
        add(pass, SleepMs, toneGapMs);
    } else if (soundMode == Voice && (voiceLanguage == English || voiceLanguage == Russian)) {
        const int32_t digit0 = voiceLanguage == English ? englishDigitSound0 : russianDigitSound0;
        // The pause comes even without a first digit, so the report keeps its pace.
        if (isDigit(c0)) add(pass, PlaySoundStep, digit0 + (c0 - '0'));
        add(pass, SleepMs, digitGapMs);
        if (isDigit(c1)) add(pass, PlaySoundStep, digit0 + (c1 - '0'));
    }
    add(pass, SleepMs, reportIntervalMs);
    return pass;
}
