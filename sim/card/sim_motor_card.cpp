#include "sim/card/sim_motor_card.h"

#include "sim/card/sim_motor.h"
#include "sim/card/sim_settings.h"

static void logLine(SimMotorCard& card, const std::string& line)
{
    EnterCriticalSection(card.lock);
    appendLogLine(card.log, line);
    LeaveCriticalSection(card.lock);
}

// The steps one by one against the practice dish, each under the card's
// lock, the pauses without it; the move's words on the card's line.
static void turnDish(SimMotorCard& card, const CardMotorMove& move)
{
    if (!move.words.empty()) noteCardLine(*card.feed, cardMotorLine(card.cardName, move.words));
    if (move.steps.empty() && !move.words.empty()) logLine(card, "MotorRefused " + move.words);
    for (const MotorStep& step : move.steps) {
        EnterCriticalSection(card.lock);
        appendLogLine(card.log, simMotorStep(*card.dish, step, move.command, GetTickCount()));
        LeaveCriticalSection(card.lock);
        if (step.kind == MotorPause) Sleep(step.ms);
    }
}

void startSimMotor(SimMotorCard& card, const MotorSettings& settings)
{
    card.motor.settings = settings;
    if (!settings.problem.empty()) noteCardLine(*card.feed, cardMotorLine(card.cardName, settings.problem));
    if (settings.kind == NoMotor && settings.problem.empty()) return;
    setCardMotor(*card.feed, [&card](const MotorRequest& request) {
        EnterCriticalSection(card.lock);
        const CardMotorMove move = cardMotorForRequest(card.motor, request, GetTickCount());
        LeaveCriticalSection(card.lock);
        turnDish(card, move);
        return move.words;
    });
}

void turnSimDishFirst(SimMotorCard& card)
{
    EnterCriticalSection(card.lock);
    const CardMotorMove move = cardMotorForTune(card.motor, programCatalogueLines(), card.dish->tuning, GetTickCount());
    LeaveCriticalSection(card.lock);
    turnDish(card, move);
}

SignalReading simMotorHold(SimMotorCard& card, const SignalReading& reading, uint32_t nowMs)
{
    bool arrived = false;
    const bool held = cardMotorHolds(card.motor, nowMs, &arrived);
    if (arrived) {
        appendLogLine(card.log, "MotorThere");
        card.arrived = true;
    }
    return held ? withoutLock(reading) : reading;
}

void afterSimMotorReading(SimMotorCard& card)
{
    EnterCriticalSection(card.lock);
    const bool arrived = card.arrived;
    card.arrived = false;
    const std::string at = card.motor.at;
    LeaveCriticalSection(card.lock);
    if (arrived) noteCardLine(*card.feed, cardMotorLine(card.cardName, "at " + at));
}
