// Where a geostationary satellite stands in the sky of a place on the
// ground, how the LNB is turned for it, where a motor turns for it, and how
// far a dish points away from it. A spherical earth: against the ellipsoid
// the directions differ by a small fraction of a degree, far below a small
// dish's beam. Platform-neutral.
#pragma once

struct DishSite {
    double latitudeDeg;   // north positive
    double longitudeDeg;  // east positive
};

// Azimuth clockwise from true north, elevation above the horizon, and the
// feed's rotation about the dish axis: 0 with the feed's vertical probe on
// the local vertical, positive clockwise as seen from behind the dish
// (looking towards the satellite).
struct DishPointing {
    double azimuthDeg;
    double elevationDeg;
    double skewDeg;
};

struct LookAngles {
    DishPointing direction;  // the skew is the one the satellite's polarization needs (lnbSkewDeg)
    double rangeKm;
};

constexpr double earthRadiusKm = 6378.137;
constexpr double geostationaryRadiusKm = 42164.17;

// Orbital position east positive (13.0e = 13, 103.0w = -103).
LookAngles lookAngles(const DishSite& site, double satelliteLongitudeDeg);

// The LNB's turn by the standard formula, atan(sin(site longitude -
// satellite longitude) / tan(site latitude)), folded to -90 .. 90: positive
// is clockwise seen from behind the dish. North of the equator a satellite
// west of the site (in the south-west) wants a clockwise turn, one east of
// it a counterclockwise turn; south of the equator the other way round. The
// formula leaves out the satellite's finite distance: an exact projection of
// the satellite's vertical differs from it by at most a third of a degree
// wherever the satellite is above the horizon.
double lnbSkewDeg(const DishSite& site, double satelliteLongitudeDeg);

// The angle a polar-mount motor (USALS) turns from the site's meridian to
// the satellite, about an axis parallel to the earth's: the satellite's hour
// angle as seen from the site. East positive.
double usalsAngleDeg(const DishSite& site, double satelliteLongitudeDeg);

// An offset dish's reflector already looks `offsetDeg` above its plate's
// axis: the plate leans back from the vertical by the elevation less the
// offset (negative: it leans forward). A prime-focus dish has offset 0.
double plateTiltDeg(double elevationDeg, double offsetDeg);

// Angle between the dish axis and the direction to the satellite.
double pointingErrorDeg(const DishPointing& dish, const DishPointing& satellite);

// The feed's rotation still missing, folded to -90 .. 90 (polarization
// repeats every half turn).
double skewErrorDeg(double dishSkewDeg, double satelliteSkewDeg);
