#include "sim/dish/sky_chart.h"

#include <cmath>
#include <tuple>

static const double pi = 3.14159265358979323846;
static const double radian = pi / 180.0;
static const double marginDeg = 5.0;
// Straight overhead, an equatorial site's arc has no azimuth to speak of.
static const double highestArcDeg = 89.5;
static const double arcStepDeg = 0.5;

static double wrapHalfTurn(double degrees) { return degrees - 360.0 * std::floor((degrees + 180.0) / 360.0); }

// Where the chart is centred: south for a site north of the equator.
static double centreAzimuthFor(const DishSite& site) { return site.latitudeDeg >= 0 ? 180.0 : 0.0; }

static double centreOf(const SkyRange& range) { return (range.azimuthFromDeg + range.azimuthToDeg) / 2.0; }

// Satellite longitudes east to west over the half of the orbit facing the site.
template <typename Visit>
static void alongTheArc(const DishSite& site, Visit visit)
{
    for (double offset = 90.0; offset >= -90.0; offset -= arcStepDeg) {
        const LookAngles angles = lookAngles(site, site.longitudeDeg + offset);
        const double elevation = angles.direction.elevationDeg;
        if (elevation >= 0.0 && elevation <= highestArcDeg) visit(angles.direction);
    }
}

bool operator==(const PixelPoint& a, const PixelPoint& b) { return a.x == b.x && a.y == b.y; }

bool operator==(const PixelRect& a, const PixelRect& b)
{
    return std::tie(a.left, a.top, a.right, a.bottom) == std::tie(b.left, b.top, b.right, b.bottom);
}

bool contains(const PixelRect& rect, PixelPoint point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

bool operator==(const SkyRange& a, const SkyRange& b)
{
    return std::tie(a.azimuthFromDeg, a.azimuthToDeg, a.elevationFromDeg, a.elevationToDeg) ==
           std::tie(b.azimuthFromDeg, b.azimuthToDeg, b.elevationFromDeg, b.elevationToDeg);
}

bool operator==(const SkyChart& a, const SkyChart& b) { return a.plot == b.plot && a.range == b.range; }

SkyRange skyRangeFor(const DishSite& site)
{
    const double centre = centreAzimuthFor(site);
    bool seen = false;
    double lowest = 0.0, highest = 0.0, top = 0.0;
    alongTheArc(site, [&](const DishPointing& direction) {
        const double relative = wrapHalfTurn(direction.azimuthDeg - centre);
        lowest = seen ? std::fmin(lowest, relative) : relative;
        highest = seen ? std::fmax(highest, relative) : relative;
        top = std::fmax(top, direction.elevationDeg);
        seen = true;
    });
    if (!seen) return SkyRange{centre - 90.0, centre + 90.0, -marginDeg, 30.0};
    auto down = [](double degrees) { return marginDeg * std::floor(degrees / marginDeg); };
    auto up = [](double degrees) { return marginDeg * std::ceil(degrees / marginDeg); };
    return SkyRange{down(centre + lowest - marginDeg), up(centre + highest + marginDeg), -marginDeg,
                    std::fmin(90.0, up(top + marginDeg))};
}

double pixelsPerDegreeAcross(const SkyChart& chart)
{
    return (chart.plot.right - 1 - chart.plot.left) / (chart.range.azimuthToDeg - chart.range.azimuthFromDeg);
}

double pixelsPerDegreeUp(const SkyChart& chart)
{
    return (chart.plot.bottom - 1 - chart.plot.top) / (chart.range.elevationToDeg - chart.range.elevationFromDeg);
}

double skyX(const SkyChart& chart, double azimuthDeg)
{
    const double centre = centreOf(chart.range);
    const double unwrapped = centre + wrapHalfTurn(azimuthDeg - centre);
    return chart.plot.left + (unwrapped - chart.range.azimuthFromDeg) * pixelsPerDegreeAcross(chart);
}

double skyY(const SkyChart& chart, double elevationDeg)
{
    return chart.plot.top + (chart.range.elevationToDeg - elevationDeg) * pixelsPerDegreeUp(chart);
}

PixelPoint skyToPixel(const SkyChart& chart, double azimuthDeg, double elevationDeg)
{
    return PixelPoint{static_cast<int>(std::lround(skyX(chart, azimuthDeg))),
                      static_cast<int>(std::lround(skyY(chart, elevationDeg)))};
}

DishPointing pixelToSky(const SkyChart& chart, double x, double y)
{
    const double azimuth = chart.range.azimuthFromDeg + (x - chart.plot.left) / pixelsPerDegreeAcross(chart);
    DishPointing direction{std::fmod(std::fmod(azimuth, 360.0) + 360.0, 360.0),
                           chart.range.elevationToDeg - (y - chart.plot.top) / pixelsPerDegreeUp(chart), 0.0};
    if (direction.azimuthDeg >= 360.0) direction.azimuthDeg -= 360.0;
    return direction;
}

PixelPoint clampedToPlot(const SkyChart& chart, PixelPoint point)
{
    auto clamp = [](int value, int low, int high) { return value < low ? low : value > high ? high : value; };
    return PixelPoint{clamp(point.x, chart.plot.left, chart.plot.right - 1),
                      clamp(point.y, chart.plot.top, chart.plot.bottom - 1)};
}

std::vector<PixelPoint> arcCurve(const SkyChart& chart, const DishSite& site)
{
    std::vector<PixelPoint> curve;
    alongTheArc(site, [&](const DishPointing& direction) {
        const PixelPoint point = skyToPixel(chart, direction.azimuthDeg, direction.elevationDeg);
        if (curve.empty() || !(curve.back() == point)) curve.push_back(point);
    });
    return curve;
}

std::vector<SkyMark> satelliteMarks(const SkyChart& chart, const DishSite& site, const std::vector<Satellite>& sky)
{
    std::vector<SkyMark> marks;
    for (size_t i = 0; i < sky.size(); ++i) {
        const DishPointing direction = lookAngles(site, sky[i].longitudeDeg).direction;
        if (direction.elevationDeg > 0.0)
            marks.push_back(
                SkyMark{static_cast<int>(i), skyToPixel(chart, direction.azimuthDeg, direction.elevationDeg)});
    }
    return marks;
}

int markNear(const std::vector<SkyMark>& marks, PixelPoint at, int radius)
{
    int found = -1;
    long best = static_cast<long>(radius) * radius;
    for (const SkyMark& mark : marks) {
        const long dx = mark.at.x - at.x, dy = mark.at.y - at.y;
        if (dx * dx + dy * dy <= best) {
            best = dx * dx + dy * dy;
            found = mark.satellite;
        }
    }
    return found;
}

BeamSize beamSize(const SkyChart& chart, double beamwidthDeg, double elevationDeg)
{
    const double radius = beamwidthDeg / 2.0;
    const double ratio = std::sin(radius * radian) / std::cos(elevationDeg * radian);
    // A circle round the zenith spans every azimuth.
    const double azimuthSpan = ratio >= 1.0 || ratio < 0.0 ? 180.0 : std::asin(ratio) / radian;
    return BeamSize{azimuthSpan * pixelsPerDegreeAcross(chart), radius * pixelsPerDegreeUp(chart)};
}

SkyDrag startDrag(PixelPoint at, const DishPointing& pointing) { return SkyDrag{at, pointing}; }

DishPointing dragTo(SkyDrag& drag, const SkyChart& chart, PixelPoint at, bool fine)
{
    const double share = fine ? 0.1 : 1.0;
    drag.pointing.azimuthDeg += (at.x - drag.last.x) / pixelsPerDegreeAcross(chart) * share;
    drag.pointing.elevationDeg -= (at.y - drag.last.y) / pixelsPerDegreeUp(chart) * share;
    drag.pointing.elevationDeg = std::fmin(90.0, std::fmax(0.0, drag.pointing.elevationDeg));
    drag.last = at;
    return drag.pointing;
}
