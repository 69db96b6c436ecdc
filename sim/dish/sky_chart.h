// The sky chart of the simulated dish's window: azimuth across, elevation
// up, over the part of the sky where the site sees the geostationary arc.
// Sky to pixel and back, the arc as a curve, the satellites as marks, the
// beam's half-power circle and dragging the pointing. Platform-neutral.
#pragma once
#include <vector>

#include "cardbase/pointing/look_angles.h"
#include "cardbase/sky/sky.h"

struct PixelPoint {
    int x, y;
};
bool operator==(const PixelPoint& a, const PixelPoint& b);

// Right and bottom are exclusive.
struct PixelRect {
    int left, top, right, bottom;
};
bool operator==(const PixelRect& a, const PixelRect& b);
bool contains(const PixelRect& rect, PixelPoint point);

// Azimuths run on from the left edge without a break: for a site south of
// the equator, where the arc spans north, the range goes below 0 (-80 .. 80).
struct SkyRange {
    double azimuthFromDeg, azimuthToDeg;
    double elevationFromDeg, elevationToDeg;
};
bool operator==(const SkyRange& a, const SkyRange& b);

// The visible arc with 5 degrees to spare on each side, widened to whole
// multiples of 5; from 5 degrees below the horizon up. A site too far north
// or south to see the arc gets the southern (northern) sky up to 30 degrees.
SkyRange skyRangeFor(const DishSite& site);

// The range drawn over a plot: its edges fall on the first and last pixel
// rows and columns.
struct SkyChart {
    PixelRect plot;
    SkyRange range;
};
bool operator==(const SkyChart& a, const SkyChart& b);

double pixelsPerDegreeAcross(const SkyChart& chart);
double pixelsPerDegreeUp(const SkyChart& chart);
// Fractional pixels; an azimuth is taken round to the chart's side of north.
double skyX(const SkyChart& chart, double azimuthDeg);
double skyY(const SkyChart& chart, double elevationDeg);
PixelPoint skyToPixel(const SkyChart& chart, double azimuthDeg, double elevationDeg);
// The direction at a pixel, azimuth in 0 .. 360 (no skew).
DishPointing pixelToSky(const SkyChart& chart, double x, double y);
// Kept within the plot, for a direction that lies off the chart.
PixelPoint clampedToPlot(const SkyChart& chart, PixelPoint point);

// The visible part of the geostationary arc, east to west, as a polyline.
std::vector<PixelPoint> arcCurve(const SkyChart& chart, const DishSite& site);

struct SkyMark {
    int satellite;  // index in the sky
    PixelPoint at;
};
// A mark for every satellite above the horizon, in the sky's order.
std::vector<SkyMark> satelliteMarks(const SkyChart& chart, const DishSite& site, const std::vector<Satellite>& sky);
// The satellite whose mark is nearest to `at` within `radius` pixels, or -1.
int markNear(const std::vector<SkyMark>& marks, PixelPoint at, int radius);

// Half axes in pixels of the half-power circle round a dish axis at
// `elevationDeg`: a circle on the sky spans more azimuth the higher it is.
struct BeamSize {
    double acrossPx, upPx;
};
BeamSize beamSize(const SkyChart& chart, double beamwidthDeg, double elevationDeg);

// Dragging on the chart moves the pointing with the pointer, a tenth as far
// when fine. Elevation stops at 0 and 90, so that the way back moves the
// dish at once.
struct SkyDrag {
    PixelPoint last;
    DishPointing pointing;
};
SkyDrag startDrag(PixelPoint at, const DishPointing& pointing);
// The pointing the dish takes for the pointer now at `at`.
DishPointing dragTo(SkyDrag& drag, const SkyChart& chart, PixelPoint at, bool fine);
