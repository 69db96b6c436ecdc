// Where the simulated dish's window puts its pictures and its text for a
// client area of a given size: the sky chart above the strip chart on the
// left, the text readout in a column on the right. Platform-neutral.
#pragma once
#include <vector>

#include "sim/dish/sky_chart.h"

// The readout's 40 columns of a 7-pixel fixed-pitch font, with margins.
constexpr int dishTextColumnWidth = 292;
// Lines of the chart labels, in a font of about this height.
constexpr int dishLabelHeight = 13;
constexpr int dishMinimumWidth = 620;
constexpr int dishMinimumHeight = 256;
// Wide enough for the arc to spread and low enough to leave the program's
// window clear above it on a small screen.
constexpr int dishPreferredWidth = 900;
constexpr int dishPreferredHeight = 300;

struct DishLayout {
    PixelRect skyPanel, stripPanel, text;
    SkyChart sky;                 // the plot inside the sky panel, for the site
    std::vector<PixelPoint> arc;  // the site's geostationary arc on it, which only a new size changes
    PixelRect stripPlot;          // inside the strip panel
};

// Sizes below the minimum are laid out as the minimum (and clipped).
DishLayout dishLayout(int width, int height, const DishSite& site);
