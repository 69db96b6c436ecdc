// What a dish receives from a satellite it points near: the antenna's
// pattern and the link budget down to the carrier's power and the
// carrier-to-noise ratio, and what a demodulator makes of that ratio.
// Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/margin/modcod.h"

// Half-power beamwidth of a dish with a tapered feed, about 70 wavelengths
// per diameter.
double beamwidthDeg(double frequencyMHz, double diameterM);

// Peak gain of the dish, with an aperture efficiency of 0.6.
double dishGainDbi(double frequencyMHz, double diameterM);

// Gain `offAxisDeg` away from the axis relative to the peak (0 or less): an
// Airy main lobe and side lobes scaled to the beamwidth, nulls filled in by
// the dish's imperfections, and never below -10 dBi.
double relativeGainDb(double offAxisDeg, double frequencyMHz, double diameterM);

struct LinkPath {
    double frequencyMHz;  // downlink
    int32_t symbolRate;   // kS/s, the noise bandwidth in kHz
    double eirpDbw;       // the satellite's towards the site
    double rangeKm;
    double elevationDeg;
    double offAxisDeg;    // dish axis to satellite
    double skewErrorDeg;  // feed rotation still missing
    double diameterM;
};

bool isCBand(double frequencyMHz);
// Typical saturated transponder power: C band 40 dBW, Ku band 50 dBW.
double typicalEirpDbw(double frequencyMHz);
double freeSpaceLossDb(double frequencyMHz, double rangeKm);

// The first side lobe ends at the pattern's second null: past it a
// satellite adds nothing a tuner could hear.
double sideLobesEndDeg(double frequencyMHz, double diameterM);

// What reaches the LNB of the carrier's power, dBW: the satellite's,
// less the path, plus the dish's gain in that direction, less what a feed
// turned away from the polarization loses. `crossPolarized`: a carrier of
// the other polarization, which the feed keeps out by its discrimination
// unless it is turned towards it.
double carrierPowerDbw(const LinkPath& path, bool crossPolarized = false);
// The noise of sky, ground and LNB in `bandwidthMHz`, dBW at the LNB's input.
double noisePowerDbw(double frequencyMHz, double bandwidthMHz);
double carrierToNoiseDb(const LinkPath& path);

// Slow fading of a few tenths of a dB, as the troposphere moves.
double scintillationDb(uint32_t nowMs, double longitudeDeg);

// The demodulator acquires where the transponder's modulation and code
// rate can be received (the C/N they need, modcod.h) and holds the lock
// down to half a dB below; where they are unknown, at 4 dB, as QPSK
// demodulators have always locked.
constexpr double lockHoldMarginDb = 0.5;
double lockThresholdDb(const Modcod& modcod);
bool stillLocked(bool wasLocked, double carrierToNoise, double thresholdDb);
