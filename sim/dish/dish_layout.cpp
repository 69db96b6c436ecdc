#include "sim/dish/dish_layout.h"

#include <algorithm>

// Room for the elevation and C/N labels on the left, the azimuth and time
// labels below, the quality labels on the right and the legend above.
static const int leftMargin = 30;
static const int bottomMargin = dishLabelHeight + 4;
static const int qualityMargin = 34;

DishLayout dishLayout(int width, int height, const DishSite& site)
{
    width = std::max(width, dishMinimumWidth);
    height = std::max(height, dishMinimumHeight);
    const int chartsWidth = width - dishTextColumnWidth;
    const int stripHeight = std::clamp(height * 2 / 5, 90, 200);
    DishLayout layout;
    layout.skyPanel = PixelRect{0, 0, chartsWidth, height - stripHeight};
    layout.stripPanel = PixelRect{0, height - stripHeight, chartsWidth, height};
    layout.text = PixelRect{chartsWidth, 0, width, height};
    const PixelRect& sky = layout.skyPanel;
    layout.sky.plot = PixelRect{sky.left + leftMargin, sky.top + 6, sky.right - 8, sky.bottom - bottomMargin};
    layout.sky.range = skyRangeFor(site);
    layout.arc = arcCurve(layout.sky, site);
    const PixelRect& strip = layout.stripPanel;
    layout.stripPlot = PixelRect{strip.left + leftMargin, strip.top + dishLabelHeight + 3, strip.right - qualityMargin,
                                 strip.bottom - bottomMargin};
    return layout;
}
