#include "cardbase/pointing/magnetic_model.h"

#include <cmath>

static const double pi = 3.14159265358979323846;
static const double radian = pi / 180.0;

// WGS 84, and the model's own reference radius.
static const double ellipsoidMajorKm = 6378.137;
static const double ellipsoidFlattening = 1.0 / 298.257223563;
static const double geomagneticRadiusKm = 6371.2;
static const int maxDegree = 12;

bool magneticModelCovers(const MagneticModel& model, double decimalYear)
{
    return decimalYear >= model.epochYear && decimalYear <= model.validUntilYear;
}

// Schmidt semi-normalised associated Legendre functions of cos(colatitude)
// and their derivatives with respect to the colatitude, by the usual
// recurrences in degree.
struct Legendre {
    double p[maxDegree + 1][maxDegree + 1];
    double dp[maxDegree + 1][maxDegree + 1];
};

static void legendreFunctions(int degree, double cosTheta, double sinTheta, Legendre* out)
{
    out->p[0][0] = 1.0;
    out->dp[0][0] = 0.0;
    for (int n = 1; n <= degree; ++n) {
        // The sectoral term from the one below it; the factor of the
        // semi-normalisation differs for n = 1, which starts from P00.
        const double sectoral = n == 1 ? 1.0 : std::sqrt((2.0 * n - 1.0) / (2.0 * n));
        out->p[n][n] = sectoral * sinTheta * out->p[n - 1][n - 1];
        out->dp[n][n] = sectoral * (cosTheta * out->p[n - 1][n - 1] + sinTheta * out->dp[n - 1][n - 1]);
        for (int m = 0; m < n; ++m) {
            const double before = n - 2 >= m ? out->p[n - 2][m] : 0.0;
            const double dBefore = n - 2 >= m ? out->dp[n - 2][m] : 0.0;
            const double back = std::sqrt(static_cast<double>((n - 1) * (n - 1) - m * m));
            const double scale = std::sqrt(static_cast<double>(n * n - m * m));
            out->p[n][m] = ((2.0 * n - 1.0) * cosTheta * out->p[n - 1][m] - back * before) / scale;
            out->dp[n][m] =
                ((2.0 * n - 1.0) * (cosTheta * out->dp[n - 1][m] - sinTheta * out->p[n - 1][m]) - back * dBefore) /
                scale;
        }
    }
}

bool magneticFieldAt(const MagneticModel& model, double latitudeDeg, double longitudeDeg, double heightKm,
                     double decimalYear, MagneticField* field)
{
    if (std::fabs(latitudeDeg) >= 90.0 || model.degree > maxDegree) return false;
    // Geodetic to geocentric spherical coordinates.
    const double lat = latitudeDeg * radian, lon = longitudeDeg * radian;
    const double e2 = ellipsoidFlattening * (2.0 - ellipsoidFlattening);
    const double primeVertical = ellipsoidMajorKm / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
    const double p = (primeVertical + heightKm) * std::cos(lat);
    const double z = (primeVertical * (1.0 - e2) + heightKm) * std::sin(lat);
    const double r = std::sqrt(p * p + z * z);
    const double latitudeGeocentric = std::asin(z / r);
    const double cosTheta = std::sin(latitudeGeocentric), sinTheta = std::cos(latitudeGeocentric);

    Legendre legendre;
    legendreFunctions(model.degree, cosTheta, sinTheta, &legendre);
    const double years = decimalYear - model.epochYear;
    double north = 0.0, east = 0.0, down = 0.0;
    for (size_t i = 0; i < model.termCount; ++i) {
        const MagneticCoefficient& term = model.terms[i];
        const int n = term.n, m = term.m;
        if (n < 1 || n > model.degree || m < 0 || m > n) continue;
        const double g = term.g + years * term.gDot;
        const double h = term.h + years * term.hDot;
        const double radial = std::pow(geomagneticRadiusKm / r, n + 2);
        const double cosM = std::cos(m * lon), sinM = std::sin(m * lon);
        const double along = g * cosM + h * sinM;
        // North is towards smaller colatitude; the field is minus the potential's gradient.
        north += radial * along * legendre.dp[n][m];
        east += radial * m * (g * sinM - h * cosM) * legendre.p[n][m];
        down -= (n + 1) * radial * along * legendre.p[n][m];
    }
    east /= sinTheta;

    // From the geocentric frame to the ellipsoid's.
    const double tilt = latitudeGeocentric - lat;
    MagneticField result;
    result.northNt = north * std::cos(tilt) - down * std::sin(tilt);
    result.eastNt = east;
    result.downNt = north * std::sin(tilt) + down * std::cos(tilt);
    result.horizontalNt = std::hypot(result.northNt, result.eastNt);
    result.declinationDeg = std::atan2(result.eastNt, result.northNt) / radian;
    result.inclinationDeg = std::atan2(result.downNt, result.horizontalNt) / radian;
    *field = result;
    return true;
}
