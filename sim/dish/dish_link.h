// What a dish receives from a satellite it points near: the antenna's
// pattern and the link budget down to the carrier-to-noise ratio, and what
// a QPSK demodulator makes of that ratio. Platform-neutral.
#pragma once
#include <cstdint>

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

double carrierToNoiseDb(const LinkPath& path);

// The demodulator acquires at 4 dB and holds down to 3.5 dB.
constexpr double lockAcquireDb = 4.0;
constexpr double lockHoldDb = 3.5;
bool stillLocked(bool wasLocked, double carrierToNoise);
