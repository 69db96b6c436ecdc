// A positioner's steps (cardbase/motor/motor_commands.h) as the frontend
// worker carries out a tuning sequence's: the tone off, 18 V, the lead,
// the command once; the hold and the tune that follow a move are the
// caller's (nothing is sent while the motor turns, so 18 V stays).
// Platform-neutral.
#pragma once
#include <vector>

#include "cardbase/motor/motor_commands.h"
#include "dvb/helper/frontend/tuning_sequence.h"

std::vector<SequenceStep> motorSequenceSteps(const std::vector<MotorStep>& steps, const MotorCommand& command);

// Why a frontend behind dvbv5-daemon takes no positioner's command.
extern const char remoteMotorRefusal[];
