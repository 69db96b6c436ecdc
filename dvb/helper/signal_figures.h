// How a driver's statistics become lock, C/N and quality, in whichever
// form the driver offers them. The v5 statistics say their scale; the older
// ones (FE_READ_SNR) do not, and drivers differ: most give tenths of a dB,
// some a 16-bit relative scale, some a negative figure that reads as a
// large unsigned one. The form is decided from the values seen while
// locked; where it cannot be, the quality is placed within the range seen
// since the tune, so that it still rises and falls with the dish. A driver
// whose v5 statistics carry a strength but no C/N (its tuner fills in the
// one, its demodulator only answers the older call) is read with the older
// calls too; with no s/n anywhere, the quality follows the strength within
// the range seen since the tune. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/signal_scale.h"

enum StatisticsForm : uint8_t {
    FormNone,           // no figure at all
    FormDecibel,        // v5 statistics, C/N in 0.001 dB
    FormRelative,       // v5 statistics, a relative C/N 0 .. 65535
    FormLegacyTenths,   // older statistics, tenths of a dB
    FormLegacyScale,    // older statistics, a 16-bit relative scale
    FormLegacyUnknown,  // older statistics of a unit that cannot be told
    FormStrengthOnly,   // no s/n at all: the strength in dBm stands for it
};

enum FigureScale : uint8_t { ScaleNone, ScaleDecibel, ScaleRelative };

// One reading as libdvbv5 hands it over.
struct RawFigures {
    bool locked = false;
    bool v5 = true;  // false: the library fell back to the older statistics
    FigureScale cnrScale = ScaleNone;
    int64_t cnr = 0;  // 0.001 dB, or the relative figure
    FigureScale strengthScale = ScaleNone;
    int64_t strength = 0;  // 0.001 dBm, or the relative figure
    // Where the v5 statistics carry no C/N while locked: the older calls
    // (FE_READ_SNR, FE_READ_SIGNAL_STRENGTH), when they answered.
    bool olderSnrRead = false;
    uint16_t olderSnr = 0;
    bool olderStrengthRead = false;
    uint16_t olderStrength = 0;
};

// The older C/N figures, and the strengths in dBm, seen while locked since
// the tune.
struct LegacyRange {
    bool seen = false;
    uint16_t lowest = 0;
    uint16_t highest = 0;
    bool strengthSeen = false;
    double weakestDbm = 0.0;
    double strongestDbm = 0.0;
};
// Below this spread the strengths seen are mostly the tuner's own wobble.
constexpr double smallestStrengthSpreadDb = 3.0;

struct FrontendFigures {
    TunerStatistics statistics;
    bool v5 = true;              // the driver's statistics are the v5 ones
    bool olderSnrGiven = false;  // the older statistics have an s/n figure
    StatisticsForm form = FormNone;
    bool hasStrengthDbm = false;
    double strengthDbm = 0.0;
};

// Takes one reading; `range` carries what the older statistics showed so far.
FrontendFigures figuresFrom(const RawFigures& raw, LegacyRange& range);

// The older statistics' form, from what was seen while locked.
StatisticsForm legacyForm(const LegacyRange& range);

// For --status: which form the driver offers, as far as one reading tells.
std::string formDescription(const FrontendFigures& figures);
