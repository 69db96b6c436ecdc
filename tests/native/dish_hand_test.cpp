// What a hand meets at the practice dish: the C/N measured once a refresh
// and told a refresh late with its own error, the other polarization
// leaking in through a turned LNB where it shares the frequency, the hand
// that goes past where it stops, and the guide's words in the window.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/peak/skew_chance.h"
#include "cardbase/sweep/carrier_spectrum.h"
#include "sim/card/scenario.h"
#include "sim/dish/dish_hand.h"
#include "sim/dish/dish_leakage.h"
#include "sim/dish/dish_network.h"
#include "sim/dish/dish_view.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

namespace {

const std::vector<Satellite>& practiceSky()
{
    static const std::vector<Satellite> sky = [] {
        std::vector<Satellite> built = skyFromCatalogue(committedFile("resources/satellite.ini"));
        addLookalikeTransponders(built);
        return built;
    }();
    return sky;
}

DishModel tunedAt(double longitudeDeg, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate,
                  DishSetup setup = DishSetup())
{
    setup.site = DishSite{51.5, -0.1};
    setup.aimed = true;
    setup.aimLongitudeDeg = longitudeDeg;
    DishModel model = newDishModel(setup, practiceSky());
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequencyMHz));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequencyMHz));
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    recordTuning(model, SetDiseqcCall, 0);
    return model;
}

}  // namespace

TEST(DishHand, TheCarrierToNoiseIsMeasuredOnceARefreshAndToldARefreshLate)
{
    std::string errors;
    const Scenario scenario = parseScenario("refresh 500\naim 19.2e\n", &errors);
    EXPECT_EQ("", errors);
    EXPECT_EQ(500u, scenario.dish.refreshMs);
    for (const char* bad : {"refresh 10\n", "refresh 20000\n", "refresh\n", "refresh 500 ms\n"}) {
        errors.clear();
        EXPECT_EQ(defaultDishRefreshMs, parseScenario(bad, &errors).dish.refreshMs) << bad;
        EXPECT_NE("", errors) << bad;
    }

    DishModel model = tunedAt(19.2, 12515, 0, 22000, scenario.dish);
    const double aimed = dishSignal(model, 1000).carrierToNoiseDb;
    ASSERT_TRUE(pollDish(model, 1000).locked);
    EXPECT_EQ(500u, pollDish(model, 1000).refreshMs);
    // Turned a degree away: the next refresh measures it, the one after tells it.
    model.pointing.azimuthDeg += 1.0;
    const double away = dishSignal(model, 1500).carrierToNoiseDb;
    ASSERT_LT(away, aimed - 1.0);
    EXPECT_NEAR(aimed, pollDish(model, 1400).snr, 0.2);  // the same refresh: the same figure
    EXPECT_NEAR(aimed, pollDish(model, 1500).snr, 0.2);
    EXPECT_NEAR(aimed, pollDish(model, 1900).snr, 0.2);
    EXPECT_NEAR(away, pollDish(model, 2000).snr, 0.2);
    // Each refresh's own error: within a tenth of a dB (and the figure's rounding).
    double lowest = 99.0, highest = -99.0;
    for (uint32_t t = 2500; t < 200000; t += 500) {
        const double error = pollDish(model, t).snr - dishSignal(model, t - 500).carrierToNoiseDb;
        lowest = std::fmin(lowest, error);
        highest = std::fmax(highest, error);
    }
    EXPECT_GE(lowest, -0.15 - 1e-6);
    EXPECT_LE(highest, 0.15 + 1e-6);
    EXPECT_GT(highest - lowest, 0.2);
}

TEST(DishHand, TheOtherPolarizationLeaksInThroughATurnedLnbWhereItSharesTheFrequency)
{
    // 19.2° E carries 12515 in both polarizations; its network lists both.
    DishModel model = tunedAt(19.2, 12515, 0, 22000);
    const Satellite& astra = model.sky[static_cast<size_t>(dishSignal(model, 0).satellite)];
    NetworkReport network;
    network.state = NetworkKnown;
    network.identity = satelliteNetwork(astra);
    EXPECT_EQ(SkewHere, judgeSkewChance(network, 12515, 0).kind);
    // HotBird's plan interleaves: no frequency of it is shared.
    DishModel hotBird = tunedAt(13.0, 10723, 0, 29900);
    network.identity = satelliteNetwork(hotBird.sky[static_cast<size_t>(dishSignal(hotBird, 0).satellite)]);
    EXPECT_NE(SkewHere, judgeSkewChance(network, 10723, 0).kind);

    // Against the leakage's rule: tan² of the turn below the other carrier,
    // the LNB's 30 dB by power sum, all by power sum with the noise.
    const double degree = 3.14159265358979323846 / 180.0;
    const DishPointing aimed = model.pointing;
    // The slow fading is the same for both carriers: taken off, put back.
    const double fade = scintillationDb(0, astra.longitudeDeg);
    const double cleanDb = dishSignal(model, 0).carrierToNoiseDb - fade;
    const Transponder* wanted = &astra.transponders[static_cast<size_t>(dishSignal(model, 0).transponder)];
    const Transponder* other = nullptr;
    for (const Transponder& t : astra.transponders)
        if (t.frequencyMHz == 12515 && t.polarization == 1) other = &t;
    ASSERT_NE(nullptr, other);
    // What of the other carrier falls in the channel, over the wanted one,
    // for a turn: tan² of it, and the LNB's own 1/1000 (over the cosine the wanted loses).
    const double share = carrierShareWithin(-11.0, 11.0, 22.0, rolloffOf(*other));
    const auto leakOverCarrier = [&](double turn) {
        const double c = std::cos(turn * degree);
        return std::pow(10.0, (other->eirpDbw - wanted->eirpDbw) / 10.0) * share *
               (std::pow(std::tan(turn * degree), 2) + 1e-3 / (c * c));
    };
    // Aimed, the LNB's own discrimination already leaks: the noise alone is what is left.
    const double noiseOverCarrier = std::pow(10.0, -cleanDb / 10.0) - leakOverCarrier(0.0);
    for (double turn : {2.0, 5.0, 10.0, 15.0}) {
        model.pointing.skewDeg = aimed.skewDeg + turn;
        const double cosineLoss = std::pow(std::cos(turn * degree), 2);
        const double expected = -10.0 * std::log10(noiseOverCarrier / cosineLoss + leakOverCarrier(turn));
        EXPECT_NEAR(expected + fade, dishSignal(model, 0).carrierToNoiseDb, 0.01) << turn;
    }
    model.pointing.skewDeg = aimed.skewDeg + 5.0;
    const double fiveDegrees = cleanDb + fade - dishSignal(model, 0).carrierToNoiseDb;
    EXPECT_GT(fiveDegrees, 0.5);
    EXPECT_LT(fiveDegrees, 1.2);
    // Nothing of the other polarization on the wanted one's frequency: the cosine alone.
    EXPECT_EQ(-INFINITY, crossPolarLeakageDbw(Satellite{"alone", 19.2, {astra.transponders[0]}}, astra.transponders[0],
                                              LinkPath{12515, 22000, 50, 38000, 28, 0, 5, 0.8}));
}

TEST(DishHand, AHandMovesATenthAtATimeAndGoesPastWhereItStops)
{
    DishModel model = tunedAt(19.2, 12515, 0, 22000);
    DishHand hand = newDishHand(7);
    const double start = axisDegrees(model, AzimuthAxis);
    handTurn(model, hand, AzimuthAxis, 0.5);                           // at most a tenth
    EXPECT_NEAR(start + 0.1, axisDegrees(model, AzimuthAxis), 0.006);  // kept on a hundredth
    double furthest = 0.0, nearest = 1.0;
    for (int i = 0; i < 200; ++i) {
        const double before = axisDegrees(model, AzimuthAxis);
        handTurn(model, hand, AzimuthAxis, -0.1);
        const double stopped = axisDegrees(model, AzimuthAxis);
        handStop(model, hand, AzimuthAxis);
        const double past = stopped - axisDegrees(model, AzimuthAxis);  // on the way it was turning
        EXPECT_GE(past, -1e-9);
        EXPECT_LE(past, 0.2 + 0.01);
        furthest = std::fmax(furthest, past);
        nearest = std::fmin(nearest, past);
        pointDish(model, DishPointing{before, model.pointing.elevationDeg, model.pointing.skewDeg});
    }
    EXPECT_GT(furthest, 0.15);
    EXPECT_LT(nearest, 0.05);
    // Towards a mark it slows for the last tenth and stops within a little of it.
    const double mark = start + 0.73;
    int moves = 0;
    while (!handTowards(model, hand, AzimuthAxis, mark)) ++moves;
    EXPECT_GE(moves, 7);
    EXPECT_LE(std::fabs(axisDegrees(model, AzimuthAxis) - mark), 0.05);
    EXPECT_DOUBLE_EQ(1.0, handMoveDeg(SkewAxis));
    EXPECT_DOUBLE_EQ(2.0, handOvershootDeg(SkewAxis));
}

TEST(DishHand, TheWindowSaysWhatTheGuideSays)
{
    DishModel model = tunedAt(19.2, 12515, 0, 22000);
    DishView view = dishView(model, 0);
    const size_t without = dishWindowLines(view).size();
    view.peak = "elevation: set the dish halfway between your marks";
    const std::vector<std::string> lines = dishWindowLines(view);
    const auto at = std::find(lines.begin(), lines.end(), "Peak   elevation: set the dish halfway");
    ASSERT_NE(lines.end(), at);
    EXPECT_EQ("       between your marks", *(at + 1));
    EXPECT_EQ(without, lines.size());  // the help gives way
}
