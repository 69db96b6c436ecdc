// azimora-dvb's options of a motorised dish: one move of the positioner
// (--goto SAT, --goto-angle DEGREES, --drive east|west N, --halt,
// --limit east|west|off, --store N, --goto-stored N) or the arc check
// (--arc, with --from ANGLE --to ANGLE), each with --motor-limit and
// --motor-speed; the site, the catalogue and the CSV file come with
// --site, --catalogue and --csv, which others have too (helper_options.cpp).
// Platform-neutral.
#pragma once
#include <string>

#include "cardbase/motor/motor_commands.h"

enum MotorAction : uint8_t {
    NoAction,
    ActionGoto,        // --goto SAT: then the catalogue's transponder of it tuned
    ActionGotoAngle,   // --goto-angle DEGREES
    ActionDrive,       // --drive east|west N
    ActionHalt,        // --halt
    ActionSetLimit,    // --limit east|west
    ActionLimitsOff,   // --limit off
    ActionStore,       // --store N
    ActionGotoStored,  // --goto-stored N
    ActionArc,         // --arc
};

struct MotorOptions {
    MotorAction action = NoAction;
    std::string actionName;  // the option that asked for it, for a complaint
    std::string satellite;   // --goto SAT as typed: a name of the catalogue, or a position (19.2E)
    double angleDeg = 0.0;   // --goto-angle: a motor angle, east positive
    MotorSide side = MotorEast;
    int steps = 0;  // --drive
    int slot = 0;   // --store, --goto-stored
    double limitDeg = defaultMotorLimitDeg;
    double speedDegPerS = defaultMotorSpeedDegPerS;
    bool hasFrom = false, hasTo = false;  // --arc's range: motor angles, east positive
    double fromDeg = 0.0, toDeg = 0.0;
    std::string referencePath;  // --arc --reference FILE: each satellite's clear-sky C/N (arc_reference.h)
    std::string lastOne;        // the latest option given that goes with a motor action only
};

// Whether the option is one of the motor's, whether it takes a value, and
// whether it takes two (--drive east 10: the second is the next argument).
bool isMotorOption(const std::string& name);
bool motorOptionTakesValue(const std::string& name);
bool motorOptionTakesTwo(const std::string& name);
// Takes one of the motor's options; false with `error` set for the user.
bool takeMotorOption(const std::string& name, const std::string& value, MotorOptions* options, std::string* error);
// After all options: what the motor's own do not go with ("" when all is
// well). `otherCommand` names another command given (--status, --survey,
// --sweep, --point, --tune), else "".
std::string motorOptionsProblem(const MotorOptions& options, bool hasSite, bool remote, bool singleCable,
                                const std::string& otherCommand);
// Whether the action needs --site (a GotoX needs the hemisphere, and a
// satellite its angle from the site).
bool motorActionNeedsSite(MotorAction action);

// The options' lines of --help.
extern const char motorUsage[];
