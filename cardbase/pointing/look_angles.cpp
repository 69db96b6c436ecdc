#include "cardbase/pointing/look_angles.h"

#include <cmath>

static const double pi = 3.14159265358979323846;
static const double radian = pi / 180.0;

struct Vector {
    double x, y, z;
};

static Vector minus(Vector a, Vector b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static Vector scaled(Vector a, double s) { return {a.x * s, a.y * s, a.z * s}; }
static double dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static Vector cross(Vector a, Vector b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
static double length(Vector a) { return std::sqrt(dot(a, a)); }

// East, north, up at the site, from azimuth and elevation.
static Vector localDirection(double azimuthDeg, double elevationDeg)
{
    const double az = azimuthDeg * radian, el = elevationDeg * radian;
    return {std::sin(az) * std::cos(el), std::cos(az) * std::cos(el), std::sin(el)};
}

static double foldHalfTurn(double degrees)
{
    double folded = std::fmod(degrees, 180.0);
    if (folded > 90.0) folded -= 180.0;
    if (folded <= -90.0) folded += 180.0;
    return folded;
}

LookAngles lookAngles(const DishSite& site, double satelliteLongitudeDeg)
{
    const double lat = site.latitudeDeg * radian;
    const double dLon = (satelliteLongitudeDeg - site.longitudeDeg) * radian;
    // Earth-centred axes turned so that the site lies in the x-z plane.
    const Vector station = scaled(Vector{std::cos(lat), 0, std::sin(lat)}, earthRadiusKm);
    const Vector satellite = scaled(Vector{std::cos(dLon), std::sin(dLon), 0}, geostationaryRadiusKm);
    const Vector path = minus(satellite, station);
    const double range = length(path);

    // Local east, north and up in the same axes.
    const Vector east{0, 1, 0};
    const Vector north{-std::sin(lat), 0, std::cos(lat)};
    const Vector up{std::cos(lat), 0, std::sin(lat)};
    const Vector local{dot(path, east) / range, dot(path, north) / range, dot(path, up) / range};

    LookAngles angles;
    angles.rangeKm = range;
    double azimuth = std::atan2(local.x, local.y) / radian;
    if (azimuth < 0) azimuth += 360.0;
    angles.direction.azimuthDeg = azimuth;
    angles.direction.elevationDeg = std::asin(std::fmax(-1.0, std::fmin(1.0, local.z))) / radian;
    angles.direction.skewDeg = lnbSkewDeg(site, satelliteLongitudeDeg);
    return angles;
}

double lnbSkewDeg(const DishSite& site, double satelliteLongitudeDeg)
{
    const double lat = site.latitudeDeg * radian;
    const double dLon = (site.longitudeDeg - satelliteLongitudeDeg) * radian;
    // atan(sin / tan) without the division, so that the equator gives a
    // quarter turn rather than a division by zero.
    return foldHalfTurn(std::atan2(std::sin(dLon) * std::cos(lat), std::sin(lat)) / radian);
}

double usalsAngleDeg(const DishSite& site, double satelliteLongitudeDeg)
{
    // The path to the satellite seen along the earth's axis: from the site's
    // foot on the equatorial plane, turned from the meridian.
    const double lat = site.latitudeDeg * radian;
    const double dLon = (satelliteLongitudeDeg - site.longitudeDeg) * radian;
    return std::atan2(std::sin(dLon), std::cos(dLon) - earthRadiusKm / geostationaryRadiusKm * std::cos(lat)) / radian;
}

double plateTiltDeg(double elevationDeg, double offsetDeg) { return elevationDeg - offsetDeg; }

double pointingErrorDeg(const DishPointing& dish, const DishPointing& satellite)
{
    const Vector a = localDirection(dish.azimuthDeg, dish.elevationDeg);
    const Vector b = localDirection(satellite.azimuthDeg, satellite.elevationDeg);
    // atan2 keeps its precision near zero, where acos would not.
    return std::atan2(length(cross(a, b)), dot(a, b)) / radian;
}

double skewErrorDeg(double dishSkewDeg, double satelliteSkewDeg)
{
    return foldHalfTurn(dishSkewDeg - satelliteSkewDeg);
}
