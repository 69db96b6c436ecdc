// A motorised dish through the BDA bridge: the route that carries the
// positioner's command, the refusals on the routes that carry none, the
// core's steps as BDA steps (18 V by a horizontal tune without the tone,
// the command once), played to the simulators' positioner.
#include <gtest/gtest.h>

#include "bda/bda_motor.h"
#include "bda/bda_single_cable.h"
#include "cardbase/sky/motor_mount.h"

namespace {

TEST(BdaMotor, TheRouteThatCarriesTheCommandAndTheRefusalsOfTheOthers)
{
    SwitchMeans all{true, true, true, true, true};
    EXPECT_EQ(SwitchByMaker, bdaMotorRoute(all, SwitchAuto));
    EXPECT_EQ(SwitchByCommand, bdaMotorRoute(all, SwitchAuto, SwitchByMaker));
    EXPECT_EQ(SwitchByCommand, bdaMotorRoute(all, SwitchOnlyCommand));
    SwitchMeans sourceOnly{false, false, true, true, false};
    EXPECT_EQ(SwitchByLnbSource, bdaMotorRoute(sourceOnly, SwitchAuto));
    EXPECT_EQ("", motorRouteRefusal(SwitchByMaker));
    EXPECT_EQ("", motorRouteRefusal(SwitchByCommand));
    EXPECT_EQ("the motor needs a DiSEqC command, which the LNB source cannot carry",
              motorRouteRefusal(SwitchByLnbSource));
    EXPECT_EQ("the motor needs a DiSEqC command, which the input range cannot carry",
              motorRouteRefusal(bdaMotorRoute(all, SwitchOnlyRange)));
    EXPECT_NE("", motorRouteRefusal(SwitchUnreachable));
    EXPECT_EQ(UsalsMotor, bdaMotorSettings("\xEF\xBB\xBFmotor=usals\r\nsite=51.5,-0.13\r\n").kind);
}

TEST(BdaMotor, TheStepsRaiseTheSupplyWithoutTheToneAndSendTheCommandOnce)
{
    CardTuning tuning;
    tuning.frequencyMHz = 11778;
    tuning.lnbSelection = 1;
    tuning.lnbFrequencyMHz = 10600;
    tuning.polarization = 1;
    tuning.symbolRate = 27500;
    const BdaTuneValues supply = bdaMotorSupplyValues(tuning, true);
    EXPECT_EQ(bdaPolarisationHorizontal, supply.polarisation);
    EXPECT_EQ(11778000, supply.carrierKHz);
    EXPECT_GT(supply.lnb.switchKHz, supply.carrierKHz) << "no tone";
    EXPECT_EQ(noSwitchPort, supply.switchPort);
    EXPECT_EQ(10714000, bdaMotorSupplyValues(tuning, false).carrierKHz) << "before any start";

    const MotorCommand gotoX = motorGotoAngle(21.29, false);
    const std::vector<BdaStep> node = bdaMotorSteps(motorSteps(15000, true), gotoX, false, supply.lnb);
    EXPECT_EQ("tune H 11778000 kHz, no tone; 15 ms; command E0 31 6E E1 55", bdaStepsText(node, supply.carrierKHz));
    ASSERT_EQ(5u, node.size());
    EXPECT_EQ(BdaStepEnableCommands, node[0].kind);
    EXPECT_EQ(BdaStepRaiseSupply, node[1].kind);
    EXPECT_EQ(BdaStepEnableCommands, node[2].kind);
    EXPECT_EQ(BdaStepSettle, node[3].kind);
    EXPECT_TRUE(node[4].required);
    const std::vector<BdaStep> maker = bdaMotorSteps(motorSteps(0, false), gotoX, true, supply.lnb);
    EXPECT_EQ("set's tone off; tune H 11778000 kHz, no tone; 15 ms; set's command E0 31 6E E1 55",
              bdaStepsText(maker, supply.carrierKHz));

    // Played to the simulators' positioner: 18 V, no tone, heard once.
    MotorMountSetup setup;
    setup.present = true;
    MotorMount mount;
    resetMotorMount(mount, setup, false, 0);
    bool supply18 = false;
    int heard = 0;
    for (const BdaStep& step : node) {
        if (step.kind == BdaStepRaiseSupply) supply18 = true;
        if (step.kind != BdaStepCommand) continue;
        EXPECT_EQ(MotorMoves, motorMountHears(mount, step.command, step.commandLength, supply18, false, 0));
        ++heard;
    }
    EXPECT_EQ(1, heard);
    EXPECT_NEAR(21.3125, motorMountAngle(mount, 60000), 1e-9);
}

}  // namespace
