// Where a motorised dish is turned and when it is there: the command for
// a satellite or a motor angle, refused with its reason where the satellite
// is below the horizon or beyond the motor's limit (nothing is sent then),
// the satellite a measurement turns the dish to first, and what a card
// knows of its motor between commands. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/motor/motor_settings.h"

struct MotorTarget {
    std::string refusal;  // "" when the motor may turn; else why not, and nothing is sent
    bool angleKnown = false;
    double angleDeg = 0.0;  // the motor angle, east positive (the USALS angle of a satellite)
    MotorCommand command;   // GotoX, or to a stored position
    std::string words;      // "19.2° E (21.3° east)", for the card's line and the log
};

// The motor's turn for the satellite at `longitudeDeg`: GotoX (usals), or
// the stored position listed for it (diseqc12).
MotorTarget motorTargetFor(const MotorSettings& settings, double longitudeDeg);
// A motor angle as it is typed (east positive), for a USALS motor.
MotorTarget motorTargetForAngle(const MotorSettings& settings, double angleDeg);
// "21.3° east", "32.8° west", "0.0°".
std::string motorAngleText(double angleDeg);

// The satellite a measurement turns the dish to first: where exactly one
// catalogue line lists the tuned transponder (frequency, polarisation and
// symbol rate as the program sent them) and its name ends with a position.
// A card cannot tell a typed start from a catalogue one: a transponder two
// lines list, or none, leaves the dish where it is.
bool satelliteToTurnTo(const std::vector<CatalogueLine>& catalogue, const CardTuning& tuning, double* longitudeDeg);

// What a card knows of its motor: where it last sent it, and when it
// should be there. Before any command the motor is taken to stand on the
// meridian; after a halt, or a move whose angle the card cannot know, it
// is taken to be anywhere within its limits.
struct MotorTracker {
    bool angleKnown = false;
    double angleDeg = 0.0;
    bool started = false;  // a command went out since the card started
    uint32_t sentAtMs = 0;
    uint32_t travelMs = 0;  // from sentAtMs to the estimated arrival
};
// A move sent now to `target`: its estimated travel time.
uint32_t motorMoveSent(MotorTracker& tracker, const MotorTarget& target, const MotorSettings& settings, uint32_t nowMs);
// `steps` steps east or west (a step is a sixteenth of a degree or less on
// the motors this serves).
uint32_t motorStepsSent(MotorTracker& tracker, MotorSide side, int steps, const MotorSettings& settings,
                        uint32_t nowMs);
void motorHalted(MotorTracker& tracker, uint32_t nowMs);
// Whether the estimated arrival has passed, and how long is left.
bool motorThere(const MotorTracker& tracker, uint32_t nowMs);
uint32_t motorRemainingMs(const MotorTracker& tracker, uint32_t nowMs);
// "turning the dish to 19.2° E (21.3° east), there in about 15 s".
std::string motorTurningWords(const MotorTarget& target, uint32_t travelMs);
