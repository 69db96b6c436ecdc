#include "tuner/monitor_thread.h"

#include "app/app_state.h"
#include "tuner/readout_text.h"

static void storeQualityText(const char text[4]) { app.qualityText.storeRun(0, text, 4); }
static void storeSnrDigits(const char digits[4]) { app.snrText.storeRun(4, digits, 4); }

static void takeReadings(TunerControl* tuner)
{
    tuner->RefreshSignalReadings();
    // The card writes the figures; a card that writes nothing leaves the last ones.
    LONG quality = app.signalQuality.load(std::memory_order_relaxed);
    tuner->GetSignalQuality(&quality);
    app.signalQuality.store(quality, std::memory_order_relaxed);
    float snr = app.snrValue.load(std::memory_order_relaxed);
    tuner->GetSignalNoiseRatio(&snr);
    app.snrValue.store(snr, std::memory_order_relaxed);

    char text[4];
    formatQualityText(quality, text);
    storeQualityText(text);
    char digits[4];
    formatSnrDigits(snr, digits);
    storeSnrDigits(digits);
}

static void showNoSignal()
{
    app.signalQuality.store(0, std::memory_order_relaxed);
    storeQualityText("00%");
    storeSnrDigits("--  ");
}

DWORD WINAPI signalMonitorThread(void*)
{
    TunerControl* tuner = app.tunerControl;
    while (app.appMode.load(std::memory_order_acquire) == Measuring) {
        if (SUCCEEDED(tuner->QuerySignalStatus())) takeReadings(tuner);
        else if (app.signalQuality.load(std::memory_order_relaxed) > 0) showNoSignal();

        const RECT* readout = app.bigReadout.load(std::memory_order_relaxed) ? &app.bigReadoutRect : &app.entryRect;
        InvalidateRect(app.mainWindow, readout, TRUE);
        InvalidateRect(app.mainWindow, &app.snrRect, TRUE);
    }
    showNoSignal();
    app.snrValue.store(0.0f, std::memory_order_relaxed);
    // Last store: whoever sees it clear may release the card or start anew.
    app.monitorRunning.store(0, std::memory_order_release);
    return 0;
}
