// The practice dish's networks: neighbouring satellites repeat each other's
// catalogue transponders, so a dish on the wrong one locks, and the network
// it then reads names the satellite it really sees; the target stays the
// satellite the transponder belongs to.
#include <cmath>
#include <gtest/gtest.h>

#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "sim/dish/dish_view.h"
#include "tests/native/committed_file.h"
#include "tuner/lnb_rules.h"

namespace {

static std::vector<Satellite> practiceSky()
{
    std::vector<Satellite> sky = skyFromCatalogue(committedFile("resources/satellite.ini"));
    addLookalikeTransponders(sky);
    return sky;
}

static int satelliteAt(const std::vector<Satellite>& sky, double longitudeDeg)
{
    for (size_t i = 0; i < sky.size(); ++i)
        if (std::fabs(sky[i].longitudeDeg - longitudeDeg) < 0.05) return static_cast<int>(i);
    return -1;
}

static DishModel aimedAt(double longitudeDeg)
{
    DishSetup setup;
    setup.aimed = true;
    setup.aimLongitudeDeg = longitudeDeg;
    DishModel model = newDishModel(setup, practiceSky());
    const int32_t f = 10723;  // HotBird 13.0e: 10723 H 29900
    recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(f));
    recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(f));
    recordTuning(model, SetPolarityCall, 0);
    recordTuning(model, SetSymbolRateCall, 29900);
    recordTuning(model, SetTransponderFrequencyCall, f);
    recordTuning(model, SetDiseqcCall, 0);
    return model;
}

TEST(DishNetwork, NeighboursRepeatTheirCatalogueTranspondersAfterTheirOwn)
{
    const std::vector<Satellite> plain = skyFromCatalogue(committedFile("resources/satellite.ini"));
    const std::vector<Satellite> sky = practiceSky();
    ASSERT_EQ(plain.size(), sky.size());
    const int hotBird = satelliteAt(sky, 13.0), w2 = satelliteAt(sky, 16.0), far = satelliteAt(sky, 19.2);
    ASSERT_GE(w2, 0);
    // Eutelsat W2 keeps its own transponders first, then HotBird's and W1's (10.0e is 6 degrees away: not).
    for (size_t i = 0; i < plain[w2].transponders.size(); ++i) EXPECT_FALSE(sky[w2].transponders[i].lookalike);
    EXPECT_GE(findTransponder(sky[w2], 10723, 0, 29900), 0);
    EXPECT_LT(findTransponder(sky[w2], 10723, 0, 29900, true), 0);
    EXPECT_GE(findTransponder(sky[hotBird], 10723, 0, 29900, true), 0);
    EXPECT_LT(findTransponder(sky[far], 10723, 0, 29900), 0);
    EXPECT_GE(findTransponder(sky[far], 11449, 0, 16000), 0) << "19.2e is 3.2 degrees from 16.0e";
    for (const Satellite& satellite : sky)
        for (const Transponder& transponder : satellite.transponders)
            EXPECT_NE(3, transponder.lookalike ? transponder.polarization : 0) << "no look-alike without a letter";
}

TEST(DishNetwork, ADishOnTheNeighbourLocksThereAndItsNetworkSaysSo)
{
    DishModel model = aimedAt(16.0);
    for (uint32_t t = 0; t < 2000; t += 100) pollDish(model, t);
    const DishSignal signal = dishSignal(model, 2000);
    ASSERT_EQ(Locked, signal.verdict);
    EXPECT_EQ(satelliteAt(model.sky, 16.0), signal.satellite);
    const NetworkIdentity seen = satelliteNetwork(model.sky[signal.satellite]);
    EXPECT_TRUE(seen.known);
    EXPECT_EQ("Eutelsat W2", seen.networkName);
    EXPECT_EQ(PositionOfStream, seen.certainty);
    EXPECT_EQ(160, seen.position);
    EXPECT_EQ(VerdictWrong, judgePosition(seen, {130}));

    // The target stays HotBird, where the transponder belongs.
    EXPECT_EQ(satelliteAt(model.sky, 13.0), tunedSatelliteOf(model));
    EXPECT_EQ("HotBird1-6   13.0e", dishView(model, 2000).targetName);

    DishModel right = aimedAt(13.0);
    EXPECT_EQ(130, satelliteNetwork(right.sky[dishSignal(right, 0).satellite]).position);
    EXPECT_EQ("HotBird1-6", satelliteNetwork(right.sky[dishSignal(right, 0).satellite]).networkName);
    EXPECT_NE(satelliteNetwork(right.sky[satelliteAt(right.sky, 16.0)]).networkId,
              satelliteNetwork(right.sky[satelliteAt(right.sky, 13.0)]).networkId);
}

}  // namespace
