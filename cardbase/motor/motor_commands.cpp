#include "cardbase/motor/motor_commands.h"

#include <cmath>
#include <initializer_list>

// Framing E0 (from the master, no reply wanted), address 31 (any
// positioner), then the command number and its data.
static MotorCommand commandOf(std::initializer_list<unsigned> bytes)
{
    MotorCommand command;
    command.bytes[command.length++] = 0xE0;
    command.bytes[command.length++] = 0x31;
    for (unsigned byte : bytes) command.bytes[command.length++] = static_cast<uint8_t>(byte);
    return command;
}

static bool refuse(std::string* reason, const std::string& why)
{
    if (reason) *reason = why;
    return false;
}

std::string motorCommandText(const MotorCommand& command) { return singleCableCommandText(command); }

MotorCommand motorHalt() { return commandOf({0x60}); }
MotorCommand motorLimitsOff() { return commandOf({0x63}); }
MotorCommand motorSetLimit(MotorSide side) { return commandOf({side == MotorEast ? 0x66u : 0x67u}); }

bool motorDrive(MotorSide side, int steps, MotorCommand* command, std::string* reason)
{
    if (steps < 1 || steps > motorMostSteps)
        return refuse(reason, std::to_string(steps) + " steps: a drive takes 1-" + std::to_string(motorMostSteps));
    *command = commandOf({side == MotorEast ? 0x68u : 0x69u, static_cast<unsigned>(256 - steps)});
    return true;
}

bool motorStore(int slot, MotorCommand* command, std::string* reason)
{
    if (slot < 1 || slot > 255) return refuse(reason, "position " + std::to_string(slot) + " is not 1-255");
    *command = commandOf({0x6A, static_cast<unsigned>(slot)});
    return true;
}

bool motorGotoStored(int slot, MotorCommand* command, std::string* reason)
{
    if (slot < 0 || slot > 255) return refuse(reason, "position " + std::to_string(slot) + " is not 0-255");
    *command = commandOf({0x6B, static_cast<unsigned>(slot)});
    return true;
}

MotorCommand motorGotoAngle(double angleDeg, bool southernHemisphere)
{
    const long n = std::lround(16.0 * std::fabs(angleDeg));
    const bool east = angleDeg > 0.0;
    const unsigned side = n == 0 || east != southernHemisphere ? 0xE0u : 0xD0u;
    // 16 x 90 degrees fits the high byte's low nibble many times over.
    const unsigned sixteenths = static_cast<unsigned>(n > 0xFFF ? 0xFFF : n);
    return commandOf({0x6E, side + sixteenths / 256, sixteenths % 256});
}

bool motorGotoAngleOf(const MotorCommand& command, bool southernHemisphere, double* angleDeg)
{
    if (command.length != 5 || command.bytes[0] != 0xE0 || command.bytes[1] != 0x31 || command.bytes[2] != 0x6E)
        return false;
    const unsigned side = command.bytes[3] & 0xF0u;
    if (side != 0xE0u && side != 0xD0u) return false;
    const double degrees = ((command.bytes[3] & 0x0Fu) * 256u + command.bytes[4]) / 16.0;
    const bool east = (side == 0xE0u) != southernHemisphere;
    *angleDeg = east ? degrees : -degrees;
    return true;
}

uint32_t motorTravelMs(double turnDeg, double speedDegPerS)
{
    if (!(speedDegPerS > 0.0)) speedDegPerS = defaultMotorSpeedDegPerS;
    return static_cast<uint32_t>(std::ceil(std::fabs(turnDeg) / speedDegPerS * 1000.0)) + motorStartStopMs;
}

std::vector<MotorStep> motorSteps(uint32_t travelMs, bool thenTune)
{
    std::vector<MotorStep> steps{
        {MotorToneOff, 0}, {MotorSupply18, 0}, {MotorPause, motorCommandLeadMs}, {MotorSend, 0}};
    if (travelMs > 0) steps.push_back({MotorHoldUntilThere, travelMs});
    if (thenTune) steps.push_back({MotorTune, 0});
    return steps;
}
