// The polar mount's geometry (its own tracking error, each adjustment's
// pattern across and along the arc) and the simulators' positioner: what
// it takes, how it moves, where it stops.
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cardbase/motor/motor_commands.h"
#include "cardbase/sky/motor_sky.h"

static const DishSite london{51.5, -0.13};

TEST(PolarMount, ASetMountFollowsTheArcButForItsOwnTrackingError)
{
    for (const DishSite& site : {london, DishSite{-33.9, 151.2}, DishSite{10.0, 30.0}}) {
        for (double usals = -70.0; usals <= 70.0; usals += 5.0) {
            // The satellite with this USALS angle, found by bisection.
            double low = site.longitudeDeg - 85.0, high = site.longitudeDeg + 85.0;
            for (int i = 0; i < 60; ++i) {
                const double mid = (low + high) / 2.0;
                (usalsAngleDeg(site, mid) < usals ? low : high) = mid;
            }
            const ArcOffsets own = mountArcOffsets(site, MountErrors(), low);
            EXPECT_NEAR(0.0, own.alongDeg, 0.002) << "the USALS angle is the right turn, at " << usals;
            EXPECT_GE(own.acrossDeg, -0.001) << "it passes below the arc towards the ends";
            if (std::fabs(usals) <= 10.0) EXPECT_LT(own.acrossDeg, 0.02);
            if (std::fabs(usals) == 65.0 && site.latitudeDeg == london.latitudeDeg)
                EXPECT_NEAR(0.4, own.acrossDeg, 0.05) << "about 0.4 degrees at 65 degrees";
            // The feed, set upright on the meridian, is carried round much as the polarisation turns.
            const DishPointing pointing = polarMountPointing(site, MountErrors(), usals);
            EXPECT_NEAR(lnbSkewDeg(site, low), pointing.skewDeg, 0.6) << usals;
        }
    }
}

TEST(PolarMount, EachAdjustmentLeavesItsOwnPattern)
{
    const double longitudes[] = {-53.0, -30.0, -0.13, 19.2, 45.0, 56.0};
    for (double longitude : longitudes) {
        const ArcOffsets own = mountArcOffsets(london, MountErrors(), longitude);
        const double h = usalsAngleDeg(london, longitude) * 3.14159265358979 / 180.0;
        MountErrors declination, elevation, azimuth, zero;
        declination.declinationDeg = 1.0;
        elevation.elevationDeg = 1.0;
        azimuth.azimuthDeg = 1.0;
        zero.zeroDeg = 1.0;
        const ArcOffsets d = mountArcOffsets(london, declination, longitude);
        EXPECT_NEAR(1.0, d.acrossDeg - own.acrossDeg, 0.01) << "the same below the arc everywhere";
        EXPECT_NEAR(0.0, d.alongDeg, 0.01);
        const ArcOffsets e = mountArcOffsets(london, elevation, longitude);
        EXPECT_NEAR(std::cos(h), e.acrossDeg - own.acrossDeg, 0.06) << "shrinking towards both ends";
        const ArcOffsets a = mountArcOffsets(london, azimuth, longitude);
        EXPECT_NEAR(-std::cos(51.5 * 3.14159265358979 / 180.0) * std::sin(h), a.acrossDeg - own.acrossDeg, 0.06)
            << "turned east: above the arc in the east, below it in the west";
        EXPECT_NEAR(-0.84, a.alongDeg, 0.05) << "and every satellite found further west";
        const ArcOffsets z = mountArcOffsets(london, zero, longitude);
        EXPECT_NEAR(-1.0, z.alongDeg, 0.001);
        EXPECT_NEAR(own.acrossDeg, z.acrossDeg, 0.001);
    }
}

TEST(MotorMount, ScenarioWords)
{
    MotorMountSetup setup;
    std::string error;
    ASSERT_TRUE(parseMotorMountWords({"declination", "+0.4", "elevation", "-0.3", "azimuth", "+0.8", "zero", "0"},
                                     &setup, &error))
        << error;
    EXPECT_TRUE(setup.present);
    EXPECT_DOUBLE_EQ(0.4, setup.errors.declinationDeg);
    EXPECT_DOUBLE_EQ(-0.3, setup.errors.elevationDeg);
    EXPECT_DOUBLE_EQ(0.8, setup.errors.azimuthDeg);
    EXPECT_DOUBLE_EQ(1.5, setup.speedDegPerS);
    ASSERT_TRUE(parseMotorMountWords({"speed", "2", "limits", "60", "70", "at", "-12.5"}, &setup, &error)) << error;
    EXPECT_DOUBLE_EQ(60.0, setup.eastStopDeg);
    EXPECT_DOUBLE_EQ(70.0, setup.westStopDeg);
    EXPECT_DOUBLE_EQ(-12.5, setup.startDeg);
    EXPECT_EQ("declination +0.00 elevation +0.00 azimuth +0.00 zero +0.00 speed 2 limits 60 70",
              motorMountWords(setup));
    ASSERT_TRUE(parseMotorMountWords({}, &setup, &error)) << "a mount set right";
    EXPECT_FALSE(parseMotorMountWords({"declination"}, &setup, &error));
    EXPECT_EQ("motor: \"declination\" wants a number of degrees after it", error);
    EXPECT_FALSE(parseMotorMountWords({"tilt", "1"}, &setup, &error));
    EXPECT_FALSE(parseMotorMountWords({"speed", "0"}, &setup, &error));
}

static MotorHeard hear(MotorMount& mount, const MotorCommand& command, uint32_t nowMs, bool supply18 = true,
                       bool tone = false)
{
    return motorMountHears(mount, command.bytes, command.length, supply18, tone, nowMs);
}

TEST(MotorMount, TakesThePositionersCommandsAndMovesAtItsSpeed)
{
    MotorMountSetup setup;
    setup.present = true;
    setup.speedDegPerS = 2.0;
    setup.eastStopDeg = setup.westStopDeg = 70.0;
    MotorMount mount;
    resetMotorMount(mount, setup, false, 0);
    EXPECT_EQ(MotorMoves, hear(mount, motorGotoAngle(20.0, false), 1000));
    EXPECT_DOUBLE_EQ(10.0, motorMountAngle(mount, 6000));
    EXPECT_TRUE(motorMountMoving(mount, 6000));
    EXPECT_DOUBLE_EQ(20.0, motorMountAngle(mount, 11000));
    EXPECT_FALSE(motorMountMoving(mount, 11000));

    // A GotoX beyond its end stops turns to the stop.
    EXPECT_EQ(MotorStopsAtStop, hear(mount, motorGotoAngle(-75.0, false), 20000));
    EXPECT_DOUBLE_EQ(-70.0, motorMountAngle(mount, 80000));
    // On 13 V it turns at two thirds of its speed; a halt stops it where it is.
    EXPECT_EQ(MotorMoves, hear(mount, motorGotoAngle(-64.0, false), 100000, false));
    EXPECT_DOUBLE_EQ(-68.0, motorMountAngle(mount, 101500));
    EXPECT_EQ(MotorHalts, hear(mount, motorHalt(), 101500));
    EXPECT_DOUBLE_EQ(-68.0, motorMountAngle(mount, 200000));

    MotorCommand command;
    ASSERT_TRUE(motorDrive(MotorEast, 16, &command, nullptr));
    EXPECT_EQ(MotorMoves, hear(mount, command, 200000));
    EXPECT_DOUBLE_EQ(-67.0, motorMountAngle(mount, 210000)) << "sixteen steps of a sixteenth";
    ASSERT_TRUE(motorStore(5, &command, nullptr));
    EXPECT_EQ(MotorStores, hear(mount, command, 210000));
    ASSERT_TRUE(motorGotoStored(0, &command, nullptr));
    EXPECT_EQ(MotorMoves, hear(mount, command, 210000));
    EXPECT_DOUBLE_EQ(0.0, motorMountAngle(mount, 300000));
    ASSERT_TRUE(motorGotoStored(5, &command, nullptr));
    EXPECT_EQ(MotorMoves, hear(mount, command, 300000));
    EXPECT_DOUBLE_EQ(-67.0, motorMountAngle(mount, 400000));
    ASSERT_TRUE(motorGotoStored(6, &command, nullptr));
    EXPECT_EQ(MotorNoSuchSlot, hear(mount, command, 400000));

    // Soft limits hold until switched off.
    EXPECT_EQ(MotorLimitSet, hear(mount, motorSetLimit(MotorWest), 400000));
    EXPECT_EQ(MotorStopsAtStop, hear(mount, motorGotoAngle(-69.0, false), 400000));
    EXPECT_DOUBLE_EQ(-67.0, motorMountAngle(mount, 500000));
    EXPECT_EQ(MotorLimitsOff, hear(mount, motorLimitsOff(), 500000));
    EXPECT_EQ(MotorMoves, hear(mount, motorGotoAngle(-69.0, false), 500000));

    // The tone garbles a command; a switch's command is not for it.
    EXPECT_EQ(MotorGarbled, hear(mount, motorGotoAngle(0.0, false), 600000, true, true));
    EXPECT_DOUBLE_EQ(-69.0, motorMountAngle(mount, 700000));
    const uint8_t committed[] = {0xE0, 0x10, 0x38, 0xF0};
    EXPECT_EQ(MotorNotForIt, motorMountHears(mount, committed, sizeof committed, true, false, 700000));
}

TEST(MotorSky, ASatelliteLocksOnceTheMotorIsThereAtItsClearSkyCN)
{
    const std::vector<Satellite> sky = skyFromCatalogue("[Astra 19.2e]=11362h22000;[HotBird 13.0e]=10723h29900;");
    MotorMountSetup setup;
    setup.present = true;
    MotorSky dish = newMotorSky(london, 0.8, setup, sky, 0);
    motorSkyTune(dish, 11362, 0, 22000);
    EXPECT_FALSE(readMotorSky(dish, 0).locked) << "the dish looks at the meridian";
    const MotorCommand gotoX = motorGotoAngle(usalsAngleDeg(london, 19.2), false);
    motorMountHears(dish.mount, gotoX.bytes, gotoX.length, true, false, 1000);
    const MotorSkyReading there = readMotorSky(dish, 1000 + motorTravelMs(21.3, 1.5));
    ASSERT_TRUE(there.locked);
    EXPECT_EQ(0, there.satellite);
    EXPECT_NEAR(clearSkyCarrierToNoiseDb(dish, 0, 0), there.carrierToNoiseDb, 0.4);
    EXPECT_TRUE(there.networkKnown);
    EXPECT_DOUBLE_EQ(19.2, there.networkLongitudeDeg);
    EXPECT_GT(there.levelDbm, readMotorSky(dish, 0).levelDbm - 99.0);
    // Pressed up by a degree the dish loses it a little.
    dish.mount.pressDeg = 1.0;
    EXPECT_LT(readMotorSky(dish, 40000).carrierToNoiseDb, there.carrierToNoiseDb - 0.5);
}
