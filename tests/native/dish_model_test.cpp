// The simulated dish: its sky and the lock the card reports for a tuning and
// a pointing (the look angles, the antenna and the link budget:
// dish_link_test.cpp).
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_model.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

const std::vector<Satellite>& catalogueSky()
{
    static const std::vector<Satellite> sky = [] {
        return skyFromCatalogue(committedFile("resources/satellite.ini"));
    }();
    return sky;
}

static int satelliteAt(const DishModel& model, double longitudeDeg)
{
    for (size_t i = 0; i < model.sky.size(); ++i)
        if (std::fabs(model.sky[i].longitudeDeg - longitudeDeg) < 0.05) return static_cast<int>(i);
    return -1;
}

static DishModel aimedAt(double longitudeDeg, DishSetup setup = DishSetup())
{
    setup.aimed = true;
    setup.aimLongitudeDeg = longitudeDeg;
    return newDishModel(setup, catalogueSky());
}

// The six calls in the program's order, with its LNB rules.
static void tune(DishModel& model, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, int32_t diseqc = 0)
{
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequencyMHz));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequencyMHz));
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    recordTuning(model, SetDiseqcCall, diseqc);
}

static DishVerdict verdictOf(const DishModel& model) { return dishSignal(model, 0).verdict; }

TEST(DishSky, OneSatelliteAtEachCataloguePosition)
{
    double longitude = 0;
    EXPECT_TRUE(orbitalPosition("HotBird1-6   13.0e", &longitude));
    EXPECT_DOUBLE_EQ(13.0, longitude);
    EXPECT_TRUE(orbitalPosition("AMC1   103.0w", &longitude));
    EXPECT_DOUBLE_EQ(-103.0, longitude);
    EXPECT_TRUE(orbitalPosition("E-Bird - 33.0e", &longitude));
    EXPECT_DOUBLE_EQ(33.0, longitude);
    EXPECT_FALSE(orbitalPosition("Bonum1", &longitude));
    EXPECT_FALSE(orbitalPosition("Far 181.0e", &longitude));
    EXPECT_FALSE(orbitalPosition("Odd 1.2.3x", &longitude));
    EXPECT_FALSE(orbitalPosition("", &longitude));

    const std::vector<Satellite>& sky = catalogueSky();
    ASSERT_EQ(100u, sky.size());  // no two entries share a position
    EXPECT_EQ("AMC1   103.0w", sky.front().name);
    EXPECT_EQ("Yamal 102/201 90.0e", sky.back().name);
    for (const Satellite& satellite : sky) {
        // The listed transponder comes first; its neighbours stay in the
        // LNB's bands and in the listed one's band, channels interleaved,
        // or where the plan says, both polarizations on each frequency.
        ASSERT_GE(satellite.transponders.size(), 4u) << satellite.name;
        const Transponder& listed = satellite.transponders.front();
        bool coFrequency = false;
        for (double position : coFrequencyPositionsDeg) coFrequency = coFrequency || position == satellite.longitudeDeg;
        for (size_t i = 1; i < satellite.transponders.size(); ++i) {
            const Transponder& t = satellite.transponders[i];
            EXPECT_TRUE(lnbCovers(t.frequencyMHz)) << satellite.name << " " << t.frequencyMHz;
            EXPECT_EQ(isCBand(listed.frequencyMHz), isCBand(t.frequencyMHz));
            const int32_t apart = std::abs(t.frequencyMHz - listed.frequencyMHz);
            EXPECT_LE(apart, coFrequency ? 126 : 62);
            if (apart < 25) EXPECT_NE(listed.polarization, t.polarization) << satellite.name;
            if (apart < 25 && coFrequency) EXPECT_EQ(0, apart) << satellite.name;
            EXPECT_GE(t.eirpDbw, typicalEirpDbw(t.frequencyMHz) - 2.0);
            EXPECT_LE(t.eirpDbw, typicalEirpDbw(t.frequencyMHz) + 1.0);
        }
    }
    const Transponder& hotBird = sky[53].transponders.front();
    EXPECT_EQ(10723, hotBird.frequencyMHz);
    EXPECT_EQ(0, hotBird.polarization);
    EXPECT_EQ(29900, hotBird.symbolRate);
    // The same sky at every start.
    const std::vector<Satellite> again = skyFromCatalogue("[Sirius 2/3  5.0e]=12449h12130;\r\n");
    ASSERT_EQ(1u, again.size());
    ASSERT_EQ(sky[85].transponders.size(), again[0].transponders.size());
    for (size_t i = 0; i < again[0].transponders.size(); ++i)
        EXPECT_EQ(sky[85].transponders[i].frequencyMHz, again[0].transponders[i].frequencyMHz);
}

TEST(DishSky, EntriesAtOnePositionShareASatelliteAndBadOnesAreLeftOut)
{
    const std::vector<Satellite> sky =
        skyFromCatalogue("[A   13.0e]=10723h29900;\r\n[No position]=11000h27500;\r\n[B   13.0e]=12000v27500;\r\n"
                         "[C   19.2e]=badh27500;\r\n[D   19.2e]=12515h;\r\n[E   5.0w]=11000x27500;\r\n");
    ASSERT_EQ(2u, sky.size());
    EXPECT_EQ("A   13.0e", sky[0].name);
    EXPECT_GE(findTransponder(sky[0], 12000, 1, 27500), 0);
    EXPECT_GE(findTransponder(sky[0], 10723, 0, 29900), 0);
    EXPECT_DOUBLE_EQ(-5.0, sky[1].longitudeDeg);
    EXPECT_EQ(3, sky[1].transponders.front().polarization);  // neither: nothing can match it
    EXPECT_EQ(1u, sky[1].transponders.size());
    EXPECT_TRUE(skyFromCatalogue("").empty());
    EXPECT_TRUE(skyFromCatalogue("[unclosed 13.0e=10723h29900;").empty());
}

TEST(DishSky, TunerToleranceAroundATransponder)
{
    const Transponder t{11000, 1, 27500, 50.0};
    EXPECT_TRUE(transponderMatches(t, 11000, 1, 27500));
    EXPECT_TRUE(transponderMatches(t, 11004, 1, 27500));
    EXPECT_TRUE(transponderMatches(t, 10996, 1, 27500));
    EXPECT_FALSE(transponderMatches(t, 11005, 1, 27500));
    EXPECT_FALSE(transponderMatches(t, 10995, 1, 27500));
    EXPECT_TRUE(transponderMatches(t, 11000, 1, 28325));  // +3 %
    EXPECT_TRUE(transponderMatches(t, 11000, 1, 26675));  // -3 %
    EXPECT_FALSE(transponderMatches(t, 11000, 1, 28400));
    EXPECT_FALSE(transponderMatches(t, 11000, 1, 26600));
    EXPECT_FALSE(transponderMatches(t, 11000, 0, 27500));
    EXPECT_FALSE(transponderMatches(t, 11000, 3, 27500));
    const Transponder neither{11000, 3, 27500, 50.0};
    EXPECT_FALSE(transponderMatches(neither, 11000, 3, 27500));
}

TEST(DishModelTest, LocksOnTheCatalogueTransponderWhenAimed)
{
    DishModel model = aimedAt(13.0);
    EXPECT_EQ(NotTuned, verdictOf(model));
    EXPECT_FALSE(pollDish(model, 0).locked);

    tune(model, 10723, 0, 29900);
    const DishSignal signal = dishSignal(model, 0);
    EXPECT_EQ(Locked, signal.verdict);
    EXPECT_EQ(satelliteAt(model, 13.0), signal.satellite);
    EXPECT_EQ(0, signal.transponder);
    const SignalReading reading = pollDish(model, 1000);
    EXPECT_TRUE(reading.locked);
    EXPECT_TRUE(model.locked);
    EXPECT_GE(reading.quality, 60);
    EXPECT_LE(reading.quality, 99);
    EXPECT_NEAR(dishSignal(model, 1000).carrierToNoiseDb, reading.snr, 0.16);
    EXPECT_FLOAT_EQ(std::round(reading.snr * 10) / 10, reading.snr);  // one decimal
    // Scintillation and the estimate's noise stay small.
    for (uint32_t t = 0; t < 20000; t += 137) EXPECT_NEAR(reading.snr, pollDish(model, t).snr, 0.8);

    // A neighbour on the same satellite locks too.
    const Transponder& neighbour = model.sky[signal.satellite].transponders[2];
    tune(model, neighbour.frequencyMHz, neighbour.polarization, neighbour.symbolRate);
    EXPECT_EQ(Locked, verdictOf(model));
}

TEST(DishModelTest, NoLockOnAMismatchOfTheTuning)
{
    DishModel model = aimedAt(13.0);
    tune(model, 10727, 0, 29900);
    EXPECT_EQ(Locked, verdictOf(model));
    tune(model, 10728, 0, 29900);
    EXPECT_EQ(NoTransponder, verdictOf(model));
    tune(model, 10723, 0, 29010);  // 3 % under
    EXPECT_EQ(Locked, verdictOf(model));
    tune(model, 10723, 0, 27500);
    EXPECT_EQ(NoTransponder, verdictOf(model));
    tune(model, 10723, 1, 29900);
    EXPECT_EQ(NoTransponder, verdictOf(model));
    tune(model, 10723, 3, 29900);
    EXPECT_EQ(NoTransponder, verdictOf(model));
    tune(model, 11300, 0, 27500);
    EXPECT_EQ(NoTransponder, verdictOf(model));
    // Carried only by satellites below the horizon, such as 103 west.
    tune(model, 3740, 1, 29270);
    EXPECT_EQ(BelowHorizon, verdictOf(model));
    EXPECT_EQ(satelliteAt(model, -103.0), dishSignal(model, 0).satellite);
}

TEST(DishModelTest, LnbBandAndOscillatorMustSuitTheFrequency)
{
    DishModel model = aimedAt(13.0);
    tune(model, 10723, 0, 29900);
    recordTuning(model, SetLnbSelectionCall, 1);
    EXPECT_EQ(WrongLnbBand, verdictOf(model));
    recordTuning(model, SetLnbSelectionCall, 0);
    recordTuning(model, SetLnbFrequencyCall, 10600);
    EXPECT_EQ(WrongLnbBand, verdictOf(model));
    recordTuning(model, SetLnbFrequencyCall, 9750);
    EXPECT_EQ(Locked, verdictOf(model));

    // The band edges, as the program decides them.
    CardTuning edge;
    edge.tuned = true;
    for (int32_t f : {3400, 4200, 10700, 11699, 11700, 12750}) {
        edge.frequencyMHz = f;
        edge.lnbSelection = lnbSelectionFor(f);
        edge.lnbFrequencyMHz = lnbFrequencyFor(f);
        EXPECT_TRUE(lnbSuitsFrequency(edge)) << f;
        edge.lnbSelection = 1 - edge.lnbSelection;
        EXPECT_FALSE(lnbSuitsFrequency(edge)) << f;
    }
    edge.frequencyMHz = 11700;
    edge.lnbSelection = 1;
    edge.lnbFrequencyMHz = 9750;
    EXPECT_FALSE(lnbSuitsFrequency(edge));
    // Between the bands and outside them the LNB hears nothing.
    for (int32_t f : {3399, 4201, 10699, 12751}) {
        edge.frequencyMHz = f;
        edge.lnbSelection = lnbSelectionFor(f);
        edge.lnbFrequencyMHz = lnbFrequencyFor(f);
        EXPECT_FALSE(lnbSuitsFrequency(edge)) << f;
    }

    // Both bands come through the combined feed: C band at 40 east.
    DishModel cBand = aimedAt(40.0);
    tune(cBand, 3675, 1, 33483);
    EXPECT_NE(WrongLnbBand, verdictOf(cBand));
    EXPECT_GT(dishSignal(cBand, 0).carrierToNoiseDb, 2.0);
}

TEST(DishModelTest, OnlyTheDiseqcPortsWithAnLnbReceive)
{
    DishModel model = aimedAt(13.0);
    for (int32_t code = 0; code <= 6; ++code) {
        tune(model, 10723, 0, 29900, code);
        EXPECT_EQ(code <= 1 ? Locked : NoLnbOnPort, verdictOf(model)) << code;
    }
    DishSetup setup;
    setup.lnbPorts = diseqcPortBit(2);
    DishModel onB = aimedAt(13.0, setup);
    tune(onB, 10723, 0, 29900, 2);
    EXPECT_EQ(Locked, verdictOf(onB));
    tune(onB, 10723, 0, 29900, 0);
    EXPECT_EQ(NoLnbOnPort, verdictOf(onB));
}

// What a learner sees of each installation fault: without the tone the
// LNB stays on its low band and the high band's transponders are not there;
// without 18 V it stays vertical; a dead port gives nothing.
TEST(DishModelTest, InstallationFaultsPlayAsTheyHappen)
{
    DishSetup noTone;
    noTone.toneLost = true;
    DishModel astra = aimedAt(19.2, noTone);
    tune(astra, 12515, 0, 22000);
    EXPECT_EQ(ToneLost, verdictOf(astra));
    bool toneMissed = false, supplyMissed = false;
    EXPECT_EQ(11665, tuningAtLnb(astra, &toneMissed, &supplyMissed).frequencyMHz);  // 850 MHz lower
    EXPECT_TRUE(toneMissed);
    EXPECT_FALSE(supplyMissed);
    DishModel hotBird = aimedAt(13.0, noTone);
    tune(hotBird, 10723, 0, 29900);
    EXPECT_EQ(Locked, verdictOf(hotBird));  // the low band needs no tone

    DishSetup noEighteen;
    noEighteen.eighteenLost = true;
    hotBird = aimedAt(13.0, noEighteen);
    tune(hotBird, 10723, 0, 29900);
    EXPECT_EQ(EighteenLost, verdictOf(hotBird));
    const Transponder& vertical = hotBird.sky[satelliteAt(hotBird, 13.0)].transponders[1];
    ASSERT_EQ(1, vertical.polarization);
    tune(hotBird, vertical.frequencyMHz, 1, vertical.symbolRate);
    EXPECT_EQ(Locked, verdictOf(hotBird));
    // The same frequency in the other polarization would come down instead, and lock.
    DishModel twin = aimedAt(13.0, noEighteen);
    twin.sky[satelliteAt(twin, 13.0)].transponders.push_back(Transponder{10723, 1, 29900, 52.0});
    tune(twin, 10723, 0, 29900);
    EXPECT_EQ(Locked, verdictOf(twin));
}

TEST(DishModelTest, QualityFallsAsTheDishTurnsAway)
{
    DishModel model = aimedAt(13.0);
    tune(model, 10723, 0, 29900);
    const DishPointing boresight = model.pointing;
    int32_t previousQuality = 100;
    double previousCn = 100.0;
    bool lost = false;
    // Out to the first null, 2.8 degrees of azimuth at this elevation.
    for (int step = 0; step <= 28; ++step) {
        model.pointing.azimuthDeg = boresight.azimuthDeg + step * 0.1;
        // One instant, no fading between the steps, each a measure of its own.
        model.figureHeld = false;
        const SignalReading reading = pollDish(model, 5000);
        const double cn = dishSignal(model, 5000).carrierToNoiseDb;
        EXPECT_LT(cn, previousCn + 1e-9) << step;
        EXPECT_LE(reading.quality, previousQuality) << step;
        previousCn = cn;
        previousQuality = reading.quality;
        if (!reading.locked) lost = true;
    }
    EXPECT_TRUE(lost);

    // A turned feed loses the wanted carrier by the cosine; alone on its
    // satellite nothing of the other polarization leaks in on top.
    model.pointing = boresight;
    std::vector<Transponder>& carried = model.sky[static_cast<size_t>(satelliteAt(model, 13.0))].transponders;
    carried.erase(
        std::remove_if(carried.begin(), carried.end(), [](const Transponder& t) { return t.polarization != 0; }),
        carried.end());
    const double aligned = dishSignal(model, 0).carrierToNoiseDb;
    model.pointing.skewDeg += 30.0;
    EXPECT_NEAR(aligned - 1.25, dishSignal(model, 0).carrierToNoiseDb, 0.01);  // cos 30 degrees

    // The starting position is on no satellite.
    DishModel start = newDishModel(DishSetup(), catalogueSky());
    tune(start, 10723, 0, 29900);
    EXPECT_EQ(TooWeak, verdictOf(start));
    double off = 0;
    EXPECT_GE(nearestSatellite(start, &off), 0);
    EXPECT_GT(off, 3.0);
}

TEST(DishModelTest, LockHasHysteresisAndEachTuningSearchesAgain)
{
    DishModel model = aimedAt(13.0);
    tune(model, 10723, 0, 29900);
    const DishPointing boresight = model.pointing;
    // Find the pointing where C/N lies between the hold and acquire levels.
    const double threshold = dishSignal(model, 0).lockThresholdDb;
    double azimuth = boresight.azimuthDeg;
    while (dishSignal(model, 0).carrierToNoiseDb >= threshold - lockHoldMarginDb / 2) {
        azimuth += 0.005;
        model.pointing.azimuthDeg = azimuth;
    }
    ASSERT_GT(dishSignal(model, 0).carrierToNoiseDb, threshold - lockHoldMarginDb);
    EXPECT_FALSE(pollDish(model, 0).locked);  // never locked: cannot acquire here

    model.pointing = boresight;
    EXPECT_TRUE(pollDish(model, 0).locked);
    model.pointing.azimuthDeg = azimuth;
    EXPECT_TRUE(pollDish(model, 0).locked);  // once locked, it holds
    recordTuning(model, SetSymbolRateCall, 29900);
    EXPECT_FALSE(model.locked);
    EXPECT_FALSE(pollDish(model, 0).locked);
    model.pointing = boresight;
    EXPECT_TRUE(pollDish(model, 0).locked);
}

TEST(DishModelTest, TheNearestOfTwoSatellitesCarryingOneTransponder)
{
    // 11044 V 29800 is listed both at 96.5 east and at 53 east.
    DishModel model = aimedAt(53.0);
    tune(model, 11044, 1, 29800);
    EXPECT_EQ(satelliteAt(model, 53.0), dishSignal(model, 0).satellite);
    model = aimedAt(96.5);
    tune(model, 11044, 1, 29800);
    EXPECT_EQ(satelliteAt(model, 96.5), dishSignal(model, 0).satellite);
}

TEST(DishModelTest, SteeringStepsWrapAndStop)
{
    DishModel model = newDishModel(DishSetup(), catalogueSky());
    EXPECT_DOUBLE_EQ(180.0, model.pointing.azimuthDeg);
    EXPECT_DOUBLE_EQ(20.0, model.pointing.elevationDeg);
    for (int i = 0; i < 10; ++i) steerDish(model, AzimuthAxis, 1, false);
    EXPECT_DOUBLE_EQ(181.0, model.pointing.azimuthDeg);
    steerDish(model, AzimuthAxis, -1, true);
    EXPECT_DOUBLE_EQ(180.0, model.pointing.azimuthDeg);
    steerDish(model, ElevationAxis, 1, false);
    EXPECT_DOUBLE_EQ(20.1, model.pointing.elevationDeg);
    steerDish(model, ElevationAxis, -1, true);
    EXPECT_DOUBLE_EQ(19.1, model.pointing.elevationDeg);
    steerDish(model, SkewAxis, 1, false);
    EXPECT_DOUBLE_EQ(1.0, model.pointing.skewDeg);
    steerDish(model, SkewAxis, -1, true);
    EXPECT_DOUBLE_EQ(-4.0, model.pointing.skewDeg);

    model.pointing = {359.95, 89.5, 88.0};
    steerDish(model, AzimuthAxis, 1, false);
    EXPECT_NEAR(0.05, model.pointing.azimuthDeg, 1e-9);
    steerDish(model, AzimuthAxis, -1, true);
    EXPECT_NEAR(359.05, model.pointing.azimuthDeg, 1e-9);
    steerDish(model, ElevationAxis, 1, true);
    EXPECT_DOUBLE_EQ(90.0, model.pointing.elevationDeg);
    steerDish(model, SkewAxis, 1, true);
    EXPECT_DOUBLE_EQ(90.0, model.pointing.skewDeg);
    model.pointing.elevationDeg = 0.5;
    steerDish(model, ElevationAxis, -1, true);
    EXPECT_DOUBLE_EQ(0.0, model.pointing.elevationDeg);
    model.pointing.skewDeg = -89.0;
    steerDish(model, SkewAxis, -1, true);
    EXPECT_DOUBLE_EQ(-90.0, model.pointing.skewDeg);
}
