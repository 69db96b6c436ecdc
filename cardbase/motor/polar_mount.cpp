#include "cardbase/motor/polar_mount.h"

#include <cmath>

static const double pi = 3.14159265358979323846;
static const double radian = pi / 180.0;

// East, north, up at the site.
struct Vec {
    double x, y, z;
};
static Vec plus(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
static Vec minus(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static Vec scaled(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
static double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
static double length(Vec a) { return std::sqrt(dot(a, a)); }
static double angleBetweenDeg(Vec a, Vec b) { return std::atan2(length(cross(a, b)), dot(a, b)) / radian; }

static Vec turnedAboutUp(Vec a, double degrees)
{
    const double c = std::cos(degrees * radian), s = std::sin(degrees * radian);
    return {a.x * c - a.y * s, a.x * s + a.y * c, a.z};
}

static Vec directionOf(const DishPointing& pointing)
{
    const double az = pointing.azimuthDeg * radian, el = pointing.elevationDeg * radian;
    return {std::sin(az) * std::cos(el), std::cos(az) * std::cos(el), std::sin(el)};
}

double mountDeclinationDeg(const DishSite& site)
{
    const double lat = std::fabs(site.latitudeDeg) * radian;
    return std::atan2(earthRadiusKm * std::sin(lat), geostationaryRadiusKm - earthRadiusKm * std::cos(lat)) / radian;
}

// The mount's frame: the axis towards the raised pole, the axis's
// equator on the meridian (towards the arc), and east.
struct MountFrame {
    Vec axis, meridian, east;
    double declinationDeg;
    double turnDeg;  // about the vertical, for the azimuth's error
};

static MountFrame frameOf(const DishSite& site, const MountErrors& errors)
{
    const bool south = site.latitudeDeg < 0.0;
    const double tilt = (std::fabs(site.latitudeDeg) + errors.elevationDeg) * radian;
    const double north = south ? -1.0 : 1.0;
    MountFrame frame;
    frame.axis = {0.0, north * std::cos(tilt), std::sin(tilt)};
    frame.meridian = {0.0, -north * std::sin(tilt), std::cos(tilt)};
    frame.east = {1.0, 0.0, 0.0};
    frame.declinationDeg = mountDeclinationDeg(site) + errors.declinationDeg;
    // Turning the dish on the meridian east is counterclockwise seen from
    // above where it looks south, clockwise where it looks north.
    frame.turnDeg = south ? -errors.azimuthDeg : errors.azimuthDeg;
    return frame;
}

// The dish's axis and its feed's upright, before the mount's turn.
static void dishVectors(const MountFrame& frame, double motorAngleDeg, Vec* dish, Vec* feed)
{
    const double h = motorAngleDeg * radian, dec = frame.declinationDeg * radian;
    const Vec equator = plus(scaled(frame.meridian, std::cos(h)), scaled(frame.east, std::sin(h)));
    *dish = turnedAboutUp(minus(scaled(equator, std::cos(dec)), scaled(frame.axis, std::sin(dec))), frame.turnDeg);
    *feed = turnedAboutUp(plus(scaled(frame.axis, std::cos(dec)), scaled(equator, std::sin(dec))), frame.turnDeg);
}

DishPointing polarMountPointing(const DishSite& site, const MountErrors& errors, double motorAngleDeg)
{
    const MountFrame frame = frameOf(site, errors);
    Vec dish, feed;
    dishVectors(frame, motorAngleDeg + errors.zeroDeg, &dish, &feed);
    DishPointing pointing;
    double azimuth = std::atan2(dish.x, dish.y) / radian;
    if (azimuth < 0) azimuth += 360.0;
    pointing.azimuthDeg = azimuth;
    pointing.elevationDeg = std::asin(std::fmax(-1.0, std::fmin(1.0, dish.z))) / radian;
    // The local upright as seen along the dish axis, and the feed's turn
    // from it: clockwise seen from behind the dish is positive.
    const Vec up{0.0, 0.0, 1.0};
    const Vec upright = minus(up, scaled(dish, dot(up, dish)));
    pointing.skewDeg = std::atan2(dot(cross(upright, feed), dish), dot(upright, feed)) / radian;
    return pointing;
}

ArcOffsets mountArcOffsets(const DishSite& site, const MountErrors& errors, double satelliteLongitudeDeg)
{
    const Vec satellite = directionOf(lookAngles(site, satelliteLongitudeDeg).direction);
    const double usals = usalsAngleDeg(site, satelliteLongitudeDeg);
    const auto offAxis = [&](double angle) {
        return angleBetweenDeg(directionOf(polarMountPointing(site, errors, angle)), satellite);
    };
    // The nearest approach lies within a few degrees of the USALS angle
    // for any error a mount could be set with: golden-section search.
    const double golden = (std::sqrt(5.0) - 1.0) / 2.0;
    double low = usals - 8.0, high = usals + 8.0;
    double a = high - golden * (high - low), b = low + golden * (high - low);
    double fa = offAxis(a), fb = offAxis(b);
    while (high - low > 1e-7) {
        if (fa < fb) {
            high = b;
            b = a;
            fb = fa;
            a = high - golden * (high - low);
            fa = offAxis(a);
        } else {
            low = a;
            a = b;
            fa = fb;
            b = low + golden * (high - low);
            fb = offAxis(b);
        }
    }
    ArcOffsets offsets;
    offsets.motorAngleDeg = (low + high) / 2.0;
    offsets.alongDeg = offsets.motorAngleDeg - usals;
    const Vec dish = directionOf(polarMountPointing(site, errors, offsets.motorAngleDeg));
    const Vec axis = turnedAboutUp(frameOf(site, errors).axis, frameOf(site, errors).turnDeg);
    const double across = angleBetweenDeg(dish, satellite);
    offsets.acrossDeg = dot(minus(satellite, dish), axis) >= 0.0 ? across : -across;
    return offsets;
}

DishPointing pressedUp(const DishPointing& pointing, double upDeg)
{
    DishPointing pressed = pointing;
    pressed.elevationDeg += upDeg;
    return pressed;
}
