#include "cardbase/pointing/sun_position.h"

#include <cmath>

static const double pi = 3.14159265358979323846;
static const double radian = pi / 180.0;

static double sinDeg(double degrees) { return std::sin(degrees * radian); }
static double cosDeg(double degrees) { return std::cos(degrees * radian); }

double azimuthDifferenceDeg(double azimuthDeg, double referenceDeg)
{
    double difference = std::fmod(azimuthDeg - referenceDeg, 360.0);
    if (difference > 180.0) difference -= 360.0;
    if (difference <= -180.0) difference += 360.0;
    return difference;
}

SkyDirection sunDirection(const DishSite& site, int64_t unixMs)
{
    // Julian centuries since J2000.0; the few seconds between universal and
    // dynamical time move the sun by far less than the algorithm's own error.
    const double julianDay = static_cast<double>(unixMs) / 86400000.0 + 2440587.5;
    const double t = (julianDay - 2451545.0) / 36525.0;

    const double meanLongitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
    const double meanAnomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
    const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double centre = sinDeg(meanAnomaly) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          sinDeg(2 * meanAnomaly) * (0.019993 - 0.000101 * t) + sinDeg(3 * meanAnomaly) * 0.000289;
    const double trueLongitude = meanLongitude + centre;
    const double node = 125.04 - 1934.136 * t;
    const double apparentLongitude = trueLongitude - 0.00569 - 0.00478 * sinDeg(node);
    const double meanObliquity = 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0;
    const double obliquity = meanObliquity + 0.00256 * cosDeg(node);
    const double declination = std::asin(sinDeg(obliquity) * sinDeg(apparentLongitude)) / radian;

    // The equation of time in minutes, then the true solar time at the site.
    const double y = std::tan(obliquity / 2 * radian) * std::tan(obliquity / 2 * radian);
    const double equationOfTime =
        4.0 / radian *
        (y * sinDeg(2 * meanLongitude) - 2 * eccentricity * sinDeg(meanAnomaly) +
         4 * eccentricity * y * sinDeg(meanAnomaly) * cosDeg(2 * meanLongitude) -
         0.5 * y * y * sinDeg(4 * meanLongitude) - 1.25 * eccentricity * eccentricity * sinDeg(2 * meanAnomaly));
    const double minutesOfDay = std::fmod(static_cast<double>(unixMs) / 60000.0, 1440.0);
    const double solarMinutes = minutesOfDay + equationOfTime + 4.0 * site.longitudeDeg;
    const double hourAngle = solarMinutes / 4.0 - 180.0;

    const double lat = site.latitudeDeg * radian, dec = declination * radian, ha = hourAngle * radian;
    const double sinElevation = std::sin(lat) * std::sin(dec) + std::cos(lat) * std::cos(dec) * std::cos(ha);
    SkyDirection direction;
    direction.elevationDeg = std::asin(std::fmax(-1.0, std::fmin(1.0, sinElevation))) / radian;
    // Measured from the south westwards, then turned to start from the north.
    const double fromSouth =
        std::atan2(std::sin(ha), std::cos(ha) * std::sin(lat) - std::tan(dec) * std::cos(lat)) / radian;
    direction.azimuthDeg = std::fmod(fromSouth + 180.0 + 360.0, 360.0);
    return direction;
}
