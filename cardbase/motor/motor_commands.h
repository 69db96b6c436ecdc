// A motorised dish's positioner (DiSEqC 1.2 and USALS): its commands, the
// steps every card carries them out with, and the time the motor takes,
// built once as data. Each command goes out once: unlike a switch's, it
// is never said again, so that a step command moves one step. The motor
// turns faster at 18 V, which the card holds while it moves; no tone.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/single_cable.h"

// A positioner's command is a DiSEqC message as single cable's are, and
// is written the same way ("E0 31 6E E1 55").
using MotorCommand = SingleCableCommand;
std::string motorCommandText(const MotorCommand& command);

enum MotorSide : uint8_t { MotorEast, MotorWest };

// E0 31 60: stop where it is.
MotorCommand motorHalt();
// E0 31 63: the soft limits off.
MotorCommand motorLimitsOff();
// E0 31 66 (east) or 67 (west): the soft limit set where the motor stands.
MotorCommand motorSetLimit(MotorSide side);
// E0 31 68 (east) or 69 (west), then 256 - n: n steps (1-128).
constexpr int motorMostSteps = 128;
bool motorDrive(MotorSide side, int steps, MotorCommand* command, std::string* reason);
// E0 31 6A nn: the position the motor stands at stored as nn (1-255).
bool motorStore(int slot, MotorCommand* command, std::string* reason);
// E0 31 6B nn: to the stored position nn (0-255, 0 the motor's reference).
bool motorGotoStored(int slot, MotorCommand* command, std::string* reason);
// E0 31 6E HH LL: USALS's GotoX to the motor angle (east positive), in
// sixteenths of a degree, n = round(16 |angle|): HH = E0 for an angle
// east of the meridian north of the equator (D0 west; the other way round
// south of it) + n div 256, LL = n mod 256.
MotorCommand motorGotoAngle(double angleDeg, bool southernHemisphere);
// The angle a GotoX asks for, as the motor reads it back (east positive);
// false for another command.
bool motorGotoAngleOf(const MotorCommand& command, bool southernHemisphere, double* angleDeg);

// The motor's speed where nothing else is said (degrees a second at 18 V),
// the widest turn either way, and what a start and a stop add to a move.
constexpr double defaultMotorSpeedDegPerS = 1.5;
constexpr double defaultMotorLimitDeg = 75.0;
constexpr uint32_t motorStartStopMs = 500;
// The time to arrive after turning `turnDeg` at `speedDegPerS`.
uint32_t motorTravelMs(double turnDeg, double speedDegPerS);

// The steps, as data: the command goes out at 18 V without the tone, and
// a motor that moves keeps 18 V until its estimated arrival, when the
// tune it was turned for goes out.
enum MotorStepKind : uint8_t {
    MotorToneOff,
    MotorSupply18,
    MotorPause,           // ms
    MotorSend,            // the command, once
    MotorHoldUntilThere,  // 18 V kept until the estimated arrival (ms from the command)
    MotorTune,            // the tune the move was for, as the program asked it
};
struct MotorStep {
    MotorStepKind kind;
    uint32_t ms;
};
constexpr uint32_t motorCommandLeadMs = 15;  // from 18 V to the command, as for single cable
// Tone off, 18 V, 15 ms, the command; with `travelMs` (a move), 18 V held
// that long and then, with `thenTune`, the tune.
std::vector<MotorStep> motorSteps(uint32_t travelMs, bool thenTune);
