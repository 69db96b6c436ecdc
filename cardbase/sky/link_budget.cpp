#include "cardbase/sky/link_budget.h"

#include <cmath>

static const double pi = 3.14159265358979323846;
static const double lightSpeed = 299792458.0;
static const double boltzmannDbw = -228.6;  // dBW per kelvin per hertz
static const double apertureEfficiency = 0.6;
static const double airyHalfPower = 1.616340;  // 2 J1(x)/x squared is one half here
static const double filledNullDb = -30.0;
static const double farSideLobeDbi = -10.0;
static const double crossPolarDiscriminationDb = 30.0;

static double wavelengthM(double frequencyMHz) { return lightSpeed / (frequencyMHz * 1e6); }
static double toDb(double ratio) { return 10.0 * std::log10(ratio); }

double beamwidthDeg(double frequencyMHz, double diameterM) { return 70.0 * wavelengthM(frequencyMHz) / diameterM; }

double dishGainDbi(double frequencyMHz, double diameterM)
{
    const double aperture = pi * diameterM / wavelengthM(frequencyMHz);
    return toDb(apertureEfficiency * aperture * aperture);
}

double relativeGainDb(double offAxisDeg, double frequencyMHz, double diameterM)
{
    const double x = airyHalfPower * std::fabs(offAxisDeg) / (beamwidthDeg(frequencyMHz, diameterM) / 2.0);
    const double amplitude = x < 1e-9 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x;
    const double pattern = toDb(amplitude * amplitude + std::pow(10.0, filledNullDb / 10.0));
    const double floor = farSideLobeDbi - dishGainDbi(frequencyMHz, diameterM);
    return std::fmin(0.0, std::fmax(pattern, floor));
}

bool isCBand(double frequencyMHz) { return frequencyMHz < 4201; }
double typicalEirpDbw(double frequencyMHz) { return isCBand(frequencyMHz) ? 40.0 : 50.0; }

// LNB noise and the warm ground the feed sees past the rim: about 65 K for
// a C-band LNB, 120 K for a universal Ku LNB.
// Clear-sky system noise temperature of dish and LNB.
static double systemNoiseKelvin(double frequencyMHz) { return isCBand(frequencyMHz) ? 65.0 : 120.0; }

double freeSpaceLossDb(double frequencyMHz, double rangeKm)
{
    return 20.0 * std::log10(4.0 * pi * rangeKm * 1000.0 / wavelengthM(frequencyMHz));
}

// Oxygen and water vapour along the path, growing as the path gets lower.
static double atmosphereLossDb(double frequencyMHz, double elevationDeg)
{
    const double zenith = isCBand(frequencyMHz) ? 0.05 : 0.2;
    return zenith / std::sin(std::fmax(elevationDeg, 3.0) * pi / 180.0);
}

static double polarizationLossDb(double skewErrorDeg)
{
    const double coupling = std::fabs(std::cos(skewErrorDeg * pi / 180.0));
    return std::fmin(-20.0 * std::log10(std::fmax(coupling, 1e-9)), crossPolarDiscriminationDb);
}

// The other polarization comes in as far as the feed is turned towards it,
// and never less than the discrimination lets through.
static double crossPolarizationLossDb(double skewErrorDeg)
{
    const double coupling = std::sin(skewErrorDeg * pi / 180.0);
    return -toDb(coupling * coupling + std::pow(10.0, -crossPolarDiscriminationDb / 10.0));
}

// The pattern's second null, in the units relativeGainDb measures from the axis.
static const double airySecondNull = 7.015587;

double sideLobesEndDeg(double frequencyMHz, double diameterM)
{
    return airySecondNull / airyHalfPower * beamwidthDeg(frequencyMHz, diameterM) / 2.0;
}

double carrierPowerDbw(const LinkPath& path, bool crossPolarized)
{
    return path.eirpDbw - freeSpaceLossDb(path.frequencyMHz, path.rangeKm) -
           atmosphereLossDb(path.frequencyMHz, path.elevationDeg) + dishGainDbi(path.frequencyMHz, path.diameterM) +
           relativeGainDb(path.offAxisDeg, path.frequencyMHz, path.diameterM) -
           (crossPolarized ? crossPolarizationLossDb(path.skewErrorDeg) : polarizationLossDb(path.skewErrorDeg));
}

double noisePowerDbw(double frequencyMHz, double bandwidthMHz)
{
    return boltzmannDbw + toDb(systemNoiseKelvin(frequencyMHz)) + toDb(bandwidthMHz * 1e6);
}

double carrierToNoiseDb(const LinkPath& path)
{
    return carrierPowerDbw(path) - noisePowerDbw(path.frequencyMHz, path.symbolRate / 1000.0);
}

double scintillationDb(uint32_t nowMs, double longitudeDeg)
{
    const double t = static_cast<double>(nowMs % 47000000u);
    return 0.15 * std::sin(2 * pi * t / 4700.0 + longitudeDeg) +
           0.08 * std::sin(2 * pi * t / 1300.0 + 2 * longitudeDeg);
}

// Where nothing says what the carrier is, a QPSK demodulator's old habit.
static const double unknownModcodLockDb = 4.0;

double lockThresholdDb(const Modcod& modcod)
{
    double needed = 0.0;
    return requiredCarrierToNoiseDb(modcod, &needed) ? needed : unknownModcodLockDb;
}

bool stillLocked(bool wasLocked, double carrierToNoise, double thresholdDb)
{
    return carrierToNoise >= (wasLocked ? thresholdDb - lockHoldMarginDb : thresholdDb);
}
