// The one process-wide state record. Every setting starts from its initial
// value at each start; nothing is read from or written to any store.
//
// Fields that the signal monitor and audio feedback threads touch are
// atomics with relaxed ordering where a stale value is harmless for one
// pass; the running flags use release/acquire so that whoever sees a flag
// clear also sees everything the thread did before clearing it.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "app/app_types.h"
#include "tuner/tuner_control.h"

// A short text written by a worker thread and read by the painter, one
// character at a time: a reader may see a mix of two readings, which the
// next pass repairs.
template <int N>
struct SharedText {
    std::atomic<char> chars[N];

    void store(int position, char c) { chars[position].store(c, std::memory_order_relaxed); }
    char load(int position) const { return chars[position].load(std::memory_order_relaxed); }
    void storeRun(int position, const char* text, int count)
    {
        for (int i = 0; i < count; ++i) store(position + i, text[i]);
    }
    void copyTo(char* out, int count) const
    {
        for (int i = 0; i < count; ++i) out[i] = load(i);
    }
};

struct SkinImage {
    BITMAPINFO header;
    uint8_t* pixels;
};

struct AppState {
    // Modes and settings
    std::atomic<int16_t> appMode{Setup};
    int16_t entryMode = CatalogueEntry;
    std::atomic<int16_t> soundMode{Tone};
    int16_t savedSoundMode = Tone;
    std::atomic<int16_t> voiceLanguage{English};
    std::atomic<int32_t> reportIntervalMs{slowReportIntervalMs};
    std::atomic<uint8_t> bigReadout{0};

    TuningParameters tuning;

    // Measurement readouts
    std::atomic<int32_t> signalQuality{0};
    std::atomic<float> snrValue{0.0f};
    SharedText<4> qualityText{{'0', '0', '%', '\0'}};
    SharedText<8> snrText{{'s', '/', 'n', ':', '-', '-', ' ', ' '}};
    char bannerText[32] = {};
    int16_t sweepX = 42;

    // Manual entry
    char entryText[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0, 0, 0};
    int16_t entryLength = 0;
    const char* keypadChars = "1234567890HVAB<C";

    // Thread flags
    std::atomic<uint8_t> monitorRunning{0};
    std::atomic<uint8_t> audioRunning{0};

    // Window and device objects held for the whole run
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HDC windowDc = nullptr;
    HWND satelliteCombo = nullptr;
    WNDPROC comboPreviousProc = nullptr;

    HRGN windowRegion = nullptr;
    HRGN closeRegion = nullptr;
    HRGN minimizeRegion = nullptr;
    HRGN leftButtonRegion = nullptr;
    HRGN middleButtonRegion = nullptr;
    HRGN rightButtonRegion = nullptr;
    HRGN languageRegion = nullptr;
    HRGN soundModeRegion = nullptr;
    HRGN homeSiteRegion = nullptr;
    HRGN keypadRegions[16] = {};

    HFONT entryFont = nullptr;
    HFONT textFont = nullptr;
    HFONT bigFont = nullptr;
    HFONT previousFont = nullptr;
    HPEN redPen = nullptr;
    HPEN previousPen = nullptr;
    HBRUSH panelBrush = nullptr;
    HBRUSH barBrush = nullptr;
    HBRUSH previousBrush = nullptr;

    RECT promptRect = {};
    RECT entryRect = {};
    RECT barRect = {};
    RECT bigReadoutRect = {};
    RECT bigPanelRect = {};
    RECT snrRect = {};

    SkinImage skin = {};

    // Pointer and hover state
    int16_t pointerX = 0;
    int16_t pointerY = 0;
    uint8_t closeHover = 0;
    uint8_t minimizeHover = 0;
    uint8_t languageHover = 0;
    uint8_t soundModeHover = 0;
    uint8_t homeSiteHover = 0;
    uint8_t leftButtonHover = 0;
    uint8_t middleButtonHover = 0;
    uint8_t rightButtonHover = 0;
    uint8_t keypadHover[16] = {};

    // The receiver card
    DeviceFilter* deviceFilter = nullptr;
    TunerControl* tunerControl = nullptr;

    // Built-in resources, used in place for the whole run
    const uint8_t* catalogueDefault = nullptr;
    const char* defaultEntry = nullptr;
    const uint8_t* toneSound = nullptr;
    const uint8_t* englishDigitSounds[10] = {};
    const uint8_t* russianDigitSounds[10] = {};
};

extern AppState app;
