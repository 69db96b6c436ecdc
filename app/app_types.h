// Small value types shared by every subsystem. Platform-neutral.
#pragma once
#include <cstdint>

enum AppMode : int16_t { Setup = 0, Measuring = 1 };
enum EntryMode : int16_t { CatalogueEntry = 0, ManualEntry = 1 };
enum SoundMode : int16_t { Tone = 0, Voice = 1, Silent = 2, Muted = 3 };
enum VoiceLanguage : int16_t { English = 0, Russian = 1 };
enum Polarization : int32_t { Horizontal = 0, Vertical = 1, NoPolarization = 3 };
enum DiseqcCode : int32_t {
    DiseqcNone = 0,
    DiseqcA = 1,
    DiseqcB = 2,
    DiseqcAA = 3,
    DiseqcBA = 4,
    DiseqcAB = 5,
    DiseqcBB = 6
};
enum StartResult : int16_t { StartOk = 0, StartBadEntry = 1, StartReported = 2 };

// The two paces of the audible report: the pause after each report.
constexpr int32_t slowReportIntervalMs = 1200;
constexpr int32_t fastReportIntervalMs = 900;

// The typed transponder: frequency, H or V, symbol rate, DiSEqC letters.
constexpr int typedEntryLength = 13;

struct TuningParameters {
    int32_t frequencyMHz = 11344;
    int32_t symbolRate = 27500;
    int32_t polarization = Horizontal;
    int32_t diseqcCode = DiseqcNone;
};
