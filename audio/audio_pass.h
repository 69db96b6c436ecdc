// What one pass of the audio feedback thread does, decided without touching
// the platform: the thread carries out the steps in order. Platform-neutral.
#pragma once
#include <cstdint>

// Not "PlaySound": that is a Win32 macro, and the thread includes windows.h.
enum AudioStepKind : uint8_t { PlaySoundStep = 0, SleepMs = 1, InvalidateBar = 2 };

struct AudioStep {
    AudioStepKind kind;
    int32_t value;  // PlaySoundStep: a sound id below; SleepMs: milliseconds; InvalidateBar: 0
};

// Sound ids: the tone, then the ten English digits and the ten Russian digits.
constexpr int32_t toneSoundId = 0;
constexpr int32_t englishDigitSound0 = 1;   // 1..10 for the digits 0..9
constexpr int32_t russianDigitSound0 = 11;  // 11..20
constexpr int32_t soundCount = 21;

// A Voice pass is the longest: digit, pause, digit, interval.
struct AudioPass {
    AudioStep steps[4];
    int count;
};

constexpr int32_t noSignalSleepMs = 25;
constexpr int32_t toneGapMs = 400;
constexpr int32_t digitGapMs = 600;

// c0 and c1 are the first two characters of the quality text, read once by
// the caller; soundMode and voiceLanguage take the SoundMode and
// VoiceLanguage values, any other value plays nothing.
AudioPass planAudioPass(int32_t signalQuality, int16_t soundMode, int16_t voiceLanguage, int32_t reportIntervalMs,
                        char c0, char c1);
