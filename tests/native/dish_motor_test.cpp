// The practice dish on a motorised mount: the scenario line, the dish
// following its motor (and the hand between moves), the card's steps
// against it with their log lines, the card's hold until the estimated
// arrival, and the motor's path on the window's sky chart.
#include <gtest/gtest.h>
#include <string>

#include "cardbase/motor/card_motor.h"
#include "sim/card/scenario.h"
#include "sim/card/sim_motor.h"
#include "sim/dish/dish_layout.h"
#include "sim/dish/dish_motor_picture.h"

static const char catalogue[] = "[Astra 19.2e]=11362h22000;[HotBird 13.0e]=10723h29900;";

static DishModel motorisedDish(const std::string& scenarioText)
{
    std::string errors;
    const Scenario scenario = parseScenario(scenarioText, &errors);
    EXPECT_EQ("", errors);
    return newDishModel(scenario.dish, skyFromCatalogue(catalogue));
}

TEST(DishMotor, TheScenarioLineGivesTheDishItsMountAndItFollowsItsMotor)
{
    DishModel dish = motorisedDish("site 51.5 -0.13\nmotor zero +0.5 speed 2 limit 70\naim 19.2e\n");
    ASSERT_TRUE(dish.motorised);
    EXPECT_DOUBLE_EQ(0.5, dish.motor.setup.errors.zeroDeg);
    EXPECT_DOUBLE_EQ(70.0, dish.motor.setup.westStopDeg);
    const double astra = usalsAngleDeg(dish.site, 19.2);
    EXPECT_DOUBLE_EQ(astra, dish.motorAngleDeg) << "aim: where the motor stands at the start";
    const DishPointing there = polarMountPointing(dish.site, dish.motor.setup.errors, astra);
    EXPECT_DOUBLE_EQ(there.azimuthDeg, dish.pointing.azimuthDeg);

    // Steered by hand between moves, it stays where the hand left it.
    steerDish(dish, ElevationAxis, 1, true);
    followMotor(dish, 5000);
    EXPECT_NEAR(there.elevationDeg + 1.0, dish.pointing.elevationDeg, 0.011);
    // A command puts it back on its motor, which turns at its speed.
    const MotorCommand gotoX = motorGotoAngle(0.0, false);
    EXPECT_EQ(MotorMoves, motorCommandToDish(dish, gotoX.bytes, gotoX.length, 10000));
    followMotor(dish, 11000);
    EXPECT_NEAR(astra - 2.0, dish.motorAngleDeg, 1e-9);
    EXPECT_TRUE(dish.motorMoving);
    followMotor(dish, 30000);
    EXPECT_DOUBLE_EQ(0.0, dish.motorAngleDeg);
    EXPECT_FALSE(dish.motorMoving);

    std::string errors;
    parseScenario("motor tilt 1\n", &errors);
    EXPECT_NE(std::string::npos, errors.find("motor: \"tilt 1\" is none of")) << errors;
    EXPECT_FALSE(motorisedDish("site 51.5 -0.13\n").motorised);
}

TEST(DishMotor, TheCardsStepsReachTheDishAndItsHoldEndsAtTheEstimatedArrival)
{
    DishModel dish = motorisedDish("site 51.5 -0.13\nmotor speed 3\n");
    CardMotor motor;
    motor.settings = motorSettingsFrom("motor=usals\nsite=51.5,-0.13\nmotor-speed=3\n");
    CardTuning tuning;
    tuning.frequencyMHz = 10723;
    tuning.polarization = 0;
    tuning.symbolRate = 29900;
    const CardMotorMove move = cardMotorForTune(motor, catalogueLines(catalogue), tuning, 1000);
    const double angle = usalsAngleDeg(dish.site, 13.0);
    ASSERT_EQ(6u, move.steps.size());
    EXPECT_EQ("turning the dish to 13.0\xC2\xB0 E (14.5\xC2\xB0 east), there in about 6 s", move.words);
    std::vector<std::string> lines;
    for (const MotorStep& step : move.steps) lines.push_back(simMotorStep(dish, step, move.command, 1000));
    const std::vector<std::string> expected = {"MotorTone off",
                                               "MotorSupply 18",
                                               "MotorPause 15 ms",
                                               "MotorCommand " + motorCommandText(motorGotoAngle(angle, false)) +
                                                   " -> moves",
                                               "MotorHold " + std::to_string(motorTravelMs(angle, 3.0)) + " ms",
                                               "MotorTune at the arrival"};
    EXPECT_EQ(expected, lines);

    bool arrived = false;
    EXPECT_TRUE(cardMotorHolds(motor, 1000 + move.travelMs - 1, &arrived));
    EXPECT_FALSE(arrived);
    EXPECT_FALSE(cardMotorHolds(motor, 1000 + move.travelMs, &arrived));
    EXPECT_TRUE(arrived);
    EXPECT_FALSE(cardMotorHolds(motor, 1000 + move.travelMs + 1, &arrived));
    EXPECT_FALSE(arrived) << "said once";
    followMotor(dish, 1000 + move.travelMs);
    EXPECT_NEAR(angle, dish.motorAngleDeg, 1.0 / 32.0) << "to the nearest sixteenth";

    // A typed transponder leaves the dish where it is.
    tuning.symbolRate = 27500;
    EXPECT_TRUE(cardMotorForTune(motor, catalogueLines(catalogue), tuning, 9000).steps.empty());
    // While held, the program hears no lock; the level stays.
    SignalReading locked{true, 80, 12.5f};
    locked.level.value = -40.0;
    const SignalReading held = withoutLock(locked);
    EXPECT_FALSE(held.locked);
    EXPECT_EQ(0, held.quality);
    EXPECT_DOUBLE_EQ(-40.0, held.level.value);
}

TEST(DishMotor, ThePhonesRequestsAsTheCardCarriesThemOut)
{
    CardMotor motor;
    motor.settings = motorSettingsFrom("motor=usals\nsite=51.5,-0.13\n");
    MotorRequest request;
    request.kind = MotorGotoSatellite;
    request.longitudeDeg = 19.2;
    request.name = "Astra";
    CardMotorMove move = cardMotorForRequest(motor, request, 0);
    EXPECT_EQ("E0 31 6E E1 55", motorCommandText(move.command));
    EXPECT_EQ("turning the dish to Astra 19.2\xC2\xB0 E (21.3\xC2\xB0 east), there in about 15 s", move.words);
    ASSERT_EQ(5u, move.steps.size()) << "no tune follows a move the page asked for";
    EXPECT_EQ(MotorHoldUntilThere, move.steps.back().kind);
    EXPECT_FALSE(motor.holding) << "a request holds no measurement";
    request.kind = MotorDriveSteps;
    request.side = MotorWest;
    request.steps = 3;
    move = cardMotorForRequest(motor, request, 0);
    EXPECT_EQ("E0 31 69 FD", motorCommandText(move.command));
    EXPECT_EQ("driving the dish 3 steps west", move.words);
    request.steps = 200;
    move = cardMotorForRequest(motor, request, 0);
    EXPECT_TRUE(move.steps.empty());
    EXPECT_EQ("200 steps: a drive takes 1-128", move.words);
    request.kind = MotorHaltRequest;
    EXPECT_EQ("E0 31 60", motorCommandText(cardMotorForRequest(motor, request, 0).command));
    CardMotor none;
    EXPECT_EQ("no motor is set (motor=usals or motor=diseqc12)", cardMotorForRequest(none, request, 0).words);
}

TEST(DishMotor, TheWindowDrawsTheMotorsPathAndWhereItStands)
{
    DishModel dish = motorisedDish("site 51.5 -0.13\nmotor declination +1 limit 60\naim 19.2e\n");
    const DishLayout layout = dishLayout(dishPreferredWidth, dishPreferredHeight, dish.site);
    const MotorPicture picture = motorPicture(layout.sky, dish);
    ASSERT_EQ(121u, picture.path.size()) << "a point a degree from one end stop to the other";
    EXPECT_EQ("motor 21.3 E", picture.words);
    // The path lies below the arc where the declination is too much.
    const DishPointing on = polarMountPointing(dish.site, dish.motor.setup.errors, 0.0);
    EXPECT_GT(skyY(layout.sky, on.elevationDeg), skyY(layout.sky, lookAngles(dish.site, -0.13).direction.elevationDeg));
    EXPECT_TRUE(contains(layout.sky.plot, picture.at));
    EXPECT_TRUE(motorPicture(layout.sky, motorisedDish("site 51.5 -0.13\n")).path.empty());
    EXPECT_EQ("32.8 W", motorAngleWords(-32.79));
}
