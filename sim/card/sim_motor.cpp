#include "sim/card/sim_motor.h"

std::string simMotorStep(DishModel& dish, const MotorStep& step, const MotorCommand& command, uint32_t nowMs)
{
    switch (step.kind) {
    case MotorToneOff: return "MotorTone off";
    case MotorSupply18: return "MotorSupply 18";
    case MotorPause: return "MotorPause " + std::to_string(step.ms) + " ms";
    case MotorSend: {
        const MotorHeard heard = motorCommandToDish(dish, command.bytes, command.length, nowMs);
        return "MotorCommand " + motorCommandText(command) + " -> " +
               (dish.motorised ? motorHeardName(heard) : "no motor");
    }
    case MotorHoldUntilThere: return "MotorHold " + std::to_string(step.ms) + " ms";
    case MotorTune: break;
    }
    return "MotorTune at the arrival";
}

SignalReading withoutLock(const SignalReading& reading)
{
    SignalReading held{false, 0, reading.snr};
    held.level = reading.level;
    return held;
}
