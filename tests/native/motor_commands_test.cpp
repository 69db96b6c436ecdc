// The positioner's commands worked by hand, the steps every card carries
// them out with, and the time a move takes.
#include <gtest/gtest.h>
#include <string>

#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/look_angles.h"

static std::string text(const MotorCommand& command) { return motorCommandText(command); }

TEST(MotorCommands, GotoXCarriesTheUsalsAngleInSixteenthsWithTheSideByHemisphere)
{
    const DishSite london{51.5, -0.13};
    const double astra = usalsAngleDeg(london, 19.2), hispasat = usalsAngleDeg(london, -30.0);
    EXPECT_NEAR(21.29, astra, 0.005);
    EXPECT_NEAR(-32.79, hispasat, 0.005);
    EXPECT_EQ("E0 31 6E E1 55", text(motorGotoAngle(astra, false)));
    EXPECT_EQ("E0 31 6E D2 0D", text(motorGotoAngle(hispasat, false)));
    // South of the equator the sides swap; every sixteenth is sent.
    EXPECT_EQ("E0 31 6E D1 55", text(motorGotoAngle(astra, true)));
    EXPECT_EQ("E0 31 6E E0 01", text(motorGotoAngle(-1.0 / 16.0, true)));
    EXPECT_EQ("E0 31 6E E0 00", text(motorGotoAngle(0.0, false)));
    EXPECT_EQ("E0 31 6E E0 03", text(motorGotoAngle(0.1875, false)));
    EXPECT_EQ("E0 31 6E D5 A0", text(motorGotoAngle(-90.0, false)));

    // The simulators read a GotoX back as its angle.
    for (double angle : {21.3125, -32.8125, 0.0625, -75.0}) {
        for (bool south : {false, true}) {
            double read = 99.0;
            ASSERT_TRUE(motorGotoAngleOf(motorGotoAngle(angle, south), south, &read));
            EXPECT_DOUBLE_EQ(angle, read);
        }
    }
    double unused = 0.0;
    EXPECT_FALSE(motorGotoAngleOf(motorHalt(), false, &unused));
}

TEST(MotorCommands, TheOtherCommandsAndTheirRanges)
{
    EXPECT_EQ("E0 31 60", text(motorHalt()));
    EXPECT_EQ("E0 31 63", text(motorLimitsOff()));
    EXPECT_EQ("E0 31 66", text(motorSetLimit(MotorEast)));
    EXPECT_EQ("E0 31 67", text(motorSetLimit(MotorWest)));

    MotorCommand command;
    std::string reason;
    ASSERT_TRUE(motorDrive(MotorEast, 1, &command, &reason));
    EXPECT_EQ("E0 31 68 FF", text(command));
    ASSERT_TRUE(motorDrive(MotorWest, 128, &command, &reason));
    EXPECT_EQ("E0 31 69 80", text(command));
    ASSERT_TRUE(motorDrive(MotorWest, 10, &command, &reason));
    EXPECT_EQ("E0 31 69 F6", text(command));
    EXPECT_FALSE(motorDrive(MotorEast, 0, &command, &reason));
    EXPECT_EQ("0 steps: a drive takes 1-128", reason);
    EXPECT_FALSE(motorDrive(MotorEast, 129, &command, &reason));

    ASSERT_TRUE(motorStore(1, &command, &reason));
    EXPECT_EQ("E0 31 6A 01", text(command));
    ASSERT_TRUE(motorStore(255, &command, &reason));
    EXPECT_EQ("E0 31 6A FF", text(command));
    EXPECT_FALSE(motorStore(0, &command, &reason)) << "6A 00 switches the limits on in many motors";
    EXPECT_EQ("position 0 is not 1-255", reason);
    ASSERT_TRUE(motorGotoStored(0, &command, &reason));
    EXPECT_EQ("E0 31 6B 00", text(command));
    ASSERT_TRUE(motorGotoStored(12, &command, &reason));
    EXPECT_EQ("E0 31 6B 0C", text(command));
    EXPECT_FALSE(motorGotoStored(256, &command, &reason));
}

TEST(MotorCommands, StepsAndTheTimeToArrive)
{
    // Sent once at 18 V without the tone; 18 V held while it moves, then the tune.
    const std::vector<MotorStep> move = motorSteps(12000, true);
    ASSERT_EQ(6u, move.size());
    EXPECT_EQ(MotorToneOff, move[0].kind);
    EXPECT_EQ(MotorSupply18, move[1].kind);
    EXPECT_EQ(MotorPause, move[2].kind);
    EXPECT_EQ(motorCommandLeadMs, move[2].ms);
    EXPECT_EQ(MotorSend, move[3].kind);
    EXPECT_EQ(MotorHoldUntilThere, move[4].kind);
    EXPECT_EQ(12000u, move[4].ms);
    EXPECT_EQ(MotorTune, move[5].kind);
    int sends = 0;
    for (const MotorStep& step : move) sends += step.kind == MotorSend;
    EXPECT_EQ(1, sends) << "a positioner's command is never repeated";
    const std::vector<MotorStep> halt = motorSteps(0, false);
    ASSERT_EQ(4u, halt.size());
    EXPECT_EQ(MotorSend, halt.back().kind);

    EXPECT_EQ(15000u + motorStartStopMs, motorTravelMs(22.5, 1.5));
    EXPECT_EQ(15000u + motorStartStopMs, motorTravelMs(-22.5, 1.5));
    EXPECT_EQ(motorStartStopMs + 42u, motorTravelMs(1.0 / 16.0, 1.5));
    EXPECT_EQ(motorTravelMs(3.0, defaultMotorSpeedDegPerS), motorTravelMs(3.0, 0.0)) << "no speed: the default";
}
