// The simulated dish's geometry and link: the look angles, the pointing and
// skew errors, the antenna's beam and the link budget that gives quality
// and lock.
#include <cmath>
#include <gtest/gtest.h>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_model.h"

static const double radian = 3.14159265358979323846 / 180.0;

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
