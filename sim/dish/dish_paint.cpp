#include "sim/dish/dish_paint.h"

#include "sim/dish/dish_colours.h"

static COLORREF colourOf(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

static HPEN pen(uint32_t rgb, int width = 1, int style = PS_SOLID) { return CreatePen(style, width, colourOf(rgb)); }

static HBRUSH brush(uint32_t rgb) { return CreateSolidBrush(colourOf(rgb)); }

DishInk createDishInk()
{
    DishInk ink;
    // Columns line up in a fixed-pitch font.
    ink.textFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    ink.labelFont = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma");
    ink.skyGrid = pen(dishColour::skyGrid);
    ink.horizon = pen(dishColour::horizon);
    ink.arc = pen(dishColour::arc);
    ink.motorPath = pen(dishColour::motorPath, 1, PS_DASH);
    ink.nearest = pen(dishColour::nearest);
    ink.cross = pen(dishColour::cross);
    ink.beam = pen(dishColour::beam);
    ink.frame = pen(dishColour::frame);
    ink.stripGrid = pen(dishColour::stripGrid);
    ink.carrierToNoise = pen(dishColour::carrierToNoise);
    ink.quality = pen(dishColour::quality);
    ink.level = pen(dishColour::level);
    ink.threshold = pen(dishColour::threshold, 1, PS_DOT);
    ink.need = pen(dishColour::need, 1, PS_DASH);
    ink.lock = pen(dishColour::lock);
    ink.loss = pen(dishColour::loss);
    ink.paper = brush(dishColour::paper);
    ink.sky = brush(dishColour::sky);
    ink.ground = brush(dishColour::ground);
    ink.satellite = brush(dishColour::satellite);
    ink.target = brush(dishColour::target);
    ink.beamArea = brush(dishColour::beamArea);
    ink.crossDot = brush(dishColour::cross);
    ink.stripBackground = brush(dishColour::stripBackground);
    return ink;
}

void deleteDishInk(DishInk& ink)
{
    const HGDIOBJ objects[] = {ink.textFont,  ink.labelFont, ink.skyGrid,        ink.horizon,
                               ink.arc,       ink.nearest,   ink.cross,          ink.beam,
                               ink.frame,     ink.stripGrid, ink.carrierToNoise, ink.quality,
                               ink.threshold, ink.need,      ink.lock,           ink.loss,
                               ink.paper,     ink.sky,       ink.ground,         ink.satellite,
                               ink.target,    ink.beamArea,  ink.crossDot,       ink.stripBackground,
                               ink.level,     ink.motorPath};
    for (HGDIOBJ object : objects)
        if (object) DeleteObject(object);
    ink = DishInk{};
}

// The pointing cross's arms, in pixels.
static const int crossArm = 7;

static void fill(HDC dc, int left, int top, int right, int bottom, HBRUSH with)
{
    const RECT area = {left, top, right, bottom};
    FillRect(dc, &area, with);
}

static void line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// `down` pixels lower than the points say.
static void polyline(HDC dc, const std::vector<PixelPoint>& points, int down = 0)
{
    if (points.size() == 1) {
        // A single sample still shows.
        line(dc, points[0].x, points[0].y + down, points[0].x + 1, points[0].y + down);
        return;
    }
    std::vector<POINT> at;
    at.reserve(points.size());
    for (const PixelPoint& p : points) at.push_back(POINT{p.x, p.y + down});
    if (!at.empty()) Polyline(dc, at.data(), static_cast<int>(at.size()));
}

static void outline(HDC dc, const PixelRect& rect)
{
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1);
    SelectObject(dc, oldBrush);
}

static uint32_t labelColour(LabelKind kind)
{
    switch (kind) {
    case AxisLabel: return dishColour::axis;
    case TargetLabel: return dishColour::targetName;
    case NearestLabel: return dishColour::nearestName;
    case PointerLabel: return dishColour::text;
    case BeamLabel: return dishColour::beamName;
    case NoteLabel: return dishColour::note;
    case CarrierToNoiseLabel: return dishColour::carrierToNoise;
    case QualityLabel: return dishColour::quality;
    case LevelLabel: return dishColour::level;
    case ThresholdLabel: return dishColour::threshold;
    case NeedLabel: return dishColour::need;
    case LockLabel: return dishColour::lock;
    case LossLabel: return dishColour::loss;
    }
    return dishColour::text;
}

static void drawLabels(HDC dc, const std::vector<PictureLabel>& labels, const DishInk& ink)
{
    HGDIOBJ oldFont = SelectObject(dc, ink.labelFont);
    SetBkMode(dc, TRANSPARENT);
    for (const PictureLabel& label : labels) {
        const UINT align = label.align == AlignLeft ? TA_LEFT : label.align == AlignRight ? TA_RIGHT : TA_CENTER;
        SetTextAlign(dc, TA_TOP | align);
        SetTextColor(dc, colourOf(labelColour(label.kind)));
        TextOutA(dc, label.at.x, label.at.y, label.text.c_str(), static_cast<int>(label.text.size()));
    }
    SetTextAlign(dc, TA_TOP | TA_LEFT);
    SelectObject(dc, oldFont);
}

// A chart's frame and its labels, drawn after its clipped plot.
static void frameAndLabel(HDC dc, const PixelRect& plot, const std::vector<PictureLabel>& labels, const DishInk& ink)
{
    HGDIOBJ oldPen = SelectObject(dc, ink.frame);
    outline(dc, plot);
    SelectObject(dc, oldPen);
    drawLabels(dc, labels, ink);
}

static void drawSky(HDC dc, const SkyPicture& sky, const DishInk& ink)
{
    const PixelRect& plot = sky.chart.plot;
    fill(dc, plot.left, plot.top, plot.right, sky.horizonY, ink.sky);
    fill(dc, plot.left, sky.horizonY, plot.right, plot.bottom, ink.ground);

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, plot.left, plot.top, plot.right, plot.bottom);
    HGDIOBJ oldPen = SelectObject(dc, ink.skyGrid);
    for (int x : sky.gridX) line(dc, x, plot.top, x, sky.horizonY);
    for (int y : sky.gridY) line(dc, plot.left, y, plot.right, y);
    SelectObject(dc, ink.horizon);
    line(dc, plot.left, sky.horizonY, plot.right, sky.horizonY);
    SelectObject(dc, ink.arc);
    polyline(dc, sky.arc);
    if (!sky.motorPath.empty()) {
        SelectObject(dc, ink.motorPath);
        polyline(dc, sky.motorPath);
        HGDIOBJ hollow = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, sky.motorAt.x - 4, sky.motorAt.y - 4, sky.motorAt.x + 5, sky.motorAt.y + 5);
        SelectObject(dc, hollow);
    }
    drawLabels(dc, sky.underSight, ink);
    // The beam as a pale disc under the satellites, so that those inside it show.
    const PixelPoint& c = sky.cross;
    SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, ink.beamArea);
    Ellipse(dc, c.x - sky.beamAcross, c.y - sky.beamUp, c.x + sky.beamAcross + 2, c.y + sky.beamUp + 2);
    for (const SkyMark& mark : sky.marks)
        fill(dc, mark.at.x - 2, mark.at.y - 2, mark.at.x + 3, mark.at.y + 3, ink.satellite);

    SelectObject(dc, GetStockObject(NULL_BRUSH));
    if (sky.hasNearest) {
        SelectObject(dc, ink.nearest);
        Ellipse(dc, sky.nearest.x - 6, sky.nearest.y - 6, sky.nearest.x + 7, sky.nearest.y + 7);
    }
    if (sky.hasTarget) fill(dc, sky.target.x - 3, sky.target.y - 3, sky.target.x + 4, sky.target.y + 4, ink.target);
    SelectObject(dc, ink.beam);
    Ellipse(dc, c.x - sky.beamAcross, c.y - sky.beamUp, c.x + sky.beamAcross + 1, c.y + sky.beamUp + 1);
    // A sight: four arms outside the circle and a dot at its centre.
    SelectObject(dc, ink.cross);
    const int across = sky.beamAcross + 2, up = sky.beamUp + 2;
    line(dc, c.x - across - crossArm, c.y, c.x - across, c.y);
    line(dc, c.x + across + 1, c.y, c.x + across + crossArm + 1, c.y);
    line(dc, c.x, c.y - up - crossArm, c.x, c.y - up);
    line(dc, c.x, c.y + up + 1, c.x, c.y + up + crossArm + 1);
    fill(dc, c.x - 1, c.y - 1, c.x + 2, c.y + 2, ink.crossDot);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    RestoreDC(dc, saved);

    frameAndLabel(dc, plot, sky.labels, ink);
}

static void drawStrip(HDC dc, const StripPicture& strip, const DishInk& ink)
{
    const PixelRect& plot = strip.plot;
    fill(dc, plot.left, plot.top, plot.right, plot.bottom, ink.stripBackground);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, plot.left, plot.top, plot.right, plot.bottom);
    HGDIOBJ oldPen = SelectObject(dc, ink.stripGrid);
    for (int x : strip.gridX) line(dc, x, plot.top, x, plot.bottom);
    for (int y : strip.gridY) line(dc, plot.left, y, plot.right, y);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, ink.threshold);
    if (strip.thresholdY >= 0) line(dc, plot.left, strip.thresholdY, plot.right, strip.thresholdY);
    if (strip.needY >= 0) {
        SelectObject(dc, ink.need);
        line(dc, plot.left, strip.needY, plot.right, strip.needY);
    }
    for (const LockLine& lockLine : strip.lockLines) {
        SelectObject(dc, lockLine.locked ? ink.lock : ink.loss);
        line(dc, lockLine.x, plot.top, lockLine.x, plot.bottom);
    }
    SelectObject(dc, ink.quality);
    polyline(dc, strip.quality);
    SelectObject(dc, ink.level);
    for (const std::vector<PixelPoint>& run : strip.level) polyline(dc, run);
    // Two pixels thick as two thin lines a row apart: a wide pen costs
    // several times as much.
    SelectObject(dc, ink.carrierToNoise);
    for (const std::vector<PixelPoint>& run : strip.carrierToNoise) {
        polyline(dc, run);
        polyline(dc, run, 1);
    }
    SelectObject(dc, oldPen);
    RestoreDC(dc, saved);

    frameAndLabel(dc, plot, strip.labels, ink);
}

static uint32_t marginColour(MarginVerdict verdict)
{
    switch (verdict) {
    case MarginGood: return dishColour::lockedText;
    case MarginMarginal: return dishColour::marginalText;
    case MarginFailing: break;
    }
    return dishColour::unlockedText;
}

static void drawText(HDC dc, const DishPicture& picture, const DishInk& ink)
{
    HGDIOBJ oldFont = SelectObject(dc, ink.textFont);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    const int lineHeight = metrics.tmHeight + 1;
    SetBkMode(dc, TRANSPARENT);
    int y = picture.text.top + 4;
    for (size_t i = 0; i < picture.lines.size(); ++i) {
        const bool signalLine =
            static_cast<int>(i) >= picture.signalLine && static_cast<int>(i) < picture.signalLine + picture.signalLines;
        const bool warning = static_cast<int>(i) == picture.warningLine;
        const bool margin = static_cast<int>(i) == picture.marginLine && picture.marginKnown;
        const uint32_t colour = warning      ? dishColour::unlockedText
                                : signalLine ? (picture.locked ? dishColour::lockedText : dishColour::unlockedText)
                                : margin     ? marginColour(picture.marginVerdict)
                                             : dishColour::text;
        SetTextColor(dc, colourOf(colour));
        const std::string& text = picture.lines[i];
        TextOutA(dc, picture.text.left + 6, y + 1, text.c_str(), static_cast<int>(text.size()));
        y += lineHeight;
    }
    SelectObject(dc, oldFont);
}

void drawDishPicture(HDC dc, const DishPicture& picture, const DishInk& ink)
{
    fill(dc, 0, 0, picture.width, picture.height, ink.paper);
    drawSky(dc, picture.sky, ink);
    drawStrip(dc, picture.strip, ink);
    drawText(dc, picture, ink);
}
