// The sky chart of the dish's window: its ranges for the site, sky to
// pixel and back, the arc and the marks on it, the beam circle, dragging,
// and the rough aim of a double-click.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/rough_aim.h"
#include "sim/dish/sky_chart.h"

static const DishSite moscow{55.75, 37.62};
static const DishSite santiago{-33.45, -70.65};
static const PixelRect plot{30, 6, 600, 138};

static SkyChart chartFor(const DishSite& site) { return SkyChart{plot, skyRangeFor(site)}; }

static std::vector<Satellite> fewSatellites()
{
    return {{"HotBird1-6   13.0e", 13.0, {}}, {"Eutelsat W2   16.0e", 16.0, {}}, {"AMC1   103.0w", -103.0, {}}};
}

TEST(SkyChart, RangeSpansTheVisibleArcInWholeSteps)
{
    // The arc meets the horizon near 99 and 261 degrees from Moscow and
    // culminates at 26 degrees due south.
    const SkyRange north = skyRangeFor(moscow);
    EXPECT_EQ(95.0, north.azimuthFromDeg);
    EXPECT_EQ(265.0, north.azimuthToDeg);
    EXPECT_EQ(-5.0, north.elevationFromDeg);
    EXPECT_EQ(35.0, north.elevationToDeg);
    // South of the equator the arc spans north, without a break at 0.
    const SkyRange south = skyRangeFor(santiago);
    EXPECT_LT(south.azimuthFromDeg, 0.0);
    EXPECT_GT(south.azimuthToDeg, 0.0);
    EXPECT_EQ(60.0, south.elevationToDeg);
    // On the equator it runs from east through the zenith to west.
    const SkyRange equator = skyRangeFor({0.0, 0.0});
    EXPECT_EQ(85.0, equator.azimuthFromDeg);
    EXPECT_EQ(275.0, equator.azimuthToDeg);
    EXPECT_EQ(90.0, equator.elevationToDeg);
    // Too far north to see the arc: the southern sky.
    const SkyRange polar = skyRangeFor({85.0, 0.0});
    EXPECT_EQ(90.0, polar.azimuthFromDeg);
    EXPECT_EQ(270.0, polar.azimuthToDeg);
}

TEST(SkyChart, SkyToPixelAndBackAtTheEdges)
{
    for (const DishSite& site : {moscow, santiago}) {
        const SkyChart chart = chartFor(site);
        const SkyRange& r = chart.range;
        const PixelPoint topLeft = skyToPixel(chart, r.azimuthFromDeg, r.elevationToDeg);
        const PixelPoint bottomRight = skyToPixel(chart, r.azimuthToDeg, r.elevationFromDeg);
        EXPECT_EQ(plot.left, topLeft.x);
        EXPECT_EQ(plot.top, topLeft.y);
        EXPECT_EQ(plot.right - 1, bottomRight.x);
        EXPECT_EQ(plot.bottom - 1, bottomRight.y);

        const DishPointing corner = pixelToSky(chart, plot.left, plot.top);
        EXPECT_NEAR(std::fmod(r.azimuthFromDeg + 360.0, 360.0), corner.azimuthDeg, 1e-9);
        EXPECT_NEAR(r.elevationToDeg, corner.elevationDeg, 1e-9);
        const DishPointing opposite = pixelToSky(chart, plot.right - 1, plot.bottom - 1);
        EXPECT_NEAR(std::fmod(r.azimuthToDeg + 360.0, 360.0), opposite.azimuthDeg, 1e-9);
        EXPECT_NEAR(r.elevationFromDeg, opposite.elevationDeg, 1e-9);

        // Any direction on the chart comes back from its pixel.
        const DishPointing middle = pixelToSky(chart, skyX(chart, 200.0), skyY(chart, 12.5));
        EXPECT_NEAR(200.0, middle.azimuthDeg, 1e-9);
        EXPECT_NEAR(12.5, middle.elevationDeg, 1e-9);
    }
    // Across north, 350 lies left of 10 and both on the plot.
    const SkyChart south = chartFor(santiago);
    EXPECT_LT(skyX(south, 350.0), skyX(south, 10.0));
    EXPECT_GT(skyX(south, 350.0), plot.left);
    EXPECT_NEAR(20.0 * pixelsPerDegreeAcross(south), skyX(south, 10.0) - skyX(south, 350.0), 1e-9);
    // Off the chart, a direction is kept on its edge.
    const SkyChart north = chartFor(moscow);
    EXPECT_EQ((PixelPoint{plot.left, skyToPixel(north, 30.0, 20.0).y}),
              clampedToPlot(north, skyToPixel(north, 30.0, 20.0)));
    EXPECT_EQ((PixelPoint{plot.right - 1, plot.top}), clampedToPlot(north, skyToPixel(north, 300.0, 80.0)));
}

TEST(SkyChart, TheArcAndASatelliteMarkOnIt)
{
    const SkyChart chart = chartFor(moscow);
    const std::vector<PixelPoint> arc = arcCurve(chart, moscow);
    ASSERT_GT(arc.size(), 100u);
    // East to west, from horizon to horizon, highest due south.
    EXPECT_LT(arc.front().x, arc.back().x);
    EXPECT_NEAR(skyY(chart, 0.0), arc.front().y, 2.0);
    EXPECT_NEAR(skyY(chart, 0.0), arc.back().y, 2.0);
    const PixelPoint south = skyToPixel(chart, 180.0, lookAngles(moscow, moscow.longitudeDeg).direction.elevationDeg);
    for (const PixelPoint& point : arc) EXPECT_GE(point.y, south.y - 1);

    // AMC1 is below Moscow's horizon: two marks, each on the arc.
    const std::vector<SkyMark> marks = satelliteMarks(chart, moscow, fewSatellites());
    ASSERT_EQ(2u, marks.size());
    EXPECT_EQ(0, marks[0].satellite);
    EXPECT_EQ(skyToPixel(chart, 209.004, 22.755), marks[0].at);
    for (const SkyMark& mark : marks) {
        int closest = 1000;
        for (const PixelPoint& point : arc)
            closest = std::min(closest, std::abs(point.x - mark.at.x) + std::abs(point.y - mark.at.y));
        EXPECT_LE(closest, 1);
    }
    // The two are 3 degrees apart, about 10 pixels: a click between them
    // takes the nearer, and one too far away takes none.
    const PixelPoint hotBird = marks[0].at, w2 = marks[1].at;
    EXPECT_EQ(0, markNear(marks, PixelPoint{hotBird.x + 2, hotBird.y + 1}, 6));
    EXPECT_EQ(1, markNear(marks, PixelPoint{w2.x - 3, w2.y}, 6));
    EXPECT_EQ(-1, markNear(marks, PixelPoint{hotBird.x, hotBird.y + 7}, 6));
    EXPECT_EQ(-1, markNear({}, hotBird, 6));
}

TEST(SkyChart, TheBeamCircleForBothBands)
{
    const SkyChart chart = chartFor(moscow);
    const double up = pixelsPerDegreeUp(chart), across = pixelsPerDegreeAcross(chart);
    // A 0.8 m dish at Ku band (2.4 degrees across) must point within about
    // a degree; at C band (7 degrees) nearly three times as loosely.
    const double ku = beamwidthDeg(10723, 0.8), c = beamwidthDeg(3740, 0.8);
    const BeamSize kuBeam = beamSize(chart, ku, 0.0), cBeam = beamSize(chart, c, 0.0);
    EXPECT_NEAR(ku / 2 * up, kuBeam.upPx, 1e-9);
    EXPECT_NEAR(ku / 2 * across, kuBeam.acrossPx, 0.01);
    EXPECT_NEAR(c / 2 * up, cBeam.upPx, 1e-9);
    EXPECT_NEAR(c / 2 * across, cBeam.acrossPx, 0.1);
    EXPECT_GT(cBeam.upPx, 2.5 * kuBeam.upPx);
    // Higher up, one degree across the sky spans more degrees of azimuth.
    const BeamSize high = beamSize(chart, ku, 60.0);
    EXPECT_NEAR(kuBeam.upPx, high.upPx, 1e-9);
    EXPECT_NEAR(2.0 * kuBeam.acrossPx, high.acrossPx, 0.05 * kuBeam.acrossPx);
    // A circle round the zenith spans every azimuth.
    EXPECT_NEAR(180.0 * across, beamSize(chart, c, 89.0).acrossPx, 1e-9);
    // The Ku circle is narrower than the 3 degrees between neighbours on the arc.
    EXPECT_LT(2 * kuBeam.acrossPx, 3.0 * across);
}

TEST(SkyChart, DraggingMovesThePointingWithThePointer)
{
    const SkyChart chart = chartFor(moscow);
    const double across = pixelsPerDegreeAcross(chart), up = pixelsPerDegreeUp(chart);
    SkyDrag drag = startDrag({300, 100}, DishPointing{200.0, 20.0, 15.0});
    DishPointing p = dragTo(drag, chart, {300 + static_cast<int>(std::lround(10 * across)), 100}, false);
    EXPECT_NEAR(210.0, p.azimuthDeg, 0.2);
    EXPECT_NEAR(20.0, p.elevationDeg, 1e-9);
    EXPECT_EQ(15.0, p.skewDeg);
    // Fine: a tenth as far, in both directions.
    const DishPointing before = p;
    p = dragTo(drag, chart, {drag.last.x + 10, drag.last.y - 10}, true);
    EXPECT_NEAR(before.azimuthDeg + 1.0 / across, p.azimuthDeg, 1e-9);
    EXPECT_NEAR(before.elevationDeg + 1.0 / up, p.elevationDeg, 1e-9);
    // Elevation stops at the zenith and comes back as soon as the pointer does.
    p = dragTo(drag, chart, {drag.last.x, drag.last.y - 1000}, false);
    EXPECT_EQ(90.0, p.elevationDeg);
    p = dragTo(drag, chart, {drag.last.x, drag.last.y + 10}, false);
    EXPECT_NEAR(90.0 - 10.0 / up, p.elevationDeg, 1e-9);
}

TEST(RoughAim, ADegreeOrTwoOffInAnyDirectionAndRepeatable)
{
    const DishPointing satellite = lookAngles(moscow, 13.0).direction;
    AimDraws draws = aimDrawsFrom(7);
    AimDraws again = aimDrawsFrom(7);
    int left = 0, right = 0, above = 0, below = 0;
    for (int i = 0; i < 200; ++i) {
        const DishPointing p = roughlyAt(satellite, -3.0, draws);
        const double off = pointingErrorDeg(p, satellite);
        EXPECT_GE(off, roughAimLeastDeg - 1e-9);
        EXPECT_LE(off, roughAimMostDeg + 1e-9);
        EXPECT_EQ(-3.0, p.skewDeg);
        left += p.azimuthDeg < satellite.azimuthDeg;
        right += p.azimuthDeg > satellite.azimuthDeg;
        above += p.elevationDeg > satellite.elevationDeg;
        below += p.elevationDeg < satellite.elevationDeg;
        const DishPointing q = roughlyAt(satellite, -3.0, again);
        EXPECT_EQ(p.azimuthDeg, q.azimuthDeg);
        EXPECT_EQ(p.elevationDeg, q.elevationDeg);
    }
    EXPECT_GT(std::min(std::min(left, right), std::min(above, below)), 60);
    AimDraws other = aimDrawsFrom(8);
    AimDraws first = aimDrawsFrom(7);
    EXPECT_NE(roughlyAt(satellite, 0, first).azimuthDeg, roughlyAt(satellite, 0, other).azimuthDeg);
    // Draws stay in [0, 1), whatever the seed.
    AimDraws zero = aimDrawsFrom(0);
    for (int i = 0; i < 1000; ++i) {
        const double draw = nextDraw(zero);
        EXPECT_GE(draw, 0.0);
        EXPECT_LT(draw, 1.0);
    }
}
