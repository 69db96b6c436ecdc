// A motorised dish through bdacard.dll: the simulated tuner has a
// motorised mount behind it (cardbase/sky/motor_mount.h), whose positioner
// hears the commands and passes no carrier while it turns. A catalogue
// transponder turns the dish first: 18 V by a horizontal tune without the
// tone, GotoX once through the node or the maker's set, the measuring tune
// at the motor's estimated arrival, then the lock; a tuner that takes only
// the LNB source refuses the motor with its reason and sends nothing.
#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/look_angles.h"
#include "tests/win/bda_fixture.h"
#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"

namespace {

using BdaMotorTest = BdaProgramTest;

const char london[] = "motor=usals\r\nsite=51.5,-0.13\r\nmotor-speed=6\r\n";

std::string hotBirdGotoX()
{
    return motorCommandText(motorGotoAngle(usalsAngleDeg(DishSite{51.5, -0.13}, 13.0), false));
}

std::string bridgeLog(const AppRun& run) { return readFile(joinPath(run.folder, "bdacard.log")); }

TEST_F(BdaMotorTest, ACatalogueTransponderTurnsTheDishFirstThroughTheNode)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge("motor speed 6\n", std::string(london) + "phone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startHotBird(run);
    EXPECT_TRUE(barShows(run, 72, 15000)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc " + hotBirdGotoX() + " motor: moves"}), diseqcCommands(run));
    // 18 V by a horizontal tune without the tone, the command, and the measuring tune after it.
    const std::vector<std::string> tuned = tunes(run);
    ASSERT_LE(2u, tuned.size());
    EXPECT_NE(std::string::npos, tuned[0].find(" polarisation=H ")) << tuned[0];
    const std::vector<std::string> lines = logLines(run);
    size_t command = lines.size(), measuring = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].compare(0, 12, "diseqc E0 31") == 0) command = i;
        if (command < lines.size() && i > command && lines[i].compare(0, 5, "tune ") == 0 && measuring == lines.size())
            measuring = i;
    }
    ASSERT_LT(command, lines.size());
    EXPECT_LT(command, measuring) << testing::PrintToString(lines);
    EXPECT_NE(std::string::npos, bridgeLog(run).find("motor: tune H 10714000 kHz, no tone; 15 ms; command " +
                                                     hotBirdGotoX() + " by DiSEqC command; turning the dish to 13.0"))
        << bridgeLog(run);
    EXPECT_NE(std::string::npos, bridgeLog(run).find("the measuring tune")) << bridgeLog(run);
    EXPECT_EQ("BDA tuner; motor: at 13.0\xC2\xB0 E (14.5\xC2\xB0 east)", pageCardLine(port, "motor"));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(unreleased(run).empty());
}

TEST_F(BdaMotorTest, ThroughAMakersSetTheCommandGoesOnceWithTheToneOff)
{
    AppRun& run = startWithBridge("motor speed 6\n", "tuner=TBS Simulated DVB-S2 Tuner\r\n" + std::string(london));
    startHotBird(run);
    EXPECT_TRUE(barShows(run, 72, 15000)) << testing::PrintToString(logLines(run));
    EXPECT_EQ(std::vector<std::string>({"diseqc " + hotBirdGotoX() + " by property set motor: moves"}),
              diseqcCommands(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(BdaMotorTest, ATunerThatTakesOnlyTheLnbSourceRefusesTheMotor)
{
    const uint16_t port = freePort();
    AppRun& run = startWithBridge(
        "motor\n", std::string(london) + "tuner=Simulated DVB-S Tuner 2\r\nphone=" + std::to_string(port) + "\r\n");
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startHotBird(run);
    EXPECT_EQ("BDA tuner Simulated DVB-S Tuner 2; motor: the motor needs a DiSEqC command, which the LNB source "
              "cannot carry",
              pageCardLine(port, "motor"));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(diseqcCommands(run).empty());
}

}  // namespace
