// The simulated card's motorised dish: each of the positioner's steps
// (cardbase/motor/motor_commands.h) carried out against the practice dish,
// with the line the card's log gets for it, and the reading the program
// gets while a measurement waits for the motor. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/motor/motor_commands.h"
#include "cardbase/signal_scale.h"
#include "sim/dish/dish_model.h"

// "MotorSupply 18", "MotorCommand E0 31 6E E1 55 -> moves", "MotorHold 15500 ms".
std::string simMotorStep(DishModel& dish, const MotorStep& step, const MotorCommand& command, uint32_t nowMs);

// No lock, whatever the dish gives: its level stays.
SignalReading withoutLock(const SignalReading& reading);
