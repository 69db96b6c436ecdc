// How a driver's statistics become lock, C/N and quality, in whichever
// form the driver offers them. The v5 statistics say their scale; the older
// ones (FE_READ_SNR, FE_READ_SIGNAL_STRENGTH) do not, and drivers differ. A
// known driver's are read by its own scale (figure_scales.h, from the table
// of known frontends): a C/N in dB where its source computes one, with "or
// more" where the driver rounds down or stops at a ceiling. An unknown
// driver's form is told from the values seen while locked: tenths of a dB,
// a 16-bit relative scale, or a negative figure of no known unit; a figure
// of no known unit, like a strength in dBm standing in for a missing s/n,
// is placed on a fixed range for its kind and smoothed over about a second,
// so that it follows the dish without jumps, and gives no margin. A driver
// whose v5 statistics carry a strength but no C/N (its tuner fills in the
// one, its demodulator only answers the older call) is read with the older
// calls too. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/signal_scale.h"
#include "dvb/helper/frontend/figure_scales.h"

enum StatisticsForm : uint8_t {
    FormNone,            // no figure at all
    FormDecibel,         // v5 statistics, C/N in 0.001 dB
    FormRelative,        // v5 statistics, a relative C/N 0 .. 65535
    FormLegacyTenths,    // older statistics, tenths of a dB
    FormLegacyScale,     // older statistics, a 16-bit relative scale
    FormLegacyNegative,  // older statistics, a negative figure of no known unit
    FormStrengthOnly,    // no s/n at all: the strength in dBm stands for it
    FormDriverDecibel,   // older statistics, a C/N by the driver's own scale
    FormDriverRelative,  // older statistics, the driver's own relative figure
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

// What the figures showed since the tune: the older s/n's values and
// the latest second of a figure of no known unit, to smooth it.
struct FigureMemory {
    bool seen = false;
    uint16_t lowest = 0;
    uint16_t highest = 0;
    static constexpr int held = 16;
    struct Placed {
        uint64_t atMs;
        double percent;
    };
    Placed recent[held] = {};
    int count = 0;
    StatisticsForm smoothedForm = FormNone;
};

// The fixed ranges of the figures of no known unit: a negative older s/n
// from -100 (10 %) to 0 (99 %), a strength from -80 dBm to -20 dBm.
constexpr double negativeFigureLowest = -100.0;
constexpr double negativeFigureHighest = 0.0;
constexpr double strengthLowestDbm = -80.0;
constexpr double strengthHighestDbm = -20.0;
constexpr uint32_t smoothingMs = 1000;

struct FrontendFigures {
    TunerStatistics statistics;
    bool v5 = true;              // the driver's statistics are the v5 ones
    bool olderSnrGiven = false;  // the older statistics have an s/n figure
    StatisticsForm form = FormNone;
    // The true C/N is at least the figure (the driver rounds down, or
    // stops at its ceiling), at most it (its floor), or below it (the
    // driver gives none so low).
    bool carrierToNoiseAtLeast = false;
    bool carrierToNoiseAtMost = false;
    bool carrierToNoiseBelow = false;
    double carrierToNoiseStepDb = 0.0;  // the driver's own step, where coarse (ds3000: 1 dB)
    // The strength in the driver's own units (strengthLevel), live or unknown.
    SignalLevel strength;
    bool hasStrengthDbm = false;
    double strengthDbm = 0.0;
};

// The strength of one reading by the driver's own decoding, the same for
// the status, the level before the lock and every step of a sweep: v5 dBm
// (or the tuner's gain, where the driver's v5 strength is one), else the
// older figure by its scale; LevelLive with a value, else LevelUnknown.
SignalLevel strengthLevel(const StrengthScale& scale, const RawFigures& raw);
// "-56.6 dBm", "-60 to -70 dBm", "-30.0 dBm or more", "-45.0 dB (the
// tuner's gain, not dBm)", "40 %".
std::string strengthText(const SignalLevel& level);

// Takes one reading at `nowMs`; `scales` are the driver's for the system
// it was tuned to (an unknown driver's say so), `memory` what the figures
// showed since the tune.
FrontendFigures figuresFrom(const RawFigures& raw, FigureMemory& memory, const FigureScales& scales, uint64_t nowMs);

// For --status: which form the driver offers, as far as one reading tells.
std::string formDescription(const FrontendFigures& figures);
// "12.3 dB", "14.1 dB or more", "0.0 dB or less", "below 3.0 dB", "12.0 dB
// or more (in the driver's whole-dB steps)".
std::string carrierToNoiseText(const FrontendFigures& figures);
