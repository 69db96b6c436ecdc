#include "audio/audio_thread.h"

#include <mmsystem.h>

#include "app/app_state.h"
#include "app/late_libraries.h"
#include "app/resource_data.h"
#include "audio/audio_pass.h"

void loadSoundResources()
{
    char name[4] = "EN0";
    for (int digit = 0; digit < 10; ++digit) {
        name[2] = static_cast<char>('0' + digit);
        app.englishDigitSounds[digit] = loadResourceData(name);
    }
    name[0] = 'R';
    name[1] = 'U';
    for (int digit = 0; digit < 10; ++digit) {
        name[2] = static_cast<char>('0' + digit);
        app.russianDigitSounds[digit] = loadResourceData(name);
    }
    app.toneSound = loadResourceData("TONE");
}

static const uint8_t* soundFor(int32_t sound)
{
    if (sound == toneSoundId) return app.toneSound;
    if (sound >= englishDigitSound0 && sound < englishDigitSound0 + 10)
        return app.englishDigitSounds[sound - englishDigitSound0];
    if (sound >= russianDigitSound0 && sound < russianDigitSound0 + 10)
        return app.russianDigitSounds[sound - russianDigitSound0];
    return nullptr;
}

static void runStep(const AudioStep& step)
{
    switch (step.kind) {
    case PlaySoundStep:
        // Played in place and asynchronously: a new sound cuts the previous one.
        if (const uint8_t* sound = soundFor(step.value))
            playSound(reinterpret_cast<const char*>(sound), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
        break;
    case SleepMs: Sleep(static_cast<DWORD>(step.value)); break;
    case InvalidateBar: InvalidateRect(app.mainWindow, &app.entryRect, TRUE); break;
    }
}

DWORD WINAPI audioFeedbackThread(void*)
{
    while (app.monitorRunning.load(std::memory_order_acquire)) {
        const AudioPass pass = planAudioPass(
            app.signalQuality.load(std::memory_order_relaxed), app.soundMode.load(std::memory_order_relaxed),
            app.voiceLanguage.load(std::memory_order_relaxed), app.reportIntervalMs.load(std::memory_order_relaxed),
            app.qualityText.load(0), app.qualityText.load(1));
        for (int i = 0; i < pass.count; ++i) runStep(pass.steps[i]);
    }
    app.audioRunning.store(0, std::memory_order_release);
    return 0;
}
