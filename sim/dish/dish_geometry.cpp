#include "sim/dish/dish_geometry.h"

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

// Part of `v` across the line of sight `k`, as a unit vector (zero when along it).
static Vector across(Vector v, Vector k)
{
    const Vector rest = minus(v, scaled(k, dot(v, k)));
    const double size = length(rest);
    return size < 1e-12 ? Vector{0, 0, 0} : scaled(rest, 1.0 / size);
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
    // A spherical earth: the difference to the ellipsoid is a small fraction
    // of a degree, far below a small dish's beamwidth.
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

    // The satellite's vertical polarization lies along the earth's axis; the
    // feed's reference is the local vertical. Both seen across the line of sight.
    const Vector earthAxisLocal{0, std::cos(lat), std::sin(lat)};
    const Vector feedVertical = across(Vector{0, 0, 1}, local);
    const Vector satelliteVertical = across(earthAxisLocal, local);
    const double turn =
        std::atan2(dot(local, cross(feedVertical, satelliteVertical)), dot(feedVertical, satelliteVertical));
    angles.direction.skewDeg = foldHalfTurn(turn / radian);
    return angles;
}

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
