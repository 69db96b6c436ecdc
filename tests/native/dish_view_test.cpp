// The lines of the simulated dish's window.
#include <gtest/gtest.h>

#include "sim/dish/dish_view.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

static DishView sampleView()
{
    DishView view{};
    view.site = {55.75, 37.62};
    view.diameterM = 0.8;
    view.pointing = {209.04, 22.7, 16.0};
    view.nearestName = "HotBird1-6   13.0e";
    view.nearestOffAxisDeg = 0.0412;
    view.tuning.tuned = true;
    view.tuning.frequencyMHz = 10723;
    view.tuning.polarization = 0;
    view.tuning.symbolRate = 29900;
    view.tuning.diseqcCode = 1;
    view.targetName = "HotBird1-6   13.0e";
    view.target = {209.0, 22.75, 15.98};
    view.targetOffAxisDeg = 0.0412;
    view.skewErrorDeg = 0.02;
    view.verdict = Locked;
    view.carrierToNoiseDb = 13.57;
    view.quality = 81;
    MarginInputs margin;
    margin.locked = margin.carrierToNoiseInDecibels = true;
    margin.carrierToNoiseDb = 13.57;
    margin.tuner = knownWord(Modcod{ModDvbS2, Mod8psk, 3, 4});
    view.margin = linkMargin(margin);
    return view;
}

TEST(DishView, LinesOfAnAlignedDish)
{
    const std::vector<std::string> expected = {
        "Site   55.75N 37.62E, dish 0.80 m",
        "Dish   az 209.0  el 22.7  skew +16.0",
        "Near   HotBird1-6 13.0e",
        "       0.04 deg off axis",
        "Tuned  10723 H 29900, DiSEqC A",
        "Target HotBird1-6 13.0e",
        "       az 209.0  el 22.8  skew +16.0",
        "Error  0.04 deg, skew +0.0",
        "Signal C/N 13.6 dB, locked, 81 %",
        "Margin +5.4 dB good, S2-8PSK-3/4",
        "Net    -",
        "",
        "Drag on the chart to steer, Shift fine",
        "Double-click a satellite: aim near it",
        "Arrows 0.1 deg, with Shift 1 deg",
        "[ ] or PgDn PgUp: skew 1, Shift 5",
    };
    EXPECT_EQ(expected, dishWindowLines(sampleView()));
}

TEST(DishView, WhyThereIsNoLock)
{
    DishView view = sampleView();
    const std::pair<DishVerdict, const char*> reasons[] = {
        {NotTuned, "Signal no lock: not tuned"},
        {NoLnbOnPort, "Signal no lock: no LNB on DiSEqC A"},
        {WrongLnbBand, "Signal no lock: LNB band or LO wrong"},
        {ToneLost, "Signal no lock: no 22 kHz tone at LNB"},
        {EighteenLost, "Signal no lock: no 18 V at LNB"},
        {NoTransponder, "Signal no lock: no such transponder"},
        {BelowHorizon, "Signal no lock: below the horizon"},
        {TooWeak, "Signal C/N 13.6 dB, no lock"},
    };
    for (const auto& reason : reasons) {
        view.verdict = reason.first;
        EXPECT_EQ(reason.second, dishWindowLines(view)[8]);
    }
    view.carrierToNoiseDb = -7.04;
    EXPECT_EQ("Signal C/N -7.0 dB, no lock", dishWindowLines(view)[8]);

    view.tuning.tuned = false;
    view.site = {-33.9, -70.65};
    view.pointing.skewDeg = -5.0;
    view.nearestName.clear();
    view.targetName.clear();
    const std::vector<std::string> lines = dishWindowLines(view);
    ASSERT_EQ(16u, lines.size());
    EXPECT_EQ("Site   33.90S 70.65W, dish 0.80 m", lines[0]);
    EXPECT_EQ("Dish   az 209.0  el 22.7  skew -5.0", lines[1]);
    EXPECT_EQ("Near   no satellite above the horizon", lines[2]);
    EXPECT_EQ("", lines[3]);
    EXPECT_EQ("Tuned  nothing yet", lines[4]);
    EXPECT_EQ("Target none", lines[5]);
    EXPECT_EQ("", lines[6]);
    EXPECT_EQ("", lines[7]);

    view.tuning.tuned = true;
    view.tuning.polarization = 3;
    view.tuning.diseqcCode = 6;
    EXPECT_EQ("Tuned  10723 - 29900, DiSEqC BB", dishWindowLines(view)[4]);
    view.tuning.diseqcCode = 9;
    EXPECT_EQ("Tuned  10723 - 29900, DiSEqC 9", dishWindowLines(view)[4]);
}

// The network's own word: read a while after the lock, then the satellite
// the dish really sees, and a warning in its own line when it is not the
// one the catalogue expected.
TEST(DishView, TheNetworkSaysWhichSatelliteTheDishSees)
{
    DishView view = sampleView();
    const auto networkLines = [&view] {
        const std::vector<std::string> lines = dishWindowLines(view);
        return std::vector<std::string>(lines.begin() + 10, lines.begin() + 12);
    };
    view.network.state = NetworkReading;
    EXPECT_EQ((std::vector<std::string>{"Net    reading the network table", ""}), networkLines());
    view.network.state = NetworkNoInformation;
    EXPECT_EQ((std::vector<std::string>{"Net    no network information", ""}), networkLines());

    view.network.state = NetworkKnown;
    view.network.identity.known = true;
    view.network.identity.networkName = "Eutelsat W2";
    view.network.identity.certainty = PositionOfStream;
    view.network.identity.position = 160;
    view.expected = {130};
    EXPECT_EQ((std::vector<std::string>{"Net    Eutelsat W2 16.0E", "       wrong satellite: expected 13.0E"}),
              networkLines());
    view.expected = {160};
    EXPECT_EQ((std::vector<std::string>{"Net    Eutelsat W2 16.0E", "       the satellite expected"}), networkLines());
    view.expected.clear();  // a typed entry expects nothing
    EXPECT_EQ((std::vector<std::string>{"Net    Eutelsat W2 16.0E", ""}), networkLines());
    view.expected = {130};
    view.network.identity.certainty = PositionMostCommon;  // the stream's own entry not found
    EXPECT_EQ((std::vector<std::string>{"Net    Eutelsat W2 16.0E?", ""}), networkLines()) << "never wrong";
    view.network.identity.certainty = PositionUnknown;
    EXPECT_EQ((std::vector<std::string>{"Net    Eutelsat W2 position unknown", ""}), networkLines()) << "never wrong";
    for (const std::string& line : dishWindowLines(view)) EXPECT_LE(line.size(), dishLineWidth);
}

// The margin the card gave with its latest reading, or why there is none.
TEST(DishView, TheMarginFallsWithTheCarrierToNoiseAndSaysWhyWhenUnknown)
{
    DishView view = sampleView();
    const auto marginLine = [&view] { return dishWindowLines(view)[9]; };
    MarginInputs inputs;
    inputs.locked = inputs.carrierToNoiseInDecibels = true;
    inputs.tuner = knownWord(Modcod{ModDvbS, ModQpsk, 3, 4});  // needs 6.91 dB
    inputs.carrierToNoiseDb = 8.0;
    view.margin = linkMargin(inputs);
    EXPECT_EQ("Margin +1.1 dB marginal, S-QPSK-3/4", marginLine());
    inputs.carrierToNoiseDb = 4.5;
    view.margin = linkMargin(inputs);
    EXPECT_EQ("Margin -2.4 dB failing, S-QPSK-3/4", marginLine());
    inputs.tuner = missingWord(GapNotReported);
    view.margin = linkMargin(inputs);
    EXPECT_EQ("Margin unknown: modulation unknown", marginLine());
    inputs.carrierToNoiseInDecibels = false;
    view.margin = linkMargin(inputs);
    EXPECT_EQ("Margin unknown: no C/N in dB", marginLine());
    inputs.tuner = knownWord(Modcod{ModDvbS2, Mod32apsk, 9, 10});
    inputs.carrierToNoiseInDecibels = true;
    inputs.carrierToNoiseDb = -5.0;
    view.margin = linkMargin(inputs);
    EXPECT_EQ("Margin -21.4 dB failing, S2-32APSK-9/10", marginLine());
    EXPECT_LE(marginLine().size(), dishLineWidth);
}

TEST(DishView, EverySatelliteFitsTheWindow)
{
    const std::vector<Satellite> sky = skyFromCatalogue(committedFile("resources/satellite.ini"));
    ASSERT_FALSE(sky.empty());
    DishSetup setup;
    setup.aimed = true;
    setup.site = {0.0, 0.0};  // the whole arc from here to the horizon
    for (const Satellite& satellite : sky) {
        setup.aimLongitudeDeg = satellite.longitudeDeg;
        DishModel model = newDishModel(setup, sky);
        const Transponder& t = satellite.transponders.front();
        recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(t.frequencyMHz));
        recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(t.frequencyMHz));
        recordTuning(model, SetPolarityCall, t.polarization);
        recordTuning(model, SetSymbolRateCall, t.symbolRate);
        recordTuning(model, SetTransponderFrequencyCall, t.frequencyMHz);
        const DishView view = dishView(model, 0);
        for (const std::string& line : dishWindowLines(view)) EXPECT_LE(line.size(), dishLineWidth) << line;
        if (lookAngles(setup.site, satellite.longitudeDeg).direction.elevationDeg > 0) {
            EXPECT_EQ(satellite.name, view.targetName);
            EXPECT_NEAR(0.0, view.targetOffAxisDeg, 1e-6);
        }
    }
    // The long names lose their runs of blanks, not their positions.
    DishView view = sampleView();
    view.targetName = "Eurobird 1, Astra 2A,B,D   28.2e";
    EXPECT_EQ("Target Eurobird 1, Astra 2A,B,D 28.2e", dishWindowLines(view)[5]);
}
