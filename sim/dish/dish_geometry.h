// Where a geostationary satellite stands in the sky of a place on the
// ground, and how far a dish points away from it. Platform-neutral.
#pragma once

struct DishSite {
    double latitudeDeg;   // north positive
    double longitudeDeg;  // east positive
};

// Azimuth clockwise from true north, elevation above the horizon, and the
// feed's rotation about the dish axis: 0 with the feed's vertical probe on
// the local vertical, positive clockwise as seen from behind the dish.
struct DishPointing {
    double azimuthDeg;
    double elevationDeg;
    double skewDeg;
};

struct LookAngles {
    DishPointing direction;  // the skew is the one the satellite's polarization needs
    double rangeKm;
};

constexpr double earthRadiusKm = 6378.137;
constexpr double geostationaryRadiusKm = 42164.17;

// Orbital position east positive (13.0e = 13, 103.0w = -103).
LookAngles lookAngles(const DishSite& site, double satelliteLongitudeDeg);

// Angle between the dish axis and the direction to the satellite.
double pointingErrorDeg(const DishPointing& dish, const DishPointing& satellite);

// The feed's rotation still missing, folded to -90 .. 90 (polarization
// repeats every half turn).
double skewErrorDeg(double dishSkewDeg, double satelliteSkewDeg);
