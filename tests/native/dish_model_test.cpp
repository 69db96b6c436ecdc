// The simulated dish: its sky, the look angles, the antenna and link budget,
// and the lock the card reports for a tuning and a pointing.
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

static const double radian = 3.14159265358979323846 / 180.0;

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

TEST(DishGeometry, LookAnglesAgreeWithTheClassicFormulas)
{
    // The textbook closed forms for a site north of the equator, with the
    // ratio of earth radius to orbit radius 0.1513.
    const DishSite sites[] = {{55.75, 37.62}, {51.5, -0.1}, {40.4, -3.7}, {25.0, 55.0}};
    for (const DishSite& site : sites) {
        for (double satellite : {13.0, 19.2, 28.2, 36.0, -5.0, 75.0}) {
            const double g = (satellite - site.longitudeDeg) * radian, l = site.latitudeDeg * radian;
            const double elevation =
                std::atan((std::cos(g) * std::cos(l) - 0.1513) / std::sqrt(1 - std::pow(std::cos(g) * std::cos(l), 2)));
            const double azimuth = 180.0 - std::atan(std::tan(g) / std::sin(l)) / radian;
            const double skew = std::atan(-std::sin(g) / std::tan(l)) / radian;
            const LookAngles angles = lookAngles(site, satellite);
            if (elevation < 0) continue;
            EXPECT_NEAR(azimuth, angles.direction.azimuthDeg, 0.05) << site.latitudeDeg << " " << satellite;
            EXPECT_NEAR(elevation / radian, angles.direction.elevationDeg, 0.05)
                << site.latitudeDeg << " " << satellite;
            EXPECT_NEAR(skew, angles.direction.skewDeg, 0.5) << site.latitudeDeg << " " << satellite;
            EXPECT_GT(angles.rangeKm, geostationaryRadiusKm - earthRadiusKm);
            EXPECT_LT(angles.rangeKm, 41700);
        }
    }
    // Moscow to 13 east: south-south-west, low, the feed turned clockwise.
    const LookAngles hotBird = lookAngles({55.75, 37.62}, 13.0);
    EXPECT_NEAR(209.0, hotBird.direction.azimuthDeg, 0.1);
    EXPECT_NEAR(22.75, hotBird.direction.elevationDeg, 0.1);
    EXPECT_NEAR(16.0, hotBird.direction.skewDeg, 0.3);
}

TEST(DishGeometry, SpecialPlacesAndTheHorizon)
{
    const LookAngles overhead = lookAngles({0.0, 13.0}, 13.0);
    EXPECT_NEAR(90.0, overhead.direction.elevationDeg, 1e-9);
    EXPECT_NEAR(geostationaryRadiusKm - earthRadiusKm, overhead.rangeKm, 1e-6);

    const LookAngles south = lookAngles({45.0, 13.0}, 13.0);
    EXPECT_NEAR(180.0, south.direction.azimuthDeg, 1e-9);
    EXPECT_NEAR(38.2, south.direction.elevationDeg, 0.1);
    EXPECT_NEAR(0.0, south.direction.skewDeg, 1e-9);

    // South of the equator the arc is in the north, and the skews turn the other way.
    const LookAngles north = lookAngles({-33.9, 18.4}, 13.0);
    EXPECT_TRUE(north.direction.azimuthDeg < 20 || north.direction.azimuthDeg > 340);
    EXPECT_LT(lookAngles({-33.9, 18.4}, 5.0).direction.skewDeg * lookAngles({33.9, 18.4}, 5.0).direction.skewDeg, 0.0);

    EXPECT_LT(lookAngles({55.75, 37.62}, -103.0).direction.elevationDeg, 0.0);
    EXPECT_LT(lookAngles({85.0, 0.0}, 0.0).direction.elevationDeg, 0.0);
}

TEST(DishGeometry, PointingAndSkewErrors)
{
    const DishPointing a{180.0, 30.0, 0.0};
    EXPECT_NEAR(0.0, pointingErrorDeg(a, a), 1e-9);
    EXPECT_NEAR(1.0, pointingErrorDeg({180.0, 31.0, 0}, a), 1e-9);
    EXPECT_NEAR(1.0, pointingErrorDeg({10.0, 0.0, 0}, {11.0, 0.0, 0}), 1e-9);
    // An azimuth step is worth less the higher the dish looks.
    EXPECT_NEAR(std::cos(60 * radian), pointingErrorDeg({10.0, 60.0, 0}, {11.0, 60.0, 0}), 1e-3);
    EXPECT_NEAR(2.0, pointingErrorDeg({359.0, 0.0, 0}, {1.0, 0.0, 0}), 1e-9);
    EXPECT_NEAR(1e-4, pointingErrorDeg({180.0, 20.0, 0}, {180.0, 20.0001, 0}), 1e-9);

    EXPECT_DOUBLE_EQ(10.0, skewErrorDeg(25.0, 15.0));
    EXPECT_DOUBLE_EQ(-20.0, skewErrorDeg(80.0, -80.0));  // a half turn is no turn for polarization
    EXPECT_DOUBLE_EQ(90.0, skewErrorDeg(45.0, -45.0));
    EXPECT_DOUBLE_EQ(90.0, skewErrorDeg(-45.0, 45.0));
}

TEST(DishLink, BeamwidthAndPattern)
{
    const double beam = beamwidthDeg(12000, 0.8);
    EXPECT_NEAR(2.19, beam, 0.02);
    EXPECT_NEAR(beam * 2, beamwidthDeg(6000, 0.8), 1e-9);
    EXPECT_NEAR(beam / 2, beamwidthDeg(12000, 1.6), 1e-9);
    EXPECT_NEAR(37.8, dishGainDbi(12000, 0.8), 0.1);

    EXPECT_DOUBLE_EQ(0.0, relativeGainDb(0.0, 12000, 0.8));
    EXPECT_NEAR(-3.0, relativeGainDb(beam / 2, 12000, 0.8), 0.05);
    EXPECT_NEAR(-3.0, relativeGainDb(-beam / 2, 12000, 0.8), 0.05);
    EXPECT_NEAR(-3.0, relativeGainDb(beamwidthDeg(3700, 1.8) / 2, 3700, 1.8), 0.05);
    // The main lobe falls steadily to its null.
    double previous = 0.0;
    for (double off = 0.05; off < 1.1 * beam; off += 0.05) {
        const double gain = relativeGainDb(off, 12000, 0.8);
        EXPECT_LT(gain, previous) << off;
        previous = gain;
    }
    // The first side lobe, between 1.3 and 1.9 beamwidths out.
    double sideLobe = -100.0;
    for (double off = 1.3 * beam; off < 1.9 * beam; off += 0.01)
        sideLobe = std::fmax(sideLobe, relativeGainDb(off, 12000, 0.8));
    EXPECT_GT(sideLobe, -20.0);
    EXPECT_LT(sideLobe, -15.0);
    // Nowhere below -10 dBi, however far off.
    for (double off = 3.0; off < 180.0; off += 0.7)
        EXPECT_GE(relativeGainDb(off, 12000, 0.8) + dishGainDbi(12000, 0.8), -10.0 - 1e-9) << off;
}

TEST(DishLink, BudgetQualityAndLock)
{
    LinkPath ku{10723, 27500, 50.0, 38500, 25.0, 0.0, 0.0, 0.8};
    const double clear = carrierToNoiseDb(ku);
    EXPECT_GT(clear, 12.0);
    EXPECT_LT(clear, 18.0);
    EXPECT_NEAR(204.76, freeSpaceLossDb(10723, 38500), 0.01);

    LinkPath narrow = ku;
    narrow.symbolRate = 2750;  // a tenth of the noise bandwidth
    EXPECT_NEAR(clear + 10.0, carrierToNoiseDb(narrow), 1e-9);
    LinkPath turned = ku;
    turned.skewErrorDeg = 45.0;
    EXPECT_NEAR(clear - 3.01, carrierToNoiseDb(turned), 0.01);
    turned.skewErrorDeg = 90.0;
    EXPECT_NEAR(clear - 30.0, carrierToNoiseDb(turned), 0.01);
    LinkPath low = ku;
    low.elevationDeg = 5.0;
    EXPECT_LT(carrierToNoiseDb(low), clear - 1.0);
    LinkPath bigger = ku;
    bigger.diameterM = 1.6;
    EXPECT_NEAR(clear + 6.02, carrierToNoiseDb(bigger), 0.01);
    LinkPath offAxis = ku;
    offAxis.offAxisDeg = beamwidthDeg(10723, 0.8) / 2;
    EXPECT_NEAR(clear - 3.0, carrierToNoiseDb(offAxis), 0.05);

    EXPECT_EQ(10, qualityFromCarrierToNoise(4.0));
    EXPECT_EQ(99, qualityFromCarrierToNoise(16.0));
    EXPECT_EQ(55, qualityFromCarrierToNoise(10.07));
    EXPECT_EQ(99, qualityFromCarrierToNoise(30.0));
    EXPECT_EQ(6, qualityFromCarrierToNoise(3.5));
    EXPECT_EQ(1, qualityFromCarrierToNoise(-20.0));

    // The demodulator locks where the modulation and code rate can be
    // received, by the margin's own table, and holds half a dB below.
    const Modcod psk8{ModDvbS2, Mod8psk, 3, 4};
    double needed = 0.0;
    ASSERT_TRUE(requiredCarrierToNoiseDb(psk8, &needed));
    EXPECT_DOUBLE_EQ(needed, lockThresholdDb(psk8));
    EXPECT_FALSE(stillLocked(false, needed - 0.01, needed));
    EXPECT_TRUE(stillLocked(false, needed, needed));
    EXPECT_TRUE(stillLocked(true, needed - 0.4, needed));
    EXPECT_FALSE(stillLocked(true, needed - 0.51, needed));
    EXPECT_DOUBLE_EQ(4.0, lockThresholdDb(Modcod{}));  // nothing says what it is
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
