#include "cardbase/motor/arc_scan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

static const double sixteenth = 1.0 / 16.0;
// Below any C/N or level a reading gives: a place without a lock where the
// peak is followed by its C/N.
static const double nothing = -99.0;

static void waitFor(ArcScanner& scanner, uint32_t ms)
{
    if (scanner.callbacks.wait) scanner.callbacks.wait(ms);
    *scanner.elapsedMs += ms;
}

// The first move waits as from the meridian; where the motor stood
// elsewhere, the satellite's lock comes later, and is waited for.
static void goTo(ArcScanner& scanner, double angleDeg)
{
    scanner.callbacks.send(motorGotoAngle(angleDeg, scanner.options.site.latitudeDeg < 0.0));
    const double from = scanner.motorKnown ? scanner.motorDeg : 0.0;
    waitFor(scanner, motorTravelMs(angleDeg - from, scanner.options.speedDegPerS));
    scanner.motorKnown = true;
    scanner.motorDeg = angleDeg;
}

// Two readings a reading's gap apart: their mean C/N (nothing where either
// has no lock), or their mean level.
static double sample(ArcScanner& scanner, bool byLevel)
{
    double sum = 0.0;
    for (int i = 0; i < 2; ++i) {
        if (i) waitFor(scanner, arcReadingGapMs);
        const ArcReading reading = scanner.callbacks.read();
        if (byLevel) sum += reading.hasLevel ? reading.levelDbm : nothing;
        else if (!reading.locked) return nothing;
        else sum += reading.carrierToNoiseDb;
    }
    return sum / 2.0;
}

struct Walk {
    std::map<int, double> values;  // by sixteenths from the USALS angle
    bool byLevel = false;
    int start = 0;  // where the peak is expected
};

static double measureAt(ArcScanner& scanner, const ArcPoint& point, Walk& walk, int sixteenths)
{
    const auto known = walk.values.find(sixteenths);
    if (known != walk.values.end()) return known->second;
    goTo(scanner, point.motorAngleDeg + sixteenths * sixteenth);
    waitFor(scanner, arcSettleMs);
    return walk.values[sixteenths] = sample(scanner, walk.byLevel);
}

static int bestOf(const Walk& walk)
{
    int best = walk.values.begin()->first;
    for (const auto& each : walk.values)
        if (each.second > walk.values.at(best)) best = each.first;
    return best;
}

// Strides from `from` one way until the readings fall well below the best.
static void walkSide(ArcScanner& scanner, const ArcPoint& point, Walk& walk, int from, int direction)
{
    for (int at = from + direction * arcStride; std::abs(at - walk.start) <= arcFarthestSixteenths;
         at += direction * arcStride) {
        const double value = measureAt(scanner, point, walk, at);
        if (value < walk.values.at(bestOf(walk)) - arcFallDb) break;
    }
}

// Towards the better side of the start past the peak, then past it the
// other way, so that the parabola has the peak's both flanks.
static void walkToPeak(ArcScanner& scanner, const ArcPoint& point, Walk& walk)
{
    measureAt(scanner, point, walk, walk.start);
    const double east = measureAt(scanner, point, walk, walk.start + arcStride);
    const double west = measureAt(scanner, point, walk, walk.start - arcStride);
    const int direction = east >= west ? 1 : -1;
    walkSide(scanner, point, walk, walk.start, direction);
    walkSide(scanner, point, walk, bestOf(walk), -direction);
    const int best = bestOf(walk);
    measureAt(scanner, point, walk, best - 1);
    measureAt(scanner, point, walk, best + 1);
}

// A parabola through the readings near the best, by least
// squares: its top, and how fast it falls (dB per degree squared).
static bool parabolaTop(const Walk& walk, double* topSixteenths, double* curvature)
{
    const double best = walk.values.at(bestOf(walk));
    double s[5] = {}, t[3] = {};
    int count = 0;
    for (const auto& each : walk.values) {
        if (each.second < best - arcFallDb - 0.5) continue;
        const double x = each.first, y = each.second;
        double power = 1.0;
        for (int i = 0; i < 5; ++i, power *= x) s[i] += power;
        t[0] += y;
        t[1] += x * y;
        t[2] += x * x * y;
        ++count;
    }
    if (count < 3) return false;
    // The normal equations of y = a + b x + c x^2, by Cramer's rule.
    const double m[3][3] = {{s[0], s[1], s[2]}, {s[1], s[2], s[3]}, {s[2], s[3], s[4]}};
    const auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(m);
    if (std::fabs(d) < 1e-9) return false;
    double mb[3][3], mc[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) mb[r][c] = mc[r][c] = m[r][c];
    for (int r = 0; r < 3; ++r) {
        mb[r][1] = t[r];
        mc[r][2] = t[r];
    }
    const double b = det(mb) / d, c = det(mc) / d;
    if (c >= 0.0) return false;
    *topSixteenths = -b / (2.0 * c);
    *curvature = -c / (sixteenth * sixteenth);
    return true;
}

static void dwell(ArcScanner& scanner, ArcPoint& point)
{
    double sum = 0.0;
    int locked = 0;
    for (uint32_t waited = 0; waited < arcDwellMs; waited += arcReadingGapMs) {
        if (waited) waitFor(scanner, arcReadingGapMs);
        const ArcReading reading = scanner.callbacks.read();
        if (!reading.locked) continue;
        sum += reading.carrierToNoiseDb;
        ++locked;
        if (reading.networkKnown) {
            point.networkKnown = true;
            point.networkLongitudeDeg = reading.networkLongitudeDeg;
        }
    }
    point.locked = locked > 0;
    if (point.locked) point.peakCnDb = sum / locked;
}

void turnToPeak(ArcScanner& scanner, const ArcPoint& point)
{
    goTo(scanner, point.motorAngleDeg + std::round(point.alongDeg * 16.0) * sixteenth);
    waitFor(scanner, arcSettleMs);
}

void scanArcPoint(ArcScanner& scanner, ArcPoint& point)
{
    point.lossDb = std::nan("");
    const bool firstMove = !scanner.motorKnown;
    // An offset along the arc is much the same for every satellite: the
    // next is looked for where the ones before peaked.
    Walk walk;
    if (!scanner.alongFound.empty()) {
        std::vector<double> sorted = scanner.alongFound;
        std::sort(sorted.begin(), sorted.end());
        walk.start = static_cast<int>(std::lround(sorted[sorted.size() / 2] * 16.0));
    }
    scanner.callbacks.tune(point.satellite);
    goTo(scanner, point.motorAngleDeg + walk.start * sixteenth);
    waitFor(scanner, arcLockWaitMs);
    ArcReading reading = scanner.callbacks.read();
    // A motor that stood anywhere at the start may take up to its widest turn.
    const uint32_t widestMs = motorTravelMs(2.0 * scanner.options.limitDeg, scanner.options.speedDegPerS);
    for (uint32_t waited = 0; firstMove && !reading.locked && waited < widestMs; waited += 1000) {
        waitFor(scanner, 1000);
        reading = scanner.callbacks.read();
    }
    if (!reading.locked && !reading.hasLevel) return;
    walk.byLevel = !reading.locked;
    walkToPeak(scanner, point, walk);
    double top = bestOf(walk), curvature = 0.0;
    if (parabolaTop(walk, &top, &curvature)) {
        // The top stays within the readings it was found from.
        top = std::fmax(walk.values.begin()->first, std::fmin(walk.values.rbegin()->first, top));
        point.curvatureDbPerDeg2 = curvature;
    }
    point.found = true;
    point.byLevel = walk.byLevel;
    point.alongDeg = top * sixteenth;
    scanner.alongFound.push_back(point.alongDeg);
    turnToPeak(scanner, point);
    dwell(scanner, point);
    if (point.locked && !std::isnan(point.satellite.clearSkyCnDb))
        point.lossDb = point.satellite.clearSkyCnDb - point.peakCnDb;
}
