// How a known driver's figures read, as its source computes them: the
// scale of its older s/n (FE_READ_SNR) or of its v5 C/N, and of its
// strength (FE_READ_SIGNAL_STRENGTH, and what its v5 strength is), for one
// delivery system, with the limits where its own arithmetic stops. The
// table of known frontends (known_frontends.cpp) gives each driver's as
// data, with the function of its source beside it; this reads a value by
// them. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/signal_level.h"

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
    uint32_t capValue = 0;           // the value the driver holds at its ceiling (0: none)
    int32_t topTenths = 0x7fff;      // its ceiling: a C/N there or above reads "or more"
    int32_t bottomTenths = -0x7fff;  // its floor: a C/N there or below reads "or less"
    // SnrV5WholeRatio: the ratio rounded to the nearest whole one (else down).
    bool ratioRounded = false;
};

enum StrengthKind : uint8_t {
    StrengthRelative,   // the older strength is a relative 16-bit figure: a percentage
    StrengthTenthsDbm,  // 0.1 dBm = value x multiplier / divisor - offsetTenths, rounded to a tenth
    StrengthUnwrapped,  // cx24117: -100 x AGC + 94324 kept in 16 bits, wrapping at both ends
};
struct StrengthScale {
    StrengthKind kind = StrengthRelative;
    uint32_t multiplier = 1;
    uint32_t divisor = 1;
    int32_t offsetTenths = 0;
    // Where the driver's table stops, in whole dBm: a level past one reads
    // as it "or less" / "or more" (0 and 0: no limits), as does the value the
    // driver holds at its top (0: none).
    int16_t lowestDbm = 0;
    int16_t highestDbm = 0;
    uint16_t capValue = 0;
    // A stretch the driver's table reads as one value: levels read from
    // flatLowDbm to flatHighDbm stand for anything up to flatTopDbm (0: none).
    int16_t flatLowDbm = 0;
    int16_t flatHighDbm = 0;
    int16_t flatTopDbm = 0;
    bool onlyLocked = false;  // the driver gives 0 unless locked: no level then
    bool v5IsGain = false;    // the v5 strength is the tuner's own gain (ts2020), not dBm
    bool v5Ignored = false;   // the v5 strength is no level (tas2101 divides it by ten at each older read)
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
    bool atMost = false;   // the true C/N is at most this: the driver's floor
    bool below = false;    // the true C/N is below this: the driver gives none so low
    int32_t percent = 0;   // DecodedRelative
};

// The older s/n of a locked frontend by its scale; DecodedNone for an
// unknown unit.
DecodedSnr decodeOlderSnr(const SnrScale& scale, uint16_t value);
// The v5 C/N by its scale (SnrV5WholeRatio; any other kind takes the figure
// as it is): `present` is false where the driver gave none while locked.
DecodedSnr decodeV5Cnr(const SnrScale& scale, bool present, int64_t milliDb);
// The older strength as a level (its value, unit, bound and stretch); false
// where the value is none the driver's arithmetic gives (a cx24117 value
// that unwraps to no AGC).
bool decodeOlderStrength(const StrengthScale& scale, uint16_t value, SignalLevel* level);
// A level in dBm past the driver's limits, or in its flat stretch, said so.
void boundDbmLevel(const StrengthScale& scale, SignalLevel* level);

// The driver's ceiling, where it has one (else false).
bool ceilingOf(const SnrScale& scale, double* ceilingDb);
