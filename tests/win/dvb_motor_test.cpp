// A motorised dish through dvbcard.dll, with motor= in its dvbcard.ini, and
// the native azimora-dvb on a simulated frontend under the sky: measuring
// a catalogue satellite turns the dish first (the tone off, 18 V, the
// GotoX once) and tunes only at the motor's estimated arrival, then locks;
// the phone page's "Go to" and steps go through the Linux bridge, and are
// refused while Azimora measures.
#include <algorithm>

#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/look_angles.h"
#include "tests/win/dish_support.h"
#include "tests/win/dvb_card_copy_fixture.h"
#include "tests/win/phone_support.h"

namespace {

const char sky[] = "motor speed 6\nsite 51.5 -0.13\n";

using DvbMotorTest = DvbCardCopyTest;

std::string askMotor(uint16_t port, const std::string& query)
{
    return phoneAskHalfClosed(port,
                              "POST /motor?" + query + " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Azimora: motor\r\n\r\n");
}

TEST_F(DvbMotorTest, AMeasurementTurnsTheDishFirstAndLocksAfterTheArrival)
{
    const uint16_t port = freePort();
    AppRun& run = startThrough(sky, "motor=usals\r\nsite=51.5,-0.13\r\nmotor-speed=6\r\n", port);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    startHotBird(run);
    const std::string gotoX =
        "diseqc " + motorCommandText(motorGotoAngle(usalsAngleDeg(DishSite{51.5, -0.13}, 13.0), false));
    EXPECT_TRUE(waitForHelperLog(helper_, {"tone off", "voltage 18", gotoX})) << readFile(helper_.logPath);
    EXPECT_NE(std::string::npos,
              pageCardLine(port, "motor: at ").find("; motor: at 13.0\xC2\xB0 E (14.5\xC2\xB0 east)"));
    EXPECT_TRUE(waitForHelperLog(helper_, {"lock"}, 10000)) << readFile(helper_.logPath);
    // Nothing tuned before the command: the start waited for the motor.
    const std::vector<std::string> lines = helperLog(helper_);
    EXPECT_LT(indexOf(lines, gotoX), indexOf(lines, "tune ")) << readFile(helper_.logPath);
    EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.compare(0, 13, "diseqc E0 31 ") == 0; }));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(DvbMotorTest, ThePhonePageTurnsTheDishThroughTheLinuxBridge)
{
    const uint16_t port = freePort();
    AppRun& run = startThrough(sky, "motor=usals\r\nsite=51.5,-0.13\r\nmotor-speed=6\r\n", port);
    ASSERT_NE(nullptr, waitForPhoneWindow(run));
    EXPECT_NE("", streamUntil(port, "\"canMotor\":true"));
    EXPECT_NE(std::string::npos, askMotor(port, "goto=19.2E").find("202 Accepted"));
    EXPECT_TRUE(waitForHelperLog(helper_, {"tone off", "voltage 18", "diseqc E0 31 6E E1 55"}))
        << readFile(helper_.logPath);
    EXPECT_NE("", streamUntil(port, "\"words\":\"turning the dish to 19.2\xC2\xB0 E (21.3\xC2\xB0 east)"));
    EXPECT_NE(std::string::npos, askMotor(port, "step=west&n=16").find("202 Accepted"));
    EXPECT_TRUE(waitForHelperLog(helper_, {"diseqc E0 31 69 F0"})) << readFile(helper_.logPath);

    startHotBird(run);
    EXPECT_TRUE(waitForHelperLog(helper_, {"diseqc E0 31 6E E0 E8"}, 8000)) << readFile(helper_.logPath);
    // Measuring is the program's readings coming: the page knows once they do.
    EXPECT_NE("", streamUntil(port, "event: reading"));
    EXPECT_NE(std::string::npos, askMotor(port, "halt=1").find("Azimora is measuring and turns the dish itself"));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
