// The arc check's reading of the pattern across the arc: from each
// satellite's loss at its peak (its C/N there against its clear-sky C/N)
// and where along the arc it peaked, which of the polar mount's
// adjustments (polar_mount.h) is off, which way and by how much. Each
// adjustment leaves its own pattern: the declination the same offset
// across the arc everywhere, the mount's elevation one that shrinks from
// the middle of the arc towards both ends, its azimuth one that grows
// towards one end and changes side at the middle (and an offset along the
// arc); the motor's zero (or the site's longitude) an offset along the
// arc alone. The mount's own tracking error is part of the model. A loss
// does not tell its side: the person at the dish tells it at the satellite
// with the largest loss. Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/pointing/look_angles.h"

enum MountAdjustment : uint8_t { AdjustDeclination, AdjustElevation, AdjustAzimuth, adjustmentCount };

// One satellite as measured.
struct ArcMeasure {
    double longitudeDeg;
    double frequencyMHz;
    bool hasLoss;               // locked at its peak, and its clear-sky C/N known
    double lossDb;              // clear-sky C/N less the peak's
    bool hasAlong;              // its peak along the arc was found
    double alongDeg;            // from its USALS angle, east positive
    double curvatureDbPerDeg2;  // of its peak along the arc (by C/N); 0 where unknown
};

// A mount as the fit sees it: which adjustments are off, and by how much
// (degrees, positive meaning too much, east or up).
struct ArcModel {
    bool uses[adjustmentCount] = {};
    double sizeDeg[adjustmentCount] = {};
    double misfit = 0.0;  // squared misfits in units of each loss's uncertainty, with a penalty per adjustment
};

struct ArcFitResult {
    bool beamKnown = false;      // enough peaks to measure the beam by
    double beamwidthDeg = 0.0;   // half-power, at the Ku band's middle (11.7 GHz)
    double resolutionDeg = 0.0;  // what the beam resolves: errors below it are within what the dish can tell
    int lossPoints = 0;          // satellites with a loss
    bool mountRight = false;     // the mount's own tracking explains every loss
    int askAt = -1;              // the satellite with the largest loss, where the side is asked; -1 none
    bool sideKnown = false;      // the person's answer was used
    ArcModel best;               // the adjustments named (those below the resolution left out)
    bool ambiguous = false;      // another set of adjustments fits about as well
    ArcModel rival;
    bool zeroKnown = false;
    double zeroDeg = 0.0;               // the motor's zero (or the site's longitude), east positive
    std::vector<double> fittedLossDb;   // per measure, by the model chosen
    std::vector<double> perfectLossDb;  // per measure, of a mount set right
};

// The fit before the question (`askedAt` -1), or after it: `levelRose`
// the answer at the satellite `askedAt` (pressing the dish's lower edge
// down turns the beam up, so a rise says the dish passes below it there).
ArcFitResult fitArc(const DishSite& site, const std::vector<ArcMeasure>& measures, int askedAt, bool levelRose);

// The offset across the arc (positive below it) of a mount with these
// adjustments at the satellite: the mount's own and the adjustments' sum.
double modelAcrossDeg(const DishSite& site, const ArcModel& model, double longitudeDeg);
