#include "cardbase/motor/arc_fit.h"

#include <algorithm>
#include <cmath>

#include "cardbase/motor/polar_mount.h"

// The beam's curvature is measured on each peak along the arc; the beam
// narrows with the frequency, so each is brought to the band's middle.
static const double referenceMHz = 11700.0;
// A parabola of 12 dB per beamwidth squared is the beam's half-power width.
static const double halfPowerDb = 3.0;
// About 0.3° on a 2.4° beam is what a loss of 0.2 dB can tell.
static const double resolutionPerBeam = 0.3 / 2.4;
// Each loss is known to within its readings' wander and the beam's own
// shape (the parabola is a little off a real beam's pattern).
static const double lossUncertaintyDb = 0.05;
static const double lossUncertaintyShare = 0.06;
// What one more adjustment must gain in misfit to be named, and how close
// another set of adjustments may come before the dish cannot tell them apart.
static const double penaltyPerAdjustment = 8.0;
static const double ambiguityMargin = 4.0;
// The widest error searched for, and the search's steps.
static const double widestDeg = 2.5;

static MountErrors errorsWith(int adjustment, double degrees)
{
    MountErrors errors;
    if (adjustment == AdjustDeclination) errors.declinationDeg = degrees;
    if (adjustment == AdjustElevation) errors.elevationDeg = degrees;
    if (adjustment == AdjustAzimuth) errors.azimuthDeg = degrees;
    return errors;
}

// What the fit needs of each satellite: the mount's own offsets and how
// each adjustment moves them, per degree (small errors add up).
struct FitPoint {
    bool hasLoss;
    double lossDb;
    double curvature;  // dB per degree squared at this frequency
    double sigmaDb;
    bool hasAlong;
    double alongDeg;
    double across0, along0;
    double acrossPer[adjustmentCount], alongPer[adjustmentCount];
};

static std::vector<FitPoint> fitPoints(const DishSite& site, const std::vector<ArcMeasure>& measures,
                                       double referenceCurvature)
{
    std::vector<FitPoint> points;
    for (const ArcMeasure& m : measures) {
        FitPoint p{};
        p.hasLoss = m.hasLoss && referenceCurvature > 0.0;
        p.lossDb = m.lossDb;
        const double scale = m.frequencyMHz / referenceMHz;
        p.curvature = referenceCurvature * scale * scale;
        p.sigmaDb = lossUncertaintyDb + lossUncertaintyShare * std::fabs(m.lossDb);
        p.hasAlong = m.hasAlong;
        p.alongDeg = m.alongDeg;
        const ArcOffsets own = mountArcOffsets(site, MountErrors(), m.longitudeDeg);
        p.across0 = own.acrossDeg;
        p.along0 = own.alongDeg;
        for (int j = 0; j < adjustmentCount; ++j) {
            const ArcOffsets plus = mountArcOffsets(site, errorsWith(j, 0.5), m.longitudeDeg);
            const ArcOffsets minus = mountArcOffsets(site, errorsWith(j, -0.5), m.longitudeDeg);
            p.acrossPer[j] = plus.acrossDeg - minus.acrossDeg;
            p.alongPer[j] = plus.alongDeg - minus.alongDeg;
        }
        points.push_back(p);
    }
    return points;
}

static double acrossOf(const FitPoint& p, const double* size)
{
    double across = p.across0;
    for (int j = 0; j < adjustmentCount; ++j) across += p.acrossPer[j] * size[j];
    return across;
}

static double misfitOf(const std::vector<FitPoint>& points, const double* size)
{
    double sum = 0.0;
    for (const FitPoint& p : points) {
        if (!p.hasLoss) continue;
        const double across = acrossOf(p, size);
        const double r = (p.curvature * across * across - p.lossDb) / p.sigmaDb;
        sum += r * r;
    }
    return sum;
}

// The side asked: `side` > 0 where the dish must pass below the arc at
// the asked satellite, < 0 above it, 0 where nothing was asked.
struct Side {
    int point = -1;
    int sign = 0;
};

static bool onSide(const std::vector<FitPoint>& points, const double* size, const Side& side)
{
    if (side.point < 0) return true;
    const double across = acrossOf(points[static_cast<size_t>(side.point)], size);
    return side.sign > 0 ? across > 0.0 : across < 0.0;
}

// The best sizes of the adjustments `uses`, searched on a grid and refined.
static ArcModel fitModel(const std::vector<FitPoint>& points, const bool* uses, const Side& side)
{
    int dims[adjustmentCount], count = 0;
    for (int j = 0; j < adjustmentCount; ++j)
        if (uses[j]) dims[count++] = j;
    ArcModel best;
    for (int j = 0; j < adjustmentCount; ++j) best.uses[j] = uses[j];
    best.misfit = -1.0;
    double centre[adjustmentCount] = {};
    const double steps[] = {0.1, 0.01, 0.002};
    double reach = widestDeg;
    for (double step : steps) {
        const int n = static_cast<int>(std::lround(reach / step));
        const int span = 2 * n + 1;
        int total = 1;
        for (int d = 0; d < count; ++d) total *= span;
        const double around[adjustmentCount] = {centre[0], centre[1], centre[2]};
        for (int index = 0; index < total; ++index) {
            double size[adjustmentCount] = {};
            int rest = index;
            for (int d = 0; d < count; ++d) {
                size[dims[d]] = around[dims[d]] + (rest % span - n) * step;
                rest /= span;
            }
            if (!onSide(points, size, side)) continue;
            const double misfit = misfitOf(points, size);
            if (best.misfit >= 0.0 && misfit >= best.misfit) continue;
            best.misfit = misfit;
            for (int j = 0; j < adjustmentCount; ++j) best.sizeDeg[j] = centre[j] = size[j];
        }
        reach = step;
    }
    if (best.misfit < 0.0) best.misfit = 1e12;  // nothing on the asked side
    best.misfit += penaltyPerAdjustment * count;
    return best;
}

static bool namesSame(const ArcModel& a, const ArcModel& b, double resolution)
{
    for (int j = 0; j < adjustmentCount; ++j) {
        const bool named = a.uses[j] && std::fabs(a.sizeDeg[j]) >= resolution;
        const bool other = b.uses[j] && std::fabs(b.sizeDeg[j]) >= resolution;
        if (named != other) return false;
        if (named && (a.sizeDeg[j] > 0) != (b.sizeDeg[j] > 0)) return false;
    }
    return true;
}

static double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The beam, from the peaks' curvatures brought to the band's middle.
static double referenceCurvatureOf(const std::vector<ArcMeasure>& measures)
{
    std::vector<double> curvatures;
    for (const ArcMeasure& m : measures) {
        if (m.curvatureDbPerDeg2 <= 0.0) continue;
        const double scale = referenceMHz / m.frequencyMHz;
        curvatures.push_back(m.curvatureDbPerDeg2 * scale * scale);
    }
    return curvatures.size() >= 3 ? median(curvatures) : 0.0;
}

static void choose(ArcFitResult& result, const std::vector<FitPoint>& points, const Side& side)
{
    std::vector<ArcModel> models;
    for (int set = 0; set < (1 << adjustmentCount); ++set) {
        bool uses[adjustmentCount];
        for (int j = 0; j < adjustmentCount; ++j) uses[j] = (set >> j) & 1;
        models.push_back(fitModel(points, uses, side));
    }
    size_t best = 0;
    for (size_t i = 1; i < models.size(); ++i)
        if (models[i].misfit < models[best].misfit) best = i;
    result.best = models[best];
    for (size_t i = 0; i < models.size(); ++i) {
        if (i == best || models[i].misfit > result.best.misfit + ambiguityMargin) continue;
        if (namesSame(models[i], result.best, result.resolutionDeg)) continue;
        if (result.ambiguous && models[i].misfit >= result.rival.misfit) continue;
        result.ambiguous = true;
        result.rival = models[i];
    }
}

double modelAcrossDeg(const DishSite& site, const ArcModel& model, double longitudeDeg)
{
    MountErrors errors;
    errors.declinationDeg = model.uses[AdjustDeclination] ? model.sizeDeg[AdjustDeclination] : 0.0;
    errors.elevationDeg = model.uses[AdjustElevation] ? model.sizeDeg[AdjustElevation] : 0.0;
    errors.azimuthDeg = model.uses[AdjustAzimuth] ? model.sizeDeg[AdjustAzimuth] : 0.0;
    return mountArcOffsets(site, errors, longitudeDeg).acrossDeg;
}

ArcFitResult fitArc(const DishSite& site, const std::vector<ArcMeasure>& measures, int askedAt, bool levelRose)
{
    ArcFitResult result;
    const double curvature = referenceCurvatureOf(measures);
    result.beamKnown = curvature > 0.0;
    if (result.beamKnown) {
        result.beamwidthDeg = 2.0 * std::sqrt(halfPowerDb / curvature);
        result.resolutionDeg = resolutionPerBeam * result.beamwidthDeg;
    }
    const std::vector<FitPoint> points = fitPoints(site, measures, curvature);
    for (const FitPoint& p : points) result.lossPoints += p.hasLoss ? 1 : 0;
    Side side;
    if (askedAt >= 0 && askedAt < static_cast<int>(points.size())) {
        side.point = askedAt;
        side.sign = levelRose ? 1 : -1;
        result.sideKnown = true;
    }
    if (result.lossPoints > 0) choose(result, points, side);

    // The adjustments below what the beam resolves are not named.
    bool named = false;
    for (int j = 0; j < adjustmentCount; ++j) {
        if (result.best.uses[j] && std::fabs(result.best.sizeDeg[j]) < result.resolutionDeg)
            result.best.uses[j] = false;
        named = named || result.best.uses[j];
    }
    result.mountRight = !named;
    if (!result.mountRight && !result.sideKnown) {
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].hasLoss && (result.askAt < 0 || points[i].lossDb > points[result.askAt].lossDb))
                result.askAt = static_cast<int>(i);
    }

    // What is left along the arc once the mount's own offsets and the
    // adjustments' are taken away: the motor's zero (or the site's longitude).
    std::vector<double> alongLeft;
    for (size_t i = 0; i < points.size(); ++i) {
        const FitPoint& p = points[i];
        double along = p.alongDeg - p.along0;
        for (int j = 0; j < adjustmentCount; ++j)
            if (result.best.uses[j]) along -= p.alongPer[j] * result.best.sizeDeg[j];
        if (p.hasAlong) alongLeft.push_back(along);
        const double across = acrossOf(p, result.best.sizeDeg);
        const double zero[adjustmentCount] = {};
        const double own = acrossOf(p, zero);
        result.fittedLossDb.push_back(p.curvature * across * across);
        result.perfectLossDb.push_back(p.curvature * own * own);
    }
    result.zeroKnown = alongLeft.size() >= 3;
    // A motor whose zero lies east leaves every satellite to be found west.
    if (result.zeroKnown) result.zeroDeg = -median(alongLeft);
    return result;
}
