// The practice dish on a motorised mount, measured by the program through
// the simulated card's motor= setting: a catalogue transponder turns the
// dish first (GotoX at 18 V, no tone), the card reports no lock until the
// motor's estimated arrival and locks after it; a satellite beyond the
// motor's limit is refused with its reason and nothing sent.
#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/look_angles.h"
#include "tests/win/dish_support.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

namespace {

using DishMotorTest = ProgramTest;

TEST_F(DishMotorTest, AMeasurementTurnsTheDishAndLocksAfterTheArrival)
{
    // The card believes its motor turns 4 degrees a second; the dish's turns 6.
    CardSettings settings("motor=usals\r\nsite=51.5,-0.13\r\nmotor-speed=4\r\n");
    StartOptions options;
    options.scenario = "site 51.5 -0.13\nmotor speed 6\n";
    AppRun& run = start(options);
    startHotBird(run);
    const double angle = usalsAngleDeg(DishSite{51.5, -0.13}, 13.0);
    const std::string gotoX = "MotorCommand " + motorCommandText(motorGotoAngle(angle, false)) + " -> moves";
    ASSERT_TRUE(waitForLogLine(run, gotoX));
    ASSERT_TRUE(waitForLogLine(run, "MotorThere", 15000));
    ASSERT_TRUE(waitForLock(run, true));
    EXPECT_EQ(0, closeWithEscape(run));

    const std::vector<std::string> lines = logLines(run);
    const size_t supply = indexOf(lines, "MotorSupply 18");
    const size_t command = indexOf(lines, gotoX);
    const size_t hold = indexOf(lines, "MotorHold " + std::to_string(motorTravelMs(angle, 4.0)) + " ms");
    const size_t there = indexOf(lines, "MotorThere");
    ASSERT_LT(there, lines.size());
    EXPECT_EQ(supply + 2, command) << "18 V, the lead's pause, the command once";
    EXPECT_EQ("MotorTone off", lines[supply - 1]);
    EXPECT_EQ(command + 1, hold);
    EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.compare(0, 13, "MotorCommand ") == 0; }));
    // Every status before the estimated arrival says no lock, the first lock comes after it.
    const size_t firstLock = indexOf(lines, "QuerySignalStatus -> 0x00000000");
    EXPECT_LT(there, firstLock);
    EXPECT_LT(hold, indexOf(lines, "QuerySignalStatus -> 0x80004005", hold));
}

TEST_F(DishMotorTest, ASatelliteBeyondTheMotorsLimitIsRefusedWithNothingSent)
{
    CardSettings settings("motor=usals\r\nsite=51.5,-0.13\r\nmotor-limit=10\r\n");
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "site 51.5 -0.13\nmotor\n"));
    startHotBird(run);
    const std::string refusal = "13.0\xC2\xB0 E (14.5\xC2\xB0 east) is beyond the motor's limit of 10\xC2\xB0";
    EXPECT_TRUE(waitForLogLine(run, "MotorRefused " + refusal));
    EXPECT_NE("", streamUntil(port, "\"card\":\"Practice dish (simulated card); motor: " + refusal + "\""));
    EXPECT_TRUE(waitForLock(run, false));
    EXPECT_EQ(0, closeWithEscape(run));
    for (const std::string& line : logLines(run)) EXPECT_NE(0u, line.find("MotorCommand")) << line;
}

// In Setup the phone page turns the dish: "Go to" a satellite and steps,
// card requests as the sweep is; refused while Azimora measures.
TEST_F(DishMotorTest, ThePhonePageTurnsTheDishWhileAzimoraIsNotMeasuring)
{
    CardSettings settings("motor=usals\r\nsite=51.5,-0.13\r\n");
    const uint16_t port = freePort();
    AppRun& run = start(withPhoneAndScenario(port, "site 51.5 -0.13\nmotor speed 20\n"));
    const auto ask = [&](const std::string& query) {
        return phoneAskHalfClosed(port,
                                  "POST /motor?" + query + " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Azimora: motor\r\n\r\n");
    };
    EXPECT_NE("", streamUntil(port, "\"canMotor\":true"));
    EXPECT_NE(std::string::npos, ask("goto=19.2E").find("202 Accepted"));
    EXPECT_TRUE(waitForLogLine(run, "MotorCommand E0 31 6E E1 55 -> moves"));
    EXPECT_NE("", streamUntil(port, "\"words\":\"turning the dish to 19.2\xC2\xB0 E (21.3\xC2\xB0 east)"));
    EXPECT_NE(std::string::npos, ask("step=west&n=16").find("202 Accepted"));
    EXPECT_TRUE(waitForLogLine(run, "MotorCommand E0 31 69 F0 -> moves"));
    EXPECT_NE(std::string::npos, ask("goto=up").find("400 Bad Request"));

    // Measuring, the program turns the dish itself.
    startHotBird(run);
    ASSERT_TRUE(waitForLock(run, false));
    EXPECT_NE(std::string::npos, ask("halt=1").find("Azimora is measuring and turns the dish itself"));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
