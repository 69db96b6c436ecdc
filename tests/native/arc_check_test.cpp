// The arc check on the shared sky model in simulated time: each of the
// mount's adjustments set off by 0.5° and by 1.0° (and a pair together) is
// named with its direction and its size, a mount set right is said to be
// right, and twelve satellites take less than ten minutes.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "cardbase/motor/arc_check.h"
#include "cardbase/motor/arc_words.h"
#include "cardbase/sky/motor_sky.h"

static std::string builtInCatalogue()
{
    std::ifstream file(AZM_SOURCE_DIR "/resources/satellite.ini", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ArcRun {
    ArcResult result;
    uint32_t simulatedMs = 0;
    std::vector<std::string> lines;  // as the check says them
};

// The check on a motorised 80 cm dish at `site` whose mount is off by `errors`.
static ArcRun runOnSky(const MountErrors& errors, const DishSite& site = DishSite{51.5, -0.13})
{
    const std::string catalogue = builtInCatalogue();
    MotorMountSetup setup;
    setup.present = true;
    setup.errors = errors;
    uint32_t now = 0;
    MotorSky dish = newMotorSky(site, 0.8, setup, skyFromCatalogue(catalogue), now);

    // Each satellite's clear-sky C/N, from the sky model.
    std::vector<ArcSatellite> satellites = arcSatellitesFrom(catalogueLines(catalogue));
    for (ArcSatellite& satellite : satellites) {
        for (size_t i = 0; i < dish.sky.size(); ++i) {
            if (std::fabs(dish.sky[i].longitudeDeg - satellite.longitudeDeg) > 0.05) continue;
            const int t = findTransponder(dish.sky[i], satellite.frequencyMHz, satellite.polarization,
                                          satellite.symbolRate, true);
            if (t >= 0) satellite.clearSkyCnDb = clearSkyCarrierToNoiseDb(dish, static_cast<int>(i), t);
        }
    }

    ArcRun run;
    ArcOptions options;
    options.site = site;
    ArcCallbacks callbacks;
    callbacks.send = [&](const MotorCommand& command) {
        motorMountHears(dish.mount, command.bytes, command.length, true, false, now);
    };
    callbacks.wait = [&](uint32_t ms) { now += ms; };
    callbacks.tune = [&](const ArcSatellite& satellite) {
        motorSkyTune(dish, satellite.frequencyMHz, satellite.polarization, satellite.symbolRate);
    };
    callbacks.read = [&] {
        const MotorSkyReading seen = readMotorSky(dish, now);
        ArcReading reading;
        reading.locked = seen.locked;
        reading.carrierToNoiseDb = seen.carrierToNoiseDb;
        reading.hasLevel = true;
        reading.levelDbm = seen.levelDbm;
        reading.networkKnown = seen.networkKnown;
        reading.networkLongitudeDeg = seen.networkLongitudeDeg;
        return reading;
    };
    // The person at the dish presses its lower edge down half a degree and
    // watches the C/N for a few seconds.
    callbacks.ask = [&](const std::string&) {
        const auto watch = [&] {
            double sum = 0.0;
            for (int i = 0; i < 12; ++i, now += 250) sum += readMotorSky(dish, now).carrierToNoiseDb;
            return sum / 12;
        };
        const double before = watch();
        dish.mount.pressDeg = 0.5;
        const double pressed = watch();
        dish.mount.pressDeg = 0.0;
        return pressed > before;
    };
    callbacks.say = [&](const std::string& line) { run.lines.push_back(line); };
    run.result = runArcCheck(satellites, options, callbacks);
    run.simulatedMs = now;
    return run;
}

static MountErrors off(MountAdjustment adjustment, double degrees)
{
    MountErrors errors;
    if (adjustment == AdjustDeclination) errors.declinationDeg = degrees;
    if (adjustment == AdjustElevation) errors.elevationDeg = degrees;
    if (adjustment == AdjustAzimuth) errors.azimuthDeg = degrees;
    return errors;
}

static std::string shown(const ArcRun& run)
{
    std::string text;
    for (const std::string& line : run.lines) text += line + "\n";
    for (const std::string& line : arcPicture(run.result, DishSite{51.5, -0.13})) text += line + "\n";
    for (const std::string& line : arcVerdictLines(run.result)) text += line + "\n";
    return text;
}

// Exactly the adjustment set, with its direction, within 0.25°, and no
// offset along the arc; nothing said to be ambiguous.
static void expectNamed(const ArcRun& run, const MountErrors& set)
{
    const ArcFitResult& fit = run.result.fit;
    const double sizes[adjustmentCount] = {set.declinationDeg, set.elevationDeg, set.azimuthDeg};
    ASSERT_EQ("", run.result.problem);
    EXPECT_FALSE(fit.mountRight) << shown(run);
    EXPECT_FALSE(fit.ambiguous) << shown(run);
    for (int j = 0; j < adjustmentCount; ++j) {
        EXPECT_EQ(sizes[j] != 0.0, fit.best.uses[j]) << "adjustment " << j << "\n" << shown(run);
        if (sizes[j] != 0.0) EXPECT_NEAR(sizes[j], fit.best.sizeDeg[j], 0.25) << shown(run);
    }
    EXPECT_NEAR(set.zeroDeg, fit.zeroDeg, 0.1) << shown(run);
}

TEST(ArcCheck, AMountSetRightIsSaidToBeRightWithinTenMinutesForTwelveSatellites)
{
    const ArcRun run = runOnSky(MountErrors());
    ASSERT_EQ(12u, run.result.points.size());
    EXPECT_LT(run.simulatedMs, 10u * 60u * 1000u);
    EXPECT_EQ(run.simulatedMs, run.result.elapsedMs);
    EXPECT_EQ("", run.result.problem);
    EXPECT_TRUE(run.result.fit.mountRight) << shown(run);
    EXPECT_FALSE(run.result.asked);
    EXPECT_NEAR(0.0, run.result.fit.zeroDeg, 0.1);
    const std::vector<std::string> verdict = arcVerdictLines(run.result);
    ASSERT_FALSE(verdict.empty());
    EXPECT_EQ(0u, verdict.back().find("the mount is right, within what this dish can tell")) << shown(run);
    // Every satellite is the one the network names, found near its USALS angle.
    for (const ArcPoint& point : run.result.points) {
        EXPECT_TRUE(point.locked) << point.satellite.name;
        EXPECT_NEAR(point.satellite.longitudeDeg, point.networkLongitudeDeg, 0.01);
        EXPECT_NEAR(0.0, point.alongDeg, 0.1) << point.satellite.name;
    }
}

TEST(ArcCheck, EachAdjustmentOffByHalfADegreeIsNamed)
{
    for (int j = 0; j < adjustmentCount; ++j) {
        const MountErrors set = off(static_cast<MountAdjustment>(j), 0.5);
        const ArcRun run = runOnSky(set);
        expectNamed(run, set);
        EXPECT_TRUE(run.result.asked);
    }
}

TEST(ArcCheck, EachAdjustmentOffByADegreeTheOtherWayIsNamed)
{
    for (int j = 0; j < adjustmentCount; ++j) {
        const MountErrors set = off(static_cast<MountAdjustment>(j), -1.0);
        expectNamed(runOnSky(set), set);
    }
}

TEST(ArcCheck, TheMotorsZeroIsAnOffsetAlongTheArc)
{
    for (double zero : {0.5, -1.0}) {
        MountErrors set;
        set.zeroDeg = zero;
        const ArcRun run = runOnSky(set);
        EXPECT_TRUE(run.result.fit.mountRight) << "nothing across the arc\n" << shown(run);
        EXPECT_NEAR(zero, run.result.fit.zeroDeg, 0.1) << shown(run);
        const std::vector<std::string> verdict = arcVerdictLines(run.result);
        bool said = false;
        for (const std::string& line : verdict) said = said || line == alongWords(run.result.fit.zeroDeg);
        EXPECT_TRUE(said) << shown(run);
    }
}

TEST(ArcCheck, TwoAdjustmentsTogetherAreBothNamed)
{
    MountErrors set;
    set.elevationDeg = 0.5;
    set.azimuthDeg = -1.0;
    expectNamed(runOnSky(set), set);
}

TEST(ArcCheck, TheSatellitesVisitedAndTooFewForAVerdict)
{
    std::vector<ArcSatellite> satellites = arcSatellitesFrom(catalogueLines(builtInCatalogue()));
    ArcOptions options;
    options.site = DishSite{51.5, -0.13};
    const std::vector<ArcPoint> plan = arcPlan(satellites, options);
    ASSERT_EQ(12u, plan.size());
    for (size_t i = 0; i < plan.size(); ++i) {
        EXPECT_GE(plan[i].satellite.frequencyMHz, 10700);
        EXPECT_GE(plan[i].elevationDeg, 10.0);
        if (i) EXPECT_LT(plan[i].motorAngleDeg, plan[i - 1].motorAngleDeg) << "from the east end to the west end";
    }
    EXPECT_GT(plan.front().motorAngleDeg, 55.0);
    EXPECT_LT(plan.back().motorAngleDeg, -55.0);

    options.hasRange = true;
    options.fromDeg = 30.0;
    options.toDeg = -10.0;
    const std::vector<ArcPoint> part = arcPlan(satellites, options);
    ASSERT_FALSE(part.empty());
    for (const ArcPoint& point : part) EXPECT_TRUE(point.motorAngleDeg <= 30.0 && point.motorAngleDeg >= -10.0);

    // A narrow range leaves too few satellites for a verdict; they are still measured.
    options.fromDeg = 10.0;
    options.toDeg = -10.0;
    ArcCallbacks idle;
    idle.send = [](const MotorCommand&) {};
    idle.tune = [](const ArcSatellite&) {};
    idle.read = [] { return ArcReading(); };
    const ArcResult few = runArcCheck(satellites, options, idle);
    EXPECT_LT(few.points.size(), 8u);
    EXPECT_EQ(0u, few.problem.find("no verdict: "));
    EXPECT_EQ(std::vector<std::string>{few.problem}, arcVerdictLines(few));
}

TEST(ArcCheck, TheVerdictInTheInstallersWords)
{
    const ArcRun run = runOnSky(off(AdjustDeclination, 0.5));
    const std::string text = shown(run);
    EXPECT_NE(std::string::npos, text.find("the dish stands at Bonum1 56.0e, the satellite with the largest loss"))
        << text;
    EXPECT_NE(std::string::npos, text.find("pressed at Bonum1 56.0e: the level rose")) << text;
    EXPECT_NE(std::string::npos, text.find("the declination is 0.5\xC2\xB0 too much: tilt the dish 0.5\xC2\xB0 up on "
                                           "its declination bracket"))
        << text;
    EXPECT_NE(std::string::npos, text.find("the loss across the arc grows towards both ends")) << text;
    EXPECT_EQ(std::string::npos, text.find("the mount is right")) << text;
    EXPECT_NE(std::string::npos, text.find("Intelsat 707 53.0w: motor 57.4\xC2\xB0 west, peaks")) << text;
    EXPECT_NE(std::string::npos, text.find("network 53.0\xC2\xB0 W")) << text;
    // The picture: east on the left north of the equator, each satellite at its peak.
    const std::vector<std::string> picture = arcPicture(run.result, DishSite{51.5, -0.13});
    ASSERT_GT(picture.size(), 14u);
    EXPECT_EQ(0u, picture.back().find("        east")) << text;
    size_t marks = 0;
    for (const std::string& line : picture)
        if (line.find('|') != std::string::npos) marks += std::count(line.begin(), line.end(), 'o');
    EXPECT_GE(marks, 10u) << "two satellites may share a place" << text;
    EXPECT_LE(marks, 12u) << text;

    EXPECT_EQ("the mount's elevation is 1.0\xC2\xB0 too low: raise the polar axis 1.0\xC2\xB0 on the mount's "
              "elevation scale",
              adjustmentWords(AdjustElevation, -1.0));
    EXPECT_EQ("the mount is turned 0.8\xC2\xB0 east: turn the whole mount 0.8\xC2\xB0 west on its pole",
              adjustmentWords(AdjustAzimuth, 0.8));
    EXPECT_EQ("every satellite peaks 0.50\xC2\xB0 east of where the motor sends the dish: the motor's zero, the "
              "site's longitude or the mount's turn is 0.50\xC2\xB0 west: turn the motor 0.50\xC2\xB0 east on the "
              "mount, or correct site=",
              alongWords(-0.5));
}
