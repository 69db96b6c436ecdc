#include "sim/dish/dish_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_motor_picture.h"

// Grid lines no closer than this.
static const double leastGridGapPx = 40.0;
static const double leastElevationGapPx = 18.0;
static const int nameRoom = 28;
// A name further than this from the plot's side is centred on its mark.
static const int sideRoomPx = 90;
// The label font's characters are at most this wide on average.
static const int labelCharacterPx = 7;
// "lock at 4 dB" and a gap.
static const int lockLabelRoomPx = 80;
// The level's name beside the C/N's over the strip chart.
static const int levelLabelAtPx = 52;

static int rounded(double value) { return static_cast<int>(std::lround(value)); }

static std::string numberText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
}

static std::string azimuthName(double azimuthDeg)
{
    const int degrees = (rounded(azimuthDeg) % 360 + 360) % 360;
    switch (degrees) {
    case 0: return "N";
    case 90: return "E";
    case 180: return "S";
    case 270: return "W";
    }
    return std::to_string(degrees);
}

// The smallest of the steps that keeps grid lines `leastGap` apart.
static double gridStep(double pixelsPerDegree, double leastGap)
{
    static const double steps[] = {5.0, 10.0, 15.0, 30.0, 45.0, 90.0};
    for (double step : steps)
        if (step * pixelsPerDegree >= leastGap) return step;
    return 90.0;
}

const SkyMark* markOf(const std::vector<SkyMark>& marks, int satellite)
{
    for (const SkyMark& mark : marks)
        if (mark.satellite == satellite) return &mark;
    return nullptr;
}

// A satellite's name beside its mark, above or below it, kept clear of the
// plot's sides.
static PictureLabel nameLabel(const SkyChart& chart, PixelPoint mark, const std::string& name, bool above,
                              LabelKind kind)
{
    const PixelRect& plot = chart.plot;
    int y = above ? mark.y - 6 - dishLabelHeight : mark.y + 6;
    if (y < plot.top) y = mark.y + 6;
    if (y + dishLabelHeight > plot.bottom) y = mark.y - 6 - dishLabelHeight;
    PictureLabel label{{mark.x, y}, shortSatelliteName(name, nameRoom), AlignCentre, kind};
    if (mark.x - plot.left < sideRoomPx) label = PictureLabel{{mark.x - 4, y}, label.text, AlignLeft, kind};
    if (plot.right - mark.x < sideRoomPx) label = PictureLabel{{mark.x + 4, y}, label.text, AlignRight, kind};
    return label;
}

// Whether a centred label's text would lie over a mark, a generous
// pixels a character wide.
static bool coversAMark(const PictureLabel& label, const std::vector<SkyMark>& marks)
{
    const int half = static_cast<int>(label.text.size()) * labelCharacterPx / 2 + 3;
    for (const SkyMark& mark : marks)
        if (mark.at.x >= label.at.x - half && mark.at.x <= label.at.x + half && mark.at.y >= label.at.y - 3 &&
            mark.at.y <= label.at.y + dishLabelHeight + 3)
            return true;
    return false;
}

static SkyPicture skyPicture(const DishModel& model, const DishView& view, const DishLayout& layout, int hoverSatellite)
{
    SkyPicture sky{};
    sky.chart = layout.sky;
    const SkyChart& chart = sky.chart;
    const SkyRange& range = chart.range;
    const PixelRect& plot = chart.plot;
    sky.horizonY = rounded(skyY(chart, 0.0));

    const double azimuthStep = gridStep(pixelsPerDegreeAcross(chart), leastGridGapPx);
    for (double az = azimuthStep * std::ceil(range.azimuthFromDeg / azimuthStep); az <= range.azimuthToDeg;
         az += azimuthStep) {
        const int x = rounded(skyX(chart, az));
        sky.gridX.push_back(x);
        sky.labels.push_back(PictureLabel{{x, plot.bottom + 2}, azimuthName(az), AlignCentre, AxisLabel});
    }
    const double elevationStep = gridStep(pixelsPerDegreeUp(chart), leastElevationGapPx);
    for (double el = 0.0; el <= range.elevationToDeg; el += elevationStep) {
        const int y = rounded(skyY(chart, el));
        if (el > 0.0) sky.gridY.push_back(y);
        sky.labels.push_back(
            PictureLabel{{plot.left - 4, y - dishLabelHeight / 2}, numberText(el), AlignRight, AxisLabel});
    }

    sky.arc = layout.arc;
    sky.marks = satelliteMarks(chart, model.site, model.sky);
    const SkyMark* target = markOf(sky.marks, view.tunedSatellite);
    const SkyMark* nearest = markOf(sky.marks, view.nearest);
    const SkyMark* hover = markOf(sky.marks, hoverSatellite);
    sky.hasTarget = target != nullptr;
    sky.hasNearest = nearest != nullptr;
    if (target) {
        sky.target = target->at;
        sky.labels.push_back(nameLabel(chart, target->at, view.targetName, true, TargetLabel));
    }
    if (nearest) {
        sky.nearest = nearest->at;
        if (nearest != target)
            sky.labels.push_back(nameLabel(chart, nearest->at, view.nearestName, false, NearestLabel));
    }
    if (hover && hover != target && hover != nearest)
        sky.labels.push_back(
            nameLabel(chart, hover->at, model.sky[static_cast<size_t>(hover->satellite)].name, true, PointerLabel));

    const PixelPoint pointing = skyToPixel(chart, view.pointing.azimuthDeg, view.pointing.elevationDeg);
    sky.cross = clampedToPlot(chart, pointing);
    const CardTuning& tuning = view.tuning;
    const double frequency =
        tuning.tuned && tuning.frequencyMHz >= 1000 ? tuning.frequencyMHz : untunedBeamFrequencyMHz;
    const double beamwidth = beamwidthDeg(frequency, view.diameterM);
    const BeamSize beam = beamSize(chart, beamwidth, view.pointing.elevationDeg);
    sky.beamAcross = std::max(2, rounded(beam.acrossPx));
    sky.beamUp = std::max(2, rounded(beam.upPx));
    char beamText[64];
    std::snprintf(beamText, sizeof beamText, "beam %.1f deg, %s band", beamwidth, isCBand(frequency) ? "C" : "Ku");
    sky.labels.push_back(PictureLabel{{plot.right - 4, plot.top + 2}, beamText, AlignRight, BeamLabel});

    int noteY = plot.top + 2;
    const MotorPicture motor = motorPicture(chart, model);
    sky.motorPath = motor.path;
    sky.motorAt = motor.at;
    if (!motor.words.empty()) {
        sky.labels.push_back(PictureLabel{{plot.left + 4, noteY}, motor.words, AlignLeft, NoteLabel});
        noteY += dishLabelHeight;
    }
    if (!(pointing == sky.cross)) {
        sky.labels.push_back(
            PictureLabel{{plot.left + 4, noteY}, "the dish points off the chart", AlignLeft, NoteLabel});
        noteY += dishLabelHeight;
    }
    if (view.tunedSatellite >= 0 && !target)
        sky.labels.push_back(PictureLabel{{plot.left + 4, noteY},
                                          shortSatelliteName(view.targetName, nameRoom) + " is below the horizon",
                                          AlignLeft,
                                          NoteLabel});
    // Where to point, inside the arc's dome just above the horizon, the
    // widest line lowest, under the sight: a line that would cover a
    // satellite's mark (the window is narrow) is left out rather than drawn
    // over it.
    int pointY = sky.horizonY - 2 - dishLabelHeight;
    for (auto line = view.whereToPoint.rbegin(); line != view.whereToPoint.rend(); ++line) {
        const PictureLabel label{{(plot.left + plot.right) / 2, pointY}, *line, AlignCentre, NoteLabel};
        if (coversAMark(label, sky.marks)) continue;
        sky.underSight.push_back(label);
        pointY -= dishLabelHeight;
    }
    return sky;
}

static StripPicture stripPicture(const DishView& view, const SignalHistory& history, const DishLayout& layout)
{
    StripPicture strip{};
    strip.plot = layout.stripPlot;
    const PixelRect& plot = strip.plot;
    const StripChart chart = stripChartFor(plot, history);
    const int labelTop = plot.top - dishLabelHeight - 2;
    strip.labels.push_back(PictureLabel{{plot.left, labelTop}, "C/N dB", AlignLeft, CarrierToNoiseLabel});
    strip.labels.push_back(PictureLabel{{plot.left + levelLabelAtPx, labelTop}, "level", AlignLeft, LevelLabel});
    strip.labels.push_back(PictureLabel{{plot.right, labelTop}, "quality %", AlignRight, QualityLabel});

    for (int step = 0; step <= 6; ++step) {
        const int x = rounded(stripX(chart, chart.newestMs - static_cast<uint32_t>(step) * 10000u));
        strip.gridX.push_back(x);
        const std::string text = step == 0 ? "now" : "-" + std::to_string(step * 10) + " s";
        strip.labels.push_back(
            PictureLabel{{x, plot.bottom + 2}, text, step == 6 ? AlignLeft : AlignCentre, AxisLabel});
    }
    for (int step = 0; step <= 5; ++step) {
        const double db = stripLowestDb + 5.0 * step;
        const int y = rounded(stripYOfCarrierToNoise(chart, db));
        strip.gridY.push_back(y);
        const int top = y - dishLabelHeight / 2;
        strip.labels.push_back(PictureLabel{{plot.left - 4, top}, numberText(db), AlignRight, AxisLabel});
        strip.labels.push_back(PictureLabel{{plot.right + 4, top}, numberText(20.0 * step), AlignLeft, AxisLabel});
    }
    strip.thresholdY = -1;
    if (std::isfinite(view.lockThresholdDb)) {
        strip.thresholdY = rounded(stripYOfCarrierToNoise(chart, view.lockThresholdDb));
        char text[32];
        std::snprintf(text, sizeof text, "lock at %.1f dB", view.lockThresholdDb);
        // At the old end, clear of the newest samples.
        strip.labels.push_back(
            PictureLabel{{plot.left + 4, strip.thresholdY - dishLabelHeight}, text, AlignLeft, ThresholdLabel});
    }

    strip.needY = -1;
    if (view.margin.choice.source != SourceUnknown) {
        strip.needY = rounded(stripYOfCarrierToNoise(chart, view.margin.thresholdDb));
        char text[64];
        std::snprintf(text, sizeof text, "%s needs %.1f dB", modcodText(view.margin.choice.modcod).c_str(),
                      view.margin.thresholdDb);
        // Beside the lock's label, which it may come near.
        strip.labels.push_back(
            PictureLabel{{plot.left + 4 + lockLabelRoomPx, strip.needY - dishLabelHeight}, text, AlignLeft, NeedLabel});
    }

    strip.carrierToNoise = carrierToNoiseTrace(chart, history);
    strip.level = levelTrace(chart, history);
    strip.quality = qualityTrace(chart, history);
    for (const LockEvent& event : history.events) {
        const int x = rounded(stripX(chart, event.timeMs));
        if (x < plot.left || x >= plot.right) continue;
        strip.lockLines.push_back(LockLine{x, event.locked});
        strip.labels.push_back(PictureLabel{
            {x + 3, plot.top + 1}, event.locked ? "lock" : "lost", AlignLeft, event.locked ? LockLabel : LossLabel});
    }
    if (!view.tuning.tuned)
        strip.labels.push_back(PictureLabel{{(plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2 - 6},
                                            "nothing tuned yet",
                                            AlignCentre,
                                            NoteLabel});
    return strip;
}

// Vectors of these compare through these.
static bool operator==(const SkyMark& a, const SkyMark& b) { return a.satellite == b.satellite && a.at == b.at; }

static bool operator==(const PictureLabel& a, const PictureLabel& b)
{
    return a.at == b.at && a.text == b.text && a.align == b.align && a.kind == b.kind;
}

static bool operator==(const LockLine& a, const LockLine& b) { return a.x == b.x && a.locked == b.locked; }

static bool operator==(const SkyPicture& a, const SkyPicture& b)
{
    return a.chart == b.chart && a.horizonY == b.horizonY && a.gridX == b.gridX && a.gridY == b.gridY &&
           a.arc == b.arc && a.marks == b.marks && a.hasTarget == b.hasTarget && a.hasNearest == b.hasNearest &&
           a.target == b.target && a.nearest == b.nearest && a.cross == b.cross && a.beamAcross == b.beamAcross &&
           a.beamUp == b.beamUp && a.labels == b.labels && a.underSight == b.underSight && a.motorPath == b.motorPath &&
           a.motorAt == b.motorAt;
}

static bool operator==(const StripPicture& a, const StripPicture& b)
{
    return a.plot == b.plot && a.gridX == b.gridX && a.gridY == b.gridY && a.thresholdY == b.thresholdY &&
           a.needY == b.needY && a.carrierToNoise == b.carrierToNoise && a.quality == b.quality && a.level == b.level &&
           a.lockLines == b.lockLines && a.labels == b.labels;
}

bool operator==(const DishPicture& a, const DishPicture& b)
{
    return a.width == b.width && a.height == b.height && a.sky == b.sky && a.strip == b.strip && a.text == b.text &&
           a.lines == b.lines && a.signalLine == b.signalLine && a.signalLines == b.signalLines &&
           a.warningLine == b.warningLine && a.locked == b.locked && a.marginLine == b.marginLine &&
           a.marginKnown == b.marginKnown && a.marginVerdict == b.marginVerdict;
}

SignalSample sampleOf(const DishView& view, uint32_t nowMs)
{
    const bool measured = view.verdict == TooWeak || view.verdict == Locked;
    SignalSample sample{nowMs, measured, measured ? view.carrierToNoiseDb : 0.0, view.quality, view.verdict == Locked};
    sample.hasLevel = std::isfinite(view.levelAboveNoiseDb);
    sample.levelAboveNoiseDb = sample.hasLevel ? view.levelAboveNoiseDb : 0.0;
    return sample;
}

DishPicture dishPicture(const DishModel& model, const DishView& view, const SignalHistory& history,
                        const DishLayout& layout, int hoverSatellite)
{
    DishPicture picture{};
    picture.width = layout.text.right;
    picture.height = layout.text.bottom;
    picture.sky = skyPicture(model, view, layout, hoverSatellite);
    picture.strip = stripPicture(view, history, layout);
    picture.text = layout.text;
    picture.lines = dishWindowLines(view);
    picture.signalLine = picture.warningLine = picture.marginLine = -1;
    for (size_t i = 0; i < picture.lines.size(); ++i) {
        if (picture.lines[i].compare(0, 7, "Signal ") == 0) picture.signalLine = static_cast<int>(i);
        if (picture.lines[i].compare(0, sizeof marginLinePrefix - 1, marginLinePrefix) == 0)
            picture.marginLine = static_cast<int>(i);
        if (picture.lines[i].compare(0, sizeof wrongSatelliteLine - 1, wrongSatelliteLine) == 0)
            picture.warningLine = static_cast<int>(i);
    }
    // A long signal text goes on to the lines up to the margin's.
    picture.signalLines = picture.signalLine >= 0 && picture.marginLine > picture.signalLine
                              ? picture.marginLine - picture.signalLine
                              : 1;
    picture.locked = view.verdict == Locked;
    picture.marginKnown = view.margin.state == MarginKnown;
    picture.marginVerdict = view.margin.verdict;
    return picture;
}
