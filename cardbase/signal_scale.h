// What a card reports: lock, a quality percentage and an s/n figure in dB
// (and beside them the level, signal_level.h), and how a tuner's own
// statistics become them. One scale serves every card, simulated or real,
// so the same dish sounds the same. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/signal_level.h"

// What a reading's s/n figure is: as the card says of all its readings (a
// card whose figures are of one kind, in its reading feed), a measured C/N
// in dB, a C/N in dB that the true one is at least (a driver that rounds
// down or stops at its ceiling) or at most (a driver that stops at its
// floor), or a figure derived from a quality or a strength, which no margin
// can rest on.
enum SnrUnit : uint8_t { SnrUnitOfCard, SnrUnitDecibel, SnrUnitDecibelOrMore, SnrUnitDerived, SnrUnitDecibelOrLess };

struct SignalReading {
    bool locked;
    int32_t quality;  // percent, 1 .. 99 while locked, 0 without lock
    float snr;        // dB
    SnrUnit unit = SnrUnitOfCard;
    // Without lock: how long the driver has been searching, holding the
    // frontend so that no reading came (0: none of that).
    uint32_t searchingMs = 0;
    // Beside them, for the phone page alone: the program is never told it.
    SignalLevel level{};
    // How often the card measures its figures, where the reading says (0:
    // as the card says of all its readings, in its reading feed).
    uint32_t refreshMs = 0;
};

// The quality scale: 4 dB C/N (where a QPSK demodulator locks) gives 10 %,
// 16 dB (a well-aligned dish in clear sky) 99 %, linear in between, so
// every tenth of a dB the dish gains is heard; kept within 1 .. 99, since a
// locked tuner always has some signal and the readout has two digits.
int32_t qualityFromCarrierToNoise(double carrierToNoiseDb);
// The C/N that the scale gives `qualityPercent` for (0 .. 100 taken).
double carrierToNoiseFromQuality(int32_t qualityPercent);

// What a tuner offers; any of the figures may be missing.
struct TunerStatistics {
    bool locked = false;
    bool hasCarrierToNoise = false;
    double carrierToNoiseDb = 0.0;  // a measured C/N in dB
    bool hasQuality = false;
    int32_t qualityPercent = 0;  // the tuner's own 0 .. 100 figure
    bool hasStrength = false;
    int32_t strengthPercent = 0;  // the tuner's 0 .. 100 signal strength
};

// Without lock nothing is reported. A measured C/N is the s/n figure and
// gives the quality on the scale above. Without one, the tuner's quality
// (or else its strength) stands for the percentage, and the s/n figure is
// the C/N that the scale gives for it. A lock without any figure reads as
// the lowest quality, 1 % at 2.8 dB.
SignalReading readingFromStatistics(const TunerStatistics& statistics);

// A 16-bit relative figure (0 .. 65535, as kernel frontends report signal
// and s/n without a unit) as a percentage.
int32_t percentOfRelative(uint32_t relative);
