#include "cardbase/sweep/sweep_result.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

double smallestPeakRise(LevelUnit unit) { return levelInDecibels(unit) ? 3.0 : 6.0; }

// The dip between two humps that keeps them apart.
static double splittingDip(LevelUnit unit) { return levelInDecibels(unit) ? 2.0 : 4.0; }

// As the tuner adds power up: milliwatts for a level in dBm.
static double linear(LevelUnit unit, double level)
{
    return levelInDecibels(unit) ? std::pow(10.0, level / 10.0) : level;
}

// Half-way between the top's power and the floor's: where the carrier
// alone is at half its power, the noise under it taken away.
static double edgeLevel(LevelUnit unit, double top, double floor)
{
    if (!levelInDecibels(unit)) return floor + (top - floor) / 2.0;
    return 10.0 * std::log10((linear(unit, top) + linear(unit, floor)) / 2.0);
}

// Where the level crosses `edge` between steps `inside` (above it) and
// `outside`, interpolated in power: a step-wide filter passing over a
// carrier's edge adds its power up linearly.
static double crossing(const std::vector<SweepPoint>& points, LevelUnit unit, size_t inside, size_t outside,
                       double edge)
{
    const double a = linear(unit, points[inside].level), b = linear(unit, points[outside].level);
    const double share = a == b ? 0.0 : (a - linear(unit, edge)) / (a - b);
    return points[inside].frequencyMHz + share * (points[outside].frequencyMHz - points[inside].frequencyMHz);
}

// The floor of the measured levels: a fifth of them lie lower.
static double floorOf(const std::vector<SweepPoint>& points)
{
    std::vector<double> levels;
    for (const SweepPoint& point : points) levels.push_back(point.level);
    std::sort(levels.begin(), levels.end());
    return levels[levels.size() / 5];
}

// The humps among the measured steps alone (`points`), in their indices.
static std::vector<SweepHump> humpsAmong(const std::vector<SweepPoint>& points, LevelUnit unit, double floor)
{
    const double rise = smallestPeakRise(unit), dip = splittingDip(unit);
    // Tops: a step above both neighbours (the first of a flat top), high enough.
    std::vector<size_t> tops;
    for (size_t i = 0; i < points.size(); ++i) {
        const bool leftLower = i == 0 || points[i - 1].level < points[i].level;
        size_t j = i;
        while (j + 1 < points.size() && points[j + 1].level == points[i].level) ++j;
        const bool rightLower = j + 1 == points.size() || points[j + 1].level < points[i].level;
        if (leftLower && rightLower && points[i].level - floor >= rise) tops.push_back((i + j) / 2);
        i = j;
    }
    // Neighbouring tops without a real dip between them are one hump.
    for (bool merged = true; merged && tops.size() > 1;) {
        merged = false;
        for (size_t k = 0; k + 1 < tops.size(); ++k) {
            double lowest = points[tops[k]].level;
            for (size_t i = tops[k]; i <= tops[k + 1]; ++i) lowest = std::min(lowest, points[i].level);
            if (std::min(points[tops[k]].level, points[tops[k + 1]].level) - lowest >= dip) continue;
            tops.erase(tops.begin() +
                       static_cast<long>(points[tops[k]].level >= points[tops[k + 1]].level ? k + 1 : k));
            merged = true;
            break;
        }
    }
    std::vector<SweepHump> humps;
    for (size_t k = 0; k < tops.size(); ++k) {
        const size_t top = tops[k];
        const double edge = edgeLevel(unit, points[top].level, floor);
        // Each edge is sought no further than the lowest step towards the next top.
        size_t leftBound = 0, rightBound = points.size() - 1;
        if (k > 0) {
            leftBound = tops[k - 1];
            for (size_t i = tops[k - 1]; i < top; ++i)
                if (points[i].level <= points[leftBound].level) leftBound = i;
        }
        if (k + 1 < tops.size()) {
            rightBound = tops[k + 1];
            for (size_t i = tops[k + 1]; i > top; --i)
                if (points[i].level <= points[rightBound].level) rightBound = i;
        }
        SweepHump hump{top, top, SweepHump::none, top, SweepHump::none, edge};
        while (hump.leftInside > leftBound && points[hump.leftInside - 1].level >= edge) --hump.leftInside;
        while (hump.rightInside < rightBound && points[hump.rightInside + 1].level >= edge) ++hump.rightInside;
        // At a bound the hump runs into its neighbour's valley or the band's end: the edge is there.
        if (hump.leftInside > leftBound) hump.leftOutside = hump.leftInside - 1;
        if (hump.rightInside < rightBound) hump.rightOutside = hump.rightInside + 1;
        humps.push_back(hump);
    }
    return humps;
}

std::vector<SweepHump> findSweepHumps(const SweepResult& result)
{
    std::vector<SweepPoint> points;
    std::vector<size_t> indices;
    for (size_t i = 0; i < result.points.size(); ++i)
        if (result.points[i].measured) {
            points.push_back(result.points[i]);
            indices.push_back(i);
        }
    if (points.empty()) return {};
    std::vector<SweepHump> humps = humpsAmong(points, result.unit, floorOf(points));
    const auto toStep = [&](size_t i) { return i == SweepHump::none ? i : indices[i]; };
    for (SweepHump& hump : humps) {
        hump.top = toStep(hump.top);
        hump.leftInside = toStep(hump.leftInside);
        hump.leftOutside = toStep(hump.leftOutside);
        hump.rightInside = toStep(hump.rightInside);
        hump.rightOutside = toStep(hump.rightOutside);
    }
    return humps;
}

void findSweepPeaks(SweepResult& result)
{
    result.peaks.clear();
    std::vector<SweepPoint> measured;
    for (const SweepPoint& point : result.points)
        if (point.measured) measured.push_back(point);
    if (measured.empty()) return;
    result.floor = floorOf(measured);
    const std::vector<SweepPoint>& points = result.points;
    for (const SweepHump& hump : findSweepHumps(result)) {
        const double leftEdge = hump.leftOutside != SweepHump::none
                                    ? crossing(points, result.unit, hump.leftInside, hump.leftOutside, hump.edgeLevel)
                                    : points[hump.leftInside].frequencyMHz;
        const double rightEdge = hump.rightOutside != SweepHump::none ? crossing(points, result.unit, hump.rightInside,
                                                                                 hump.rightOutside, hump.edgeLevel)
                                                                      : points[hump.rightInside].frequencyMHz;
        SweepPeak peak;
        peak.frequencyMHz = static_cast<int32_t>(std::lround((leftEdge + rightEdge) / 2.0));
        peak.level = points[hump.top].level;
        peak.aboveFloor = points[hump.top].level - result.floor;
        peak.widthMHz = rightEdge - leftEdge;
        result.peaks.push_back(peak);
    }
}

// Rates transponders are commonly run at, kS/s.
static const int32_t commonSymbolRates[] = {45000, 43000, 30000, 29900, 29700, 29500, 28800, 28000, 27500, 27000, 26000,
                                            25000, 24500, 23000, 22000, 20000, 19000, 17500, 16000, 15000, 14400, 13000,
                                            12000, 11000, 10000, 8000,  7200,  6000,  5000,  4000,  3000,  2000};

std::vector<int32_t> symbolRatesToTry(const SweepPeak& peak)
{
    const int32_t estimate = std::max<int32_t>(1000, static_cast<int32_t>(std::lround(peak.widthMHz * 100.0)) * 10);
    std::vector<int32_t> near, far;
    for (int32_t rate : commonSymbolRates) {
        const int32_t apart = std::abs(rate - estimate);
        if (apart * 25 <= estimate) near.push_back(rate);
        else if (apart * 5 <= estimate) far.push_back(rate);
    }
    const auto nearestFirst = [estimate](int32_t a, int32_t b) {
        return std::abs(a - estimate) < std::abs(b - estimate);
    };
    std::stable_sort(near.begin(), near.end(), nearestFirst);
    std::stable_sort(far.begin(), far.end(), nearestFirst);
    std::vector<int32_t> rates(near.begin(), near.end());
    for (int32_t percent : {100, 97, 103}) {
        const int32_t rate = std::max<int32_t>(1000, estimate * percent / 1000 * 10);
        const bool covered = std::any_of(rates.begin(), rates.end(),
                                         [rate](int32_t tried) { return std::abs(tried - rate) * 100 <= rate; });
        if (!covered) rates.push_back(rate);
    }
    rates.insert(rates.end(), far.begin(), far.end());
    if (rates.size() > 6) rates.resize(6);
    return rates;
}

SweepStatus sweepBegun(const SweepPlan& plan)
{
    SweepStatus status;
    status.state = SweepRunning;
    status.plan = plan;
    status.steps = static_cast<uint32_t>(plan.frequenciesMHz.size());
    return status;
}
