#include "cardbase/motor/card_motor.h"

static CardMotorMove refusedMove(const std::string& why)
{
    CardMotorMove move;
    move.words = why;
    return move;
}

static CardMotorMove moveTo(CardMotor& motor, const MotorTarget& target, uint32_t nowMs, bool thenTune)
{
    if (!target.refusal.empty()) return refusedMove(target.refusal);
    CardMotorMove move;
    move.command = target.command;
    move.travelMs = motorMoveSent(motor.tracker, target, motor.settings, nowMs);
    move.steps = motorSteps(move.travelMs, thenTune);
    move.words = motorTurningWords(target, move.travelMs);
    motor.at = target.words;
    return move;
}

CardMotorMove cardMotorForTune(CardMotor& motor, const std::vector<CatalogueLine>& catalogue, const CardTuning& tuning,
                               uint32_t nowMs)
{
    motor.holding = false;
    double longitude = 0.0;
    if (motor.settings.kind == NoMotor && motor.settings.problem.empty()) return CardMotorMove();
    if (!satelliteToTurnTo(catalogue, tuning, &longitude)) return CardMotorMove();
    CardMotorMove move = moveTo(motor, motorTargetFor(motor.settings, longitude), nowMs, true);
    motor.holding = !move.steps.empty();
    return move;
}

CardMotorMove cardMotorForRequest(CardMotor& motor, const MotorRequest& request, uint32_t nowMs)
{
    if (!motor.settings.problem.empty()) return refusedMove(motor.settings.problem);
    if (motor.settings.kind == NoMotor) return refusedMove("no motor is set (motor=usals or motor=diseqc12)");
    CardMotorMove move;
    switch (request.kind) {
    case MotorGotoSatellite: {
        MotorTarget target = motorTargetFor(motor.settings, request.longitudeDeg);
        if (!request.name.empty()) target.words = request.name + " " + target.words;
        return moveTo(motor, target, nowMs, false);
    }
    case MotorDriveSteps: {
        std::string reason;
        if (!motorDrive(request.side, request.steps, &move.command, &reason)) return refusedMove(reason);
        move.travelMs = motorStepsSent(motor.tracker, request.side, request.steps, motor.settings, nowMs);
        move.steps = motorSteps(move.travelMs, false);
        move.words = std::string("driving the dish ") + std::to_string(request.steps) +
                     (request.steps == 1 ? " step " : " steps ") + (request.side == MotorEast ? "east" : "west");
        return move;
    }
    case MotorHaltRequest: break;
    }
    move.command = motorHalt();
    motorHalted(motor.tracker, nowMs);
    move.steps = motorSteps(0, false);
    move.words = "the motor halted";
    return move;
}

bool cardMotorHolds(CardMotor& motor, uint32_t nowMs, bool* arrived)
{
    *arrived = false;
    if (!motor.holding) return false;
    if (!motorThere(motor.tracker, nowMs)) return true;
    motor.holding = false;
    *arrived = true;
    return false;
}

std::string cardMotorLine(const std::string& cardName, const std::string& words)
{
    return words.empty() ? cardName : cardName + "; motor: " + words;
}
