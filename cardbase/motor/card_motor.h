// What every card does with a motorised dish: Azimora's own measurement
// turns the dish first where exactly one catalogue line lists the tuned
// transponder (the tune returns at once, and the card reports no lock
// until the motor's estimated arrival), and the phone page's "Go to" and
// east/west steps are card requests. Each move is the positioner's
// command with its steps (motor_commands.h), or a refusal in words with
// nothing sent. Platform-neutral; the card carries the steps out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/motor/motor_plan.h"

// A card request from the phone page.
enum MotorRequestKind : uint8_t { MotorGotoSatellite, MotorDriveSteps, MotorHaltRequest };
struct MotorRequest {
    MotorRequestKind kind = MotorHaltRequest;
    double longitudeDeg = 0.0;   // MotorGotoSatellite
    std::string name;            // the catalogue's name, "" for a position
    MotorSide side = MotorEast;  // MotorDriveSteps
    int steps = 1;
};

struct CardMotor {
    MotorSettings settings;
    MotorTracker tracker;
    bool holding = false;  // a measurement waits for the motor: no lock until it is there
    std::string at;        // where it was last sent, in words ("19.2° E (21.3° east)")
};

// What to carry out: `steps` with `command` (none with a refusal), and the
// words for the card's line ("turning the dish to ...", or the refusal).
struct CardMotorMove {
    std::vector<MotorStep> steps;
    MotorCommand command;
    std::string words;
    uint32_t travelMs = 0;
};

// A start's six calls have come. No move where the card has no motor or
// the transponder is not a catalogue satellite's; a refusal where the
// satellite cannot be turned to.
CardMotorMove cardMotorForTune(CardMotor& motor, const std::vector<CatalogueLine>& catalogue, const CardTuning& tuning,
                               uint32_t nowMs);
// A request from the phone page (the page has been told it may ask).
CardMotorMove cardMotorForRequest(CardMotor& motor, const MotorRequest& request, uint32_t nowMs);
// Whether a measurement still waits for the motor; the first time it no
// longer does, `arrived` says so.
bool cardMotorHolds(CardMotor& motor, uint32_t nowMs, bool* arrived);

// "motor: " and the words, for the card's line after its name.
std::string cardMotorLine(const std::string& cardName, const std::string& words);
