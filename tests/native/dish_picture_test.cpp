// What the dish's window draws: the layout for its size, the marks, names,
// pointing and beam on the sky chart, the strip chart, and when the
// picture changes.
#include <cmath>
#include <gtest/gtest.h>

#include "sim/dish/dish_picture.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

namespace {

const std::vector<Satellite>& catalogueSky()
{
    static const std::vector<Satellite> sky = skyFromCatalogue(committedFile("resources/satellite.ini"));
    return sky;
}

static void tune(DishModel& model, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate)
{
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequencyMHz));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequencyMHz));
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    recordTuning(model, SetDiseqcCall, 0);
}

struct Window {
    DishModel model = newDishModel(DishSetup(), catalogueSky());
    SignalHistory history;
    DishLayout layout = dishLayout(900, 257, model.site);

    DishPicture picture(uint32_t nowMs = 0, int hover = -1)
    {
        const DishView view = dishView(model, nowMs);
        if (model.tuning.tuned) addSample(history, sampleOf(view, nowMs));
        return dishPicture(model, view, history, layout, hover);
    }
};

const PictureLabel* labelOf(const std::vector<PictureLabel>& labels, LabelKind kind)
{
    for (const PictureLabel& label : labels)
        if (label.kind == kind) return &label;
    return nullptr;
}

}  // namespace

TEST(DishLayout, PanelsTileTheWindowAtEverySize)
{
    const DishSite site{55.75, 37.62};
    for (const PixelPoint size :
         {PixelPoint{dishMinimumWidth, dishMinimumHeight}, PixelPoint{900, 257}, PixelPoint{1600, 1000}}) {
        const DishLayout layout = dishLayout(size.x, size.y, site);
        EXPECT_EQ((PixelRect{size.x - dishTextColumnWidth, 0, size.x, size.y}), layout.text);
        EXPECT_EQ((PixelRect{0, 0, layout.text.left, layout.stripPanel.top}), layout.skyPanel);
        EXPECT_EQ(size.y, layout.stripPanel.bottom);
        const PixelRect& sky = layout.sky.plot;
        const PixelRect& strip = layout.stripPlot;
        EXPECT_TRUE(contains(layout.skyPanel, {sky.left, sky.top}) && sky.right <= layout.skyPanel.right &&
                    sky.bottom <= layout.skyPanel.bottom);
        EXPECT_TRUE(contains(layout.stripPanel, {strip.left, strip.top}) && strip.right <= layout.stripPanel.right &&
                    strip.bottom <= layout.stripPanel.bottom);
        // Room for the readout's lines of 15 pixels, and plots worth drawing.
        EXPECT_LE(static_cast<int>(dishWindowLines(DishView{}).size()) * 15 + 8, layout.text.bottom);
        EXPECT_GT(sky.right - sky.left, 250);
        EXPECT_GT(sky.bottom - sky.top, 90);
        EXPECT_GT(strip.bottom - strip.top, 50);
    }
    // Smaller than the minimum is laid out as the minimum.
    EXPECT_EQ(dishLayout(dishMinimumWidth, dishMinimumHeight, site).sky, dishLayout(100, 50, site).sky);
}

TEST(DishPicture, BeforeTuningThePointingAndTheSatellitesButNoTarget)
{
    Window window;
    const DishPicture picture = window.picture();
    const SkyChart& chart = window.layout.sky;
    EXPECT_FALSE(picture.sky.hasTarget);
    EXPECT_EQ(nullptr, labelOf(picture.sky.labels, TargetLabel));
    EXPECT_EQ(skyToPixel(chart, 180.0, 20.0), picture.sky.cross);
    EXPECT_GT(picture.sky.marks.size(), 40u);  // the catalogue's satellites above Moscow's horizon
    ASSERT_TRUE(picture.sky.hasNearest);
    const PictureLabel* nearest = labelOf(picture.sky.labels, NearestLabel);
    ASSERT_NE(nullptr, nearest);
    EXPECT_EQ(shortSatelliteName(window.model.sky[static_cast<size_t>(dishView(window.model, 0).nearest)].name, 28),
              nearest->text);
    EXPECT_EQ("beam 2.2 deg, Ku band", labelOf(picture.sky.labels, BeamLabel)->text);
    EXPECT_EQ(static_cast<int>(std::lround(skyY(chart, 0.0))), picture.sky.horizonY);
    // The strip chart waits for a tuning.
    EXPECT_TRUE(picture.strip.carrierToNoise.empty());
    EXPECT_EQ("nothing tuned yet", labelOf(picture.strip.labels, NoteLabel)->text);
    EXPECT_EQ(-1, picture.strip.thresholdY);  // no transponder reached: no lock to draw
    EXPECT_EQ(nullptr, labelOf(picture.strip.labels, ThresholdLabel));
}

TEST(DishPicture, TheTunedSatelliteIsMarkedAndNamedAndTheBeamFollowsTheBand)
{
    Window window;
    tune(window.model, 10723, 0, 29900);  // HotBird 13.0e, far off the dish's axis
    DishPicture picture = window.picture();
    const DishPointing hotBird = lookAngles(window.model.site, 13.0).direction;
    ASSERT_TRUE(picture.sky.hasTarget);
    EXPECT_EQ(skyToPixel(window.layout.sky, hotBird.azimuthDeg, hotBird.elevationDeg), picture.sky.target);
    EXPECT_EQ("HotBird1-6 13.0e", labelOf(picture.sky.labels, TargetLabel)->text);
    EXPECT_NE(nullptr, labelOf(picture.sky.labels, NearestLabel));
    EXPECT_EQ("beam 2.4 deg, Ku band", labelOf(picture.sky.labels, BeamLabel)->text);
    const int kuBeam = picture.sky.beamUp;
    // Far off: a trace below the lock line and no lock.
    ASSERT_EQ(1u, picture.strip.carrierToNoise.size());
    EXPECT_GT(picture.strip.carrierToNoise[0].back().y, picture.strip.thresholdY);
    EXPECT_TRUE(picture.strip.lockLines.empty());

    // Aimed: the cross on the mark, one name, a lock line at the right edge.
    pointDish(window.model, hotBird);
    window.model.locked = true;
    picture = window.picture(200);
    EXPECT_EQ(picture.sky.target, picture.sky.cross);
    EXPECT_EQ(picture.sky.target, picture.sky.nearest);
    EXPECT_EQ(nullptr, labelOf(picture.sky.labels, NearestLabel));
    EXPECT_LT(picture.strip.carrierToNoise[0].back().y, picture.strip.thresholdY);
    ASSERT_EQ(1u, picture.strip.lockLines.size());
    EXPECT_TRUE(picture.strip.lockLines[0].locked);
    EXPECT_EQ(window.layout.stripPlot.right - 1, picture.strip.lockLines[0].x);

    // C band: a beam nearly three times as wide.
    tune(window.model, 3740, 1, 29270);
    picture = window.picture(300);
    EXPECT_EQ("beam 7.0 deg, C band", labelOf(picture.sky.labels, BeamLabel)->text);
    EXPECT_NEAR(2.87 * kuBeam, picture.sky.beamUp, 2.0);
}

TEST(DishPicture, NotesForAPointingOffTheChartAndATargetBelowTheHorizon)
{
    Window window;
    tune(window.model, 3740, 1, 29270);  // AMC1 103.0w, below Moscow's horizon
    pointDish(window.model, DishPointing{20.0, 60.0, 0.0});
    const DishPicture picture = window.picture();
    EXPECT_FALSE(picture.sky.hasTarget);
    std::vector<std::string> notes;
    for (const PictureLabel& label : picture.sky.labels)
        if (label.kind == NoteLabel) notes.push_back(label.text);
    EXPECT_EQ((std::vector<std::string>{"the dish points off the chart", "AMC1 103.0w is below the horizon"}), notes);
    EXPECT_EQ((PixelPoint{window.layout.sky.plot.left, window.layout.sky.plot.top}), picture.sky.cross);
}

TEST(DishPicture, ChangesOnlyWithWhatIsShown)
{
    Window window;
    const DishPicture first = window.picture();
    // A hundredth of a degree of skew shows nothing; a degree of azimuth does.
    window.model.pointing.skewDeg += 0.01;
    EXPECT_EQ(first, window.picture());
    window.model.pointing.azimuthDeg += 1.0;
    EXPECT_NE(first, window.picture());
    window.model.pointing.azimuthDeg -= 1.0;
    // The mouse pointer on a satellite names it.
    const SkyMark& mark = first.sky.marks.front().satellite == dishView(window.model, 0).nearest
                              ? first.sky.marks.back()
                              : first.sky.marks.front();
    const DishPicture hovered = window.picture(0, mark.satellite);
    EXPECT_NE(first, hovered);
    EXPECT_EQ(shortSatelliteName(window.model.sky[static_cast<size_t>(mark.satellite)].name, 28),
              labelOf(hovered.sky.labels, PointerLabel)->text);
    // Once tuned, every new sample moves the strip chart on.
    tune(window.model, 10723, 0, 29900);
    const DishPicture tuned = window.picture(1000);
    EXPECT_EQ(tuned.strip.carrierToNoise, window.picture(1050).strip.carrierToNoise);  // no new sample yet
    EXPECT_NE(tuned.strip.carrierToNoise, window.picture(1100).strip.carrierToNoise);
    // A new size, a new picture.
    window.layout = dishLayout(1000, 300, window.model.site);
    EXPECT_EQ(1000, window.picture(1150).width);
}

// What the locked modulation and code rate need is a line of its own under
// the C/N, so that the margin is the gap; the margin's line takes its
// verdict's colour.
TEST(DishPicture, TheNeedOfTheModulationIsALineUnderTheCarrierToNoise)
{
    Window window;
    tune(window.model, 10723, 0, 29900);
    pointDish(window.model, lookAngles(window.model.site, 13.0).direction);
    window.model.locked = true;
    DishView view = dishView(window.model, 200);
    addSample(window.history, sampleOf(view, 200));
    DishPicture picture = dishPicture(window.model, view, window.history, window.layout, -1);
    EXPECT_EQ(-1, picture.strip.needY);
    EXPECT_EQ(nullptr, labelOf(picture.strip.labels, NeedLabel));
    EXPECT_FALSE(picture.marginKnown);

    MarginInputs inputs;
    inputs.locked = inputs.carrierToNoiseInDecibels = true;
    inputs.carrierToNoiseDb = view.carrierToNoiseDb;
    inputs.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    view.margin = linkMargin(inputs);
    picture = dishPicture(window.model, view, window.history, window.layout, -1);
    const StripChart chart = stripChartFor(window.layout.stripPlot, window.history);
    EXPECT_EQ(static_cast<int>(std::lround(stripYOfCarrierToNoise(chart, 8.21))), picture.strip.needY);
    // Under the C/N and above the lock's line: a positive margin.
    EXPECT_GT(picture.strip.needY, picture.strip.carrierToNoise[0].back().y);
    EXPECT_LE(picture.strip.needY, picture.strip.thresholdY);  // it locks where its modulation needs
    ASSERT_NE(nullptr, labelOf(picture.strip.labels, NeedLabel));
    EXPECT_EQ("S2-8PSK-3/4 needs 8.2 dB", labelOf(picture.strip.labels, NeedLabel)->text);
    ASSERT_GE(picture.marginLine, 0);
    EXPECT_EQ(0, picture.lines[static_cast<size_t>(picture.marginLine)].compare(0, 7, "Margin "));
    EXPECT_TRUE(picture.marginKnown);
    EXPECT_EQ(MarginGood, picture.marginVerdict);
    // A weaker signal: a new verdict is a new picture.
    inputs.carrierToNoiseDb = 9.0;
    view.margin = linkMargin(inputs);
    const DishPicture weaker = dishPicture(window.model, view, window.history, window.layout, -1);
    EXPECT_EQ(MarginMarginal, weaker.marginVerdict);
    EXPECT_NE(picture, weaker);
}
