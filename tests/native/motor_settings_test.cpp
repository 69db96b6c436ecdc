// A motorised dish's settings as the cards' files give them, where they
// turn the dish (and where they refuse to), the satellite a measurement
// turns it to first, and what a card knows of the motor between commands.
#include <gtest/gtest.h>
#include <string>

#include "cardbase/motor/motor_plan.h"

TEST(MotorSettings, ReadFromTheCardsFilesWithEachRefusalsReason)
{
    const MotorSettings none = motorSettingsFrom("phone=8080\r\nscr=\r\n");
    EXPECT_EQ(NoMotor, none.kind);
    EXPECT_EQ("", none.problem);
    EXPECT_EQ(NoMotor, motorSettingsFrom("motor=\nsite=51.5,-0.13\n").kind) << "an emptied line is no motor";

    const MotorSettings usals = motorSettingsFrom("; the dish\r\nMotor = USALS\r\nsite = 51.5, -0.13\r\n");
    EXPECT_EQ(UsalsMotor, usals.kind);
    EXPECT_EQ("", usals.problem);
    EXPECT_TRUE(usals.hasSite);
    EXPECT_DOUBLE_EQ(-0.13, usals.site.longitudeDeg);
    EXPECT_DOUBLE_EQ(defaultMotorLimitDeg, usals.limitDeg);
    EXPECT_DOUBLE_EQ(defaultMotorSpeedDegPerS, usals.speedDegPerS);

    const MotorSettings stored = motorSettingsFrom(
        "motor=diseqc12\nmotor-limit=60\nmotor-speed=2.5\nmotor-positions=19.2E:1, 13.0e:2,30.0W:12\n");
    EXPECT_EQ(Diseqc12Motor, stored.kind);
    EXPECT_EQ("", stored.problem);
    EXPECT_DOUBLE_EQ(60.0, stored.limitDeg);
    EXPECT_DOUBLE_EQ(2.5, stored.speedDegPerS);
    ASSERT_EQ(3u, stored.positions.size());
    EXPECT_DOUBLE_EQ(-30.0, stored.positions[2].longitudeDeg);
    EXPECT_EQ(12, stored.positions[2].slot);

    const struct {
        const char* file;
        const char* problem;
    } bad[] = {
        {"motor=stepper\n", "motor= refused: \"stepper\" is neither usals nor diseqc12"},
        {"motor=usals\n", "motor=usals needs the site: a line site=LAT,LON"},
        {"motor=diseqc12\n", "motor=diseqc12 needs the stored positions"},
        {"motor=usals\nsite=51.5,-0.13\nmotor-limit=95\n", "motor-limit= refused: the motor's limit 95 is not 1-90"},
        {"motor=usals\nsite=51.5,-0.13\nmotor-speed=0\n", "motor-speed= refused: the motor's speed 0 is not 0.1-20"},
        {"motor=usals\nsite=91,0\n", "site= refused: the site's latitude 91 is beyond 90"},
        {"motor=diseqc12\nmotor-positions=19.2E\n", "\"19.2E\" is not POSITION:SLOT"},
        {"motor=diseqc12\nmotor-positions=19.2E:0\n", "the stored position in \"19.2E:0\" is not 1-255"},
        {"motor=diseqc12\nmotor-positions=Astra:1\n", "\"Astra:1\" is not POSITION:SLOT"},
    };
    for (const auto& each : bad) {
        const MotorSettings read = motorSettingsFrom(each.file);
        EXPECT_NE(std::string::npos, read.problem.find(each.problem)) << each.file << " -> " << read.problem;
        // Nothing is sent with a problem.
        EXPECT_FALSE(motorTargetFor(read, 19.2).refusal.empty()) << each.file;
    }
}

TEST(MotorSettings, TargetsAndTheirRefusals)
{
    const MotorSettings london = motorSettingsFrom("motor=usals\nsite=51.5,-0.13\n");
    const MotorTarget astra = motorTargetFor(london, 19.2);
    EXPECT_EQ("", astra.refusal);
    EXPECT_EQ("E0 31 6E E1 55", motorCommandText(astra.command));
    EXPECT_EQ("19.2\xC2\xB0 E (21.3\xC2\xB0 east)", astra.words);
    EXPECT_EQ("E0 31 6E D2 0D", motorCommandText(motorTargetFor(london, -30.0).command));

    // Below the horizon, or beyond the limit: the reason, and nothing to send.
    const MotorTarget below = motorTargetFor(london, 120.0);
    EXPECT_EQ("120.0\xC2\xB0 E is below the horizon here (elevation -26.0\xC2\xB0)", below.refusal);
    EXPECT_EQ(0, below.command.length);
    const MotorSettings narrow = motorSettingsFrom("motor=usals\nsite=51.5,-0.13\nmotor-limit=30\n");
    const MotorTarget beyond = motorTargetFor(narrow, -30.0);
    EXPECT_EQ("30.0\xC2\xB0 W (32.8\xC2\xB0 west) is beyond the motor's limit of 30\xC2\xB0", beyond.refusal);
    EXPECT_EQ(0, beyond.command.length);
    EXPECT_EQ("", motorTargetFor(narrow, 19.2).refusal);

    const MotorTarget angle = motorTargetForAngle(london, -10.5);
    EXPECT_EQ("E0 31 6E D0 A8", motorCommandText(angle.command));
    EXPECT_EQ("10.5\xC2\xB0 west", angle.words);
    EXPECT_FALSE(motorTargetForAngle(london, 80.0).refusal.empty());

    const MotorSettings stored = motorSettingsFrom("motor=diseqc12\nmotor-positions=19.2E:1,13.0E:2\n");
    EXPECT_EQ("E0 31 6B 02", motorCommandText(motorTargetFor(stored, 13.0).command));
    EXPECT_EQ("28.2\xC2\xB0 E has no stored position in motor-positions", motorTargetFor(stored, 28.2).refusal);
    EXPECT_EQ("a motor angle needs a USALS motor (motor=usals)", motorTargetForAngle(stored, 3.0).refusal);
    EXPECT_EQ("no motor is set (motor=usals or motor=diseqc12)", motorTargetFor(motorSettingsFrom(""), 19.2).refusal);
}

TEST(MotorSettings, AMeasurementTurnsTheDishWhereExactlyOneCatalogueLineListsItsTransponder)
{
    const std::vector<CatalogueLine> catalogue = catalogueLines("[Astra 19.2e]=11362h22000;[HotBird 13.0e]=10723h29900;"
                                                                "[Twin A 30.0w]=11535v24500;[Twin B 45.0w]=11535v24500;"
                                                                "[Typed]=12000h27500;");
    CardTuning tuning;
    tuning.frequencyMHz = 10723;
    tuning.polarization = 0;
    tuning.symbolRate = 29900;
    double longitude = 0.0;
    ASSERT_TRUE(satelliteToTurnTo(catalogue, tuning, &longitude));
    EXPECT_DOUBLE_EQ(13.0, longitude);
    tuning.symbolRate = 27500;
    EXPECT_FALSE(satelliteToTurnTo(catalogue, tuning, &longitude)) << "no line lists it: a typed start";
    tuning = CardTuning{0, 0, 1, 24500, 11535, 0};
    EXPECT_FALSE(satelliteToTurnTo(catalogue, tuning, &longitude)) << "two lines list it";
    tuning = CardTuning{0, 0, 0, 27500, 12000, 0};
    EXPECT_FALSE(satelliteToTurnTo(catalogue, tuning, &longitude)) << "its name has no position";
}

TEST(MotorSettings, TheCardsTrackerEstimatesEachArrival)
{
    const MotorSettings settings = motorSettingsFrom("motor=usals\nsite=51.5,-0.13\nmotor-speed=2\n");
    MotorTracker tracker;
    // Before anything was sent, the motor is taken to stand on the meridian.
    const uint32_t first = motorMoveSent(tracker, motorTargetFor(settings, 19.2), settings, 1000);
    EXPECT_EQ(motorTravelMs(usalsAngleDeg(settings.site, 19.2), 2.0), first);
    EXPECT_FALSE(motorThere(tracker, 1000 + first - 1));
    EXPECT_EQ(1u, motorRemainingMs(tracker, 1000 + first - 1));
    EXPECT_TRUE(motorThere(tracker, 1000 + first));
    EXPECT_EQ("turning the dish to 19.2\xC2\xB0 E (21.3\xC2\xB0 east), there in about 12 s",
              motorTurningWords(motorTargetFor(settings, 19.2), first));
    const uint32_t back = motorMoveSent(tracker, motorTargetFor(settings, -0.13), settings, 50000);
    EXPECT_EQ(motorTravelMs(usalsAngleDeg(settings.site, 19.2), 2.0), back);
    EXPECT_EQ(motorTravelMs(10.0 / 16.0, 2.0), motorStepsSent(tracker, MotorEast, 10, settings, 60000));
    EXPECT_NEAR(10.0 / 16.0, tracker.angleDeg, 1e-9);
    // After a halt it may stand anywhere: the widest turn.
    motorHalted(tracker, 70000);
    EXPECT_EQ(motorTravelMs(150.0, 2.0), motorMoveSent(tracker, motorTargetFor(settings, 19.2), settings, 80000));
}
