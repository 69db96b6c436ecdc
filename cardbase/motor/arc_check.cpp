#include "cardbase/motor/arc_check.h"

#include <algorithm>
#include <cmath>

#include "cardbase/motor/arc_scan.h"
#include "cardbase/motor/arc_words.h"

const char arcPressQuestion[] =
    "press the dish's lower edge down at the satellite with the largest loss: did the level rise?";

static bool kuBand(int32_t frequencyMHz) { return frequencyMHz >= 10700 && frequencyMHz <= 12750; }

std::vector<ArcSatellite> arcSatellitesFrom(const std::vector<CatalogueLine>& catalogue)
{
    std::vector<ArcSatellite> satellites;
    for (const CatalogueLine& line : catalogue) {
        if (!line.hasPosition || !kuBand(line.frequencyMHz) || line.polarization > 1) continue;
        bool known = false;
        for (const ArcSatellite& each : satellites)
            known = known || std::fabs(each.longitudeDeg - line.longitudeDeg) < 0.05;
        if (known) continue;
        satellites.push_back(ArcSatellite{line.name, line.longitudeDeg, line.frequencyMHz, line.polarization,
                                          line.symbolRate, std::nan("")});
    }
    return satellites;
}

std::vector<ArcPoint> arcPlan(const std::vector<ArcSatellite>& satellites, const ArcOptions& options)
{
    std::vector<ArcPoint> candidates;
    const double low = options.hasRange ? std::fmin(options.fromDeg, options.toDeg) : -options.limitDeg;
    const double high = options.hasRange ? std::fmax(options.fromDeg, options.toDeg) : options.limitDeg;
    for (const ArcSatellite& satellite : satellites) {
        ArcPoint point;
        point.satellite = satellite;
        point.motorAngleDeg = usalsAngleDeg(options.site, satellite.longitudeDeg);
        point.elevationDeg = lookAngles(options.site, satellite.longitudeDeg).direction.elevationDeg;
        if (!kuBand(satellite.frequencyMHz) || point.elevationDeg < options.leastElevationDeg ||
            std::fabs(point.motorAngleDeg) > options.limitDeg || point.motorAngleDeg < low ||
            point.motorAngleDeg > high)
            continue;
        candidates.push_back(point);
    }
    // From the east end to the west end.
    std::sort(candidates.begin(), candidates.end(),
              [](const ArcPoint& a, const ArcPoint& b) { return a.motorAngleDeg > b.motorAngleDeg; });
    const size_t most = static_cast<size_t>(std::max(options.mostSatellites, 2));
    if (candidates.size() <= most) return candidates;
    // Both ends, and the rest nearest to even steps between them.
    std::vector<bool> taken(candidates.size(), false);
    const double east = candidates.front().motorAngleDeg, west = candidates.back().motorAngleDeg;
    for (size_t k = 0; k < most; ++k) {
        const double wanted = east - (east - west) * static_cast<double>(k) / static_cast<double>(most - 1);
        size_t nearest = candidates.size();
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (taken[i]) continue;
            if (nearest == candidates.size() ||
                std::fabs(candidates[i].motorAngleDeg - wanted) < std::fabs(candidates[nearest].motorAngleDeg - wanted))
                nearest = i;
        }
        taken[nearest] = true;
    }
    std::vector<ArcPoint> plan;
    for (size_t i = 0; i < candidates.size(); ++i)
        if (taken[i]) plan.push_back(candidates[i]);
    return plan;
}

static std::vector<ArcMeasure> measuresOf(const std::vector<ArcPoint>& points)
{
    std::vector<ArcMeasure> measures;
    for (const ArcPoint& p : points)
        measures.push_back(ArcMeasure{p.satellite.longitudeDeg, static_cast<double>(p.satellite.frequencyMHz),
                                      !std::isnan(p.lossDb), p.lossDb, p.found, p.alongDeg,
                                      p.byLevel ? 0.0 : p.curvatureDbPerDeg2});
    return measures;
}

ArcResult runArcCheck(const std::vector<ArcSatellite>& satellites, const ArcOptions& options,
                      const ArcCallbacks& callbacks)
{
    ArcResult result;
    ArcScanner scanner{options, callbacks, &result.elapsedMs, false, 0.0, {}};
    result.points = arcPlan(satellites, options);
    for (ArcPoint& point : result.points) {
        scanArcPoint(scanner, point);
        if (callbacks.say) callbacks.say(arcPointLine(point));
    }
    int lossPoints = 0;
    for (const ArcPoint& point : result.points) lossPoints += std::isnan(point.lossDb) ? 0 : 1;
    if (static_cast<int>(result.points.size()) < arcLeastSatellites || lossPoints < arcLeastSatellites) {
        result.problem = arcTooFewText(static_cast<int>(result.points.size()), lossPoints);
        return result;
    }
    const std::vector<ArcMeasure> measures = measuresOf(result.points);
    result.fit = fitArc(options.site, measures, -1, false);
    if (!result.fit.beamKnown) {
        result.problem = "too few peaks were found by their C/N to measure the dish's beam";
        return result;
    }
    if (result.fit.askAt >= 0) {
        // The side of a loss is told by hand, at the satellite where it is largest.
        const ArcPoint& largest = result.points[static_cast<size_t>(result.fit.askAt)];
        callbacks.tune(largest.satellite);
        turnToPeak(scanner, largest);
        if (callbacks.say) callbacks.say(arcAskingAtText(largest));
        result.asked = true;
        result.askedPoint = result.fit.askAt;
        result.levelRose = callbacks.ask ? callbacks.ask(arcPressQuestion) : false;
        result.fit = fitArc(options.site, measures, result.askedPoint, result.levelRose);
    }
    return result;
}
