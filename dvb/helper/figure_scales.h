// How a known driver's figures read, as its source computes them: the
// scale of its older s/n (FE_READ_SNR) or of its v5 C/N, and of its older
// strength (FE_READ_SIGNAL_STRENGTH), for one delivery system. The table of
// known frontends (known_frontends.cpp) gives each driver's as data, with
// the function of its source beside it; this reads a value by them.
// Platform-neutral.
#pragma once
#include <cstdint>

enum SnrKind : uint8_t {
    SnrOfUnknownUnit,    // not known: the rules for a unit that cannot be told (signal_figures.h)
    SnrTenthsScaled,     // the older s/n: C/N in 0.1 dB = value x multiplier / divisor - offsetTenths
    SnrRelative,         // the older s/n is a relative figure of no unit: a percentage, no C/N
    SnrStb0899Estimate,  // the older s/n: stb0899's DVB-S2 Es/N0, its tables' interpolation undone
    SnrV5WholeRatio,     // the v5 C/N: 10 log10 of a whole ratio, the driver's only steps
};

struct SnrScale {
    SnrKind kind = SnrOfUnknownUnit;
    uint32_t multiplier = 1;
    uint32_t divisor = 1;
    int32_t offsetTenths = 0;
    // In whole steps, each the lowest C/N it stands for: the true C/N is at
    // least the figure (up to the next step).
    bool roundsDown = false;
    uint16_t stepTenths = 1;  // its steps, where coarser than a tenth of a dB
    // Each whole dB is 10 log10 of a whole ratio rounded down: it stands for
    // the lowest whole ratio that reaches it (ds3000's 6 dB: 4:1, 6.02 dB).
    bool wholeRatio = false;
    // Past 16 bits the driver keeps the remainder (ds3000's 13 dB x 5240 =
    // 68120 reads 2584): a value off the steps is one that wrapped.
    bool wrapsAt16Bits = false;
    // A C/N below 0 dB comes as minus whole dB, unscaled (ds3000's DVB-S2).
    bool negativeWholeDb = false;
    uint32_t capValue = 0;       // the value the driver holds at its ceiling (0: none)
    int32_t topTenths = 0x7fff;  // its ceiling: a C/N there or above reads "or more"
    // SnrV5WholeRatio: the ratio rounded to the nearest whole one (else down).
    bool ratioRounded = false;
};

enum StrengthKind : uint8_t { StrengthRelative, StrengthTenthsDbm };
struct StrengthScale {
    StrengthKind kind = StrengthRelative;
    // StrengthTenthsDbm: 0.1 dBm = value x multiplier / divisor - offsetTenths.
    uint32_t multiplier = 1;
    uint32_t divisor = 1;
    int32_t offsetTenths = 0;
};

struct FigureScales {
    SnrScale snr;
    StrengthScale strength;
};

enum DecodedKind : uint8_t { DecodedNone, DecodedDecibels, DecodedRelative };
struct DecodedSnr {
    DecodedKind kind = DecodedNone;
    double carrierToNoiseDb = 0.0;
    bool atLeast = false;  // the true C/N is at least this: a step rounded down, or the ceiling
    bool below = false;    // the true C/N is below this: the driver gives none so low
    int32_t percent = 0;   // DecodedRelative
};

// The older s/n of a locked frontend by its scale; DecodedNone for an
// unknown unit.
DecodedSnr decodeOlderSnr(const SnrScale& scale, uint16_t value);
// The v5 C/N by its scale (SnrV5WholeRatio; any other kind takes the figure
// as it is): `present` is false where the driver gave none while locked.
DecodedSnr decodeV5Cnr(const SnrScale& scale, bool present, int64_t milliDb);
// The older strength in dBm; false for a relative one.
bool decodeStrengthDbm(const StrengthScale& scale, uint16_t value, double* dbm);

// The driver's ceiling, where it has one (else false).
bool ceilingOf(const SnrScale& scale, double* ceilingDb);
