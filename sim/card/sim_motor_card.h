// The simulated card's motorised dish, as the card object carries it out:
// its settings (motor= ... in simcard.ini), the turn a start makes first,
// the hold until the motor's estimated arrival, the phone page's moves,
// and each step against the practice dish in the card's log.
#pragma once
#include <windows.h>

#include <string>

#include "cardbase/motor/card_motor.h"
#include "cardbase/reading_feed.h"
#include "sim/dish/dish_model.h"

struct SimMotorCard {
    CRITICAL_SECTION* lock = nullptr;  // the card's: guards the dish and the motor
    DishModel* dish = nullptr;
    ReadingFeed* feed = nullptr;
    HANDLE log = INVALID_HANDLE_VALUE;
    std::string cardName;
    CardMotor motor;
    bool arrived = false;  // for the card's line, said outside the card's lock
};

// A problem with the settings goes on the card's line; a card with a motor
// offers the phone page its moves.
void startSimMotor(SimMotorCard& card, const MotorSettings& settings);
// A start's six calls have come: the dish turns first where the
// transponder is a catalogue satellite's. Called without the card's lock.
void turnSimDishFirst(SimMotorCard& card);
// Under the card's lock, after the dish's reading: no lock before the
// estimated arrival.
SignalReading simMotorHold(SimMotorCard& card, const SignalReading& reading, uint32_t nowMs);
// Without the card's lock: the card's line once the motor is there.
void afterSimMotorReading(SimMotorCard& card);
