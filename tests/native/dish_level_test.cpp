// The practice dish before the lock: the level its tuner reads from every
// satellite in the beam and first side lobes, the gain control's refresh
// and wander, and the lock that waits for what the transponder's
// modulation and code rate need.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_level.h"
#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

namespace {

std::vector<Satellite> practiceSky()
{
    static const std::vector<Satellite> sky = [] {
        std::vector<Satellite> built = skyFromCatalogue(committedFile("resources/satellite.ini"));
        addLookalikeTransponders(built);
        return built;
    }();
    return sky;
}

int satelliteAt(const DishModel& model, double longitudeDeg)
{
    for (size_t i = 0; i < model.sky.size(); ++i)
        if (std::fabs(model.sky[i].longitudeDeg - longitudeDeg) < 0.05) return static_cast<int>(i);
    return -1;
}

void tune(DishModel& model, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, int32_t diseqc = 0)
{
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequencyMHz));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequencyMHz));
    recordTuning(model, SetPolarityCall, polarization);
    recordTuning(model, SetSymbolRateCall, symbolRate);
    recordTuning(model, SetTransponderFrequencyCall, frequencyMHz);
    recordTuning(model, SetDiseqcCall, diseqc);
}

// HotBird 13.0e's catalogue transponder, 10723 H 29900, from Moscow.
DishModel hotBirdTuned(double aimLongitudeDeg = 13.0)
{
    DishSetup setup;
    setup.aimed = true;
    setup.aimLongitudeDeg = aimLongitudeDeg;
    DishModel model = newDishModel(setup, practiceSky());
    tune(model, 10723, 0, 29900);
    return model;
}

double levelAt(DishModel& model, uint32_t nowMs) { return readDishLevel(model, nowMs).value; }

double noiseOfTuning(const DishModel& model)
{
    return channelNoiseDbm(model.tuning.frequencyMHz, channelWidthMHz(model.tuning.symbolRate));
}

}  // namespace

TEST(DishLevel, ARaisedCosineCarrierSpreadsOverItsBandwidth)
{
    EXPECT_NEAR(1.0, carrierShareWithin(-100, 100, 27.5, 0.35), 1e-12);
    EXPECT_NEAR(0.5, carrierShareWithin(0, 100, 27.5, 0.35), 1e-12);
    EXPECT_NEAR(0.5, carrierShareWithin(-100, 0, 27.5, 0.2), 1e-12);
    // The flat middle holds a symbol rate's worth of the power per symbol rate.
    EXPECT_NEAR(0.2, carrierShareWithin(-2.75, 2.75, 27.5, 0.35), 1e-12);
    // Nothing beyond the roll-off's edge, and the share rises steadily into it.
    EXPECT_DOUBLE_EQ(0.0, carrierShareWithin(18.57, 40, 27.5, 0.35));
    double previous = 0.0;
    for (double edge = 0.5; edge <= 18.6; edge += 0.5) {
        const double share = carrierShareWithin(-edge, edge, 27.5, 0.35);
        EXPECT_GT(share, previous) << edge;
        previous = share;
    }
    EXPECT_DOUBLE_EQ(0.0, carrierShareWithin(5, 5, 27.5, 0.35));
    EXPECT_DOUBLE_EQ(0.0, carrierShareWithin(5, 1, 27.5, 0.35));
    EXPECT_NEAR(37.125, channelWidthMHz(27500), 1e-9);
    EXPECT_DOUBLE_EQ(1.0, channelWidthMHz(500));
}

TEST(DishLevel, TheLevelRisesWellBeforeTheLockAndPeaksOnTheSatellite)
{
    DishModel model = hotBirdTuned();
    const DishPointing boresight = model.pointing;
    const double noise = noiseOfTuning(model);
    // On the satellite: the carrier stands well above the noise, the lock is there.
    const SignalReading aimed = pollDish(model, 0);
    EXPECT_TRUE(aimed.locked);
    EXPECT_EQ(LevelLive, aimed.level.state);
    EXPECT_EQ(LevelDbm, aimed.level.unit);
    EXPECT_EQ(1, aimed.level.present);
    EXPECT_GT(aimed.level.value, noise + 12.0);
    EXPECT_LT(aimed.level.value, -25.0);  // as a real tuner's input sees it
    EXPECT_GT(noise, -60.0);

    // Coming in from 2.5 degrees of elevation below: the level is 3 dB over
    // the noise well before the lock, and rises to the lock all the way.
    double firstHeard = NAN, firstLocked = NAN, previous = -200.0;
    for (int step = 0; step <= 25; ++step) {
        const double off = 2.5 - step * 0.1;
        model.pointing = boresight;
        model.pointing.elevationDeg -= off;
        const SignalReading reading = pollDish(model, 5000 + 100u * static_cast<uint32_t>(step));
        if (off < 2.1) EXPECT_GT(reading.level.value, previous - 2 * levelWanderDb) << off;
        previous = reading.level.value;
        if (std::isnan(firstHeard) && reading.level.value > noise + 3.0) firstHeard = off;
        if (std::isnan(firstLocked) && reading.locked) firstLocked = off;
    }
    ASSERT_FALSE(std::isnan(firstHeard));
    ASSERT_FALSE(std::isnan(firstLocked));
    EXPECT_GT(firstHeard - firstLocked, 0.6) << "heard at " << firstHeard << ", locked at " << firstLocked;
}

TEST(DishLevel, AWrongSatelliteIsHeardBeforeItsNetworkNamesIt)
{
    // 16.0e repeats HotBird's transponder: on it the level is high, though
    // the dish points nowhere near 13.0e.
    DishModel model = hotBirdTuned(16.0);
    const double noise = noiseOfTuning(model);
    const SignalReading onNeighbour = pollDish(model, 0);
    EXPECT_GT(onNeighbour.level.value, noise + 10.0);
    EXPECT_TRUE(onNeighbour.locked);
    EXPECT_EQ(satelliteAt(model, 16.0), dishSignal(model, 0).satellite);
    // On 36.0e, which carries nothing near 10723 H (nor do its neighbours), only the noise.
    DishModel far = hotBirdTuned(36.0);
    EXPECT_LT(std::fabs(levelAt(far, 0) - noise), 2 * levelWanderDb);
    // A satellite in the first side lobe is heard faintly, a fraction of a dB
    // to a few dB, and never locks.
    DishModel side = hotBirdTuned(13.0);
    const double beam = beamwidthDeg(10723, side.diameterM);
    side.pointing.elevationDeg += 1.6 * beam;  // the first side lobe's crest is about here
    const SignalReading faint = pollDish(side, 0);
    EXPECT_FALSE(faint.locked);
    EXPECT_GT(faint.level.value, noise + 0.3);
    EXPECT_LT(faint.level.value, noise + 6.0);
    EXPECT_EQ(0, faint.level.present);
}

TEST(DishLevel, WhatTheLnbPassesDecidesWhatIsHeard)
{
    DishModel model = hotBirdTuned();
    const double noise = noiseOfTuning(model);
    // A narrow channel in the middle of the horizontal 10723: heard only
    // through the feed's discrimination on the vertical, fully once the feed
    // is turned a quarter.
    const double horizontal = channelPowerDbm(model, 10723, 2.0, 0, 0);
    const double vertical = channelPowerDbm(model, 10723, 2.0, 1, 0);
    EXPECT_GT(horizontal, channelNoiseDbm(10723, 2.0) + 10.0);
    EXPECT_LT(vertical, channelNoiseDbm(10723, 2.0) + 0.2);
    model.pointing.skewDeg += 90.0;
    EXPECT_NEAR(horizontal, channelPowerDbm(model, 10723, 2.0, 1, 0), 0.1);
    EXPECT_LT(channelPowerDbm(model, 10723, 2.0, 0, 0), channelNoiseDbm(10723, 2.0) + 0.2);
    // An empty switch port: the tuner's own noise alone, far below the LNB's.
    DishModel noLnb = hotBirdTuned();
    tune(noLnb, 10723, 0, 29900, 2);
    EXPECT_LT(levelAt(noLnb, 0), noise - 20.0);
    EXPECT_EQ(0, readDishLevel(noLnb, 0).present);
    // The wrong band: the LNB's noise and nothing else.
    DishModel wrongBand = hotBirdTuned();
    recordTuning(wrongBand, SetLnbSelectionCall, 1);
    EXPECT_LT(std::fabs(levelAt(wrongBand, 0) - noise), 2 * levelWanderDb);
    // Nothing tuned: nothing known.
    DishModel untuned = newDishModel(DishSetup(), practiceSky());
    EXPECT_EQ(LevelUnknown, readDishLevel(untuned, 0).state);
    EXPECT_EQ(LevelUnknown, pollDish(untuned, 0).level.state);
}

TEST(DishLevel, TheGainControlRefreshesTenTimesASecondAndWanders)
{
    DishModel model = hotBirdTuned();
    const SignalLevel first = readDishLevel(model, 1000);
    EXPECT_EQ(0u, first.ageMs);
    EXPECT_EQ(levelRefreshMs, first.refreshMs);
    // Held until the next measure, however the dish moves meanwhile.
    model.pointing.azimuthDeg += 1.0;
    const SignalLevel held = readDishLevel(model, 1099);
    EXPECT_DOUBLE_EQ(first.value, held.value);
    EXPECT_EQ(99u, held.ageMs);
    EXPECT_LT(readDishLevel(model, 1100).value, first.value - 1.0);
    // A new tuning measures at once.
    model.pointing.azimuthDeg -= 1.0;
    recordTuning(model, SetSymbolRateCall, 29901);
    EXPECT_NEAR(first.value, readDishLevel(model, 1150).value, 2 * levelWanderDb + 0.01);
    // Steady dish, the measures wander within their bound and do not stand still.
    double lowest = 1e9, highest = -1e9;
    for (uint32_t t = 20000; t < 22000; t += 100) {
        const double value = readDishLevel(model, t).value;
        lowest = std::fmin(lowest, value);
        highest = std::fmax(highest, value);
    }
    EXPECT_GT(highest - lowest, 0.05);
    EXPECT_LT(highest - lowest, 2 * levelWanderDb + 0.2);  // scintillation adds its tenths
}

TEST(DishLevel, ItLocksOnlyWhereTheModulationAndCodeRateCanBeReceived)
{
    DishModel model = hotBirdTuned();
    const int hotBird = satelliteAt(model, 13.0);
    Transponder& listed = model.sky[static_cast<size_t>(hotBird)].transponders[0];
    const DishPointing boresight = model.pointing;
    // Turn away (up, off the arc and its neighbours) until the C/N is 6.5 dB:
    // enough for QPSK 3/4, not for 8PSK 3/4.
    while (dishSignal(model, 0).carrierToNoiseDb > 6.5) model.pointing.elevationDeg += 0.01;
    ASSERT_EQ(hotBird, dishSignal(model, 0).satellite);
    const double cn = dishSignal(model, 0).carrierToNoiseDb;
    ASSERT_GT(cn, 6.0);
    listed.modcod = Modcod{ModDvbS2, Mod8psk, 3, 4};
    EXPECT_FALSE(pollDish(model, 0).locked);
    EXPECT_EQ(TooWeak, dishSignal(model, 0).verdict);
    EXPECT_EQ(1, pollDish(model, 0).level.present);  // the carrier is there all the same
    listed.modcod = Modcod{ModDvbS2, ModQpsk, 3, 4};
    EXPECT_TRUE(pollDish(model, 0).locked);
    // Once locked, a reading never stands more than the hold's half dB below what its modulation needs.
    listed.modcod = Modcod{ModDvbS2, Mod8psk, 3, 4};
    model.pointing = boresight;
    model.locked = false;
    for (int step = 0; step < 200; ++step) {
        model.pointing.elevationDeg += 0.01;
        model.figureHeld = false;  // each step a measure of its own, at one instant
        const SignalReading reading = pollDish(model, 0);
        if (!reading.locked) continue;
        EXPECT_GE(reading.snr, lockThresholdDb(listed.modcod) - lockHoldMarginDb - 0.15) << step;
    }
}
