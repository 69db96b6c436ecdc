#include "dvb/helper/motor/motor_options.h"

#include <cmath>

#include "app/number_text.h"
#include "cardbase/motor/motor_settings.h"

const char motorUsage[] = "  --goto SAT             turn a USALS motor to the satellite SAT (a name in the\n"
                          "                         catalogue, or a position such as 19.2E) seen from --site,\n"
                          "                         hold 18 V until its estimated arrival, then tune the\n"
                          "                         catalogue's transponder of it and say whether it locks\n"
                          "  --goto-angle DEGREES   with --site: turn a USALS motor to a motor angle (east\n"
                          "                         positive) and hold 18 V until its estimated arrival\n"
                          "  --drive east|west N    drive the motor N steps (1 to 128) east or west\n"
                          "  --halt                 stop the motor where it stands\n"
                          "  --limit east|west|off  set the motor's east or west limit where it stands, or\n"
                          "                         take the limits off\n"
                          "  --store N              store where the motor stands as position N (1 to 255)\n"
                          "  --goto-stored N        turn the motor to its stored position N (0 to 255, 0 its\n"
                          "                         reference)\n"
                          "  --motor-limit DEGREES  with a motor's command: its limit either way from the\n"
                          "                         meridian (1 to 90, default 75); farther is refused\n"
                          "  --motor-speed DEG/S    with a motor's command: its speed (0.1 to 20, default 1.5),\n"
                          "                         for the time it takes to arrive\n"
                          "  --arc                  with --site: drive the motor across the arc over the\n"
                          "                         catalogue's Ku-band satellites, find where each peaks\n"
                          "                         and its loss, and say which of the mount's adjustments\n"
                          "                         is off, which way and by how much\n"
                          "  --from ANGLE --to ANGLE  with --arc: only the satellites between these motor\n"
                          "                         angles (east positive)\n"
                          "  --reference FILE       with --arc: each satellite's C/N in clear sky with the\n"
                          "                         dish peaked on it, a line each (19.2E 15.2); without\n"
                          "                         it a real dish's satellites count along the arc only\n";

static const char* const valueOptions[] = {"--goto",  "--goto-angle",  "--drive",       "--limit",
                                           "--store", "--goto-stored", "--motor-limit", "--motor-speed",
                                           "--from",  "--to",          "--reference"};

bool motorOptionTakesValue(const std::string& name)
{
    for (const char* option : valueOptions)
        if (name == option) return true;
    return false;
}

bool motorOptionTakesTwo(const std::string& name) { return name == "--drive"; }

bool isMotorOption(const std::string& name)
{
    return name == "--halt" || name == "--arc" || motorOptionTakesValue(name);
}

static bool signedDegrees(const std::string& text, double* value)
{
    return readDecimalNumber(text, DecimalForm{true, true, 16, 0}, value) && std::fabs(*value) <= 90.0;
}

static bool wholeIn(const std::string& text, int least, int most, int* value)
{
    return readWholeNumber(text, WholeForm{least, most, 3, false}, value);
}

static bool setAction(MotorOptions* options, MotorAction action, const std::string& name, std::string* error)
{
    if (options->action != NoAction) {
        *error = name + " and " + options->actionName + " are two commands: give one";
        return false;
    }
    options->action = action;
    options->actionName = name;
    return true;
}

// The action's own value; false with `error` set.
static bool takeAction(const std::string& name, const std::string& value, MotorOptions* options, std::string* error)
{
    if (name == "--goto") {
        if (value.empty()) {
            *error = "--goto needs a satellite: a name in the catalogue, or a position such as 19.2E";
            return false;
        }
        options->satellite = value;
        return setAction(options, ActionGoto, name, error);
    }
    if (name == "--goto-angle") {
        if (!signedDegrees(value, &options->angleDeg)) {
            *error = "--goto-angle wants a motor angle in degrees, east positive (21.3, -32.8), not \"" + value + "\"";
            return false;
        }
        return setAction(options, ActionGotoAngle, name, error);
    }
    if (name == "--drive") {
        const size_t blank = value.find(' ');
        const std::string side = value.substr(0, blank),
                          count = blank == std::string::npos ? "" : value.substr(blank + 1);
        if ((side != "east" && side != "west") || !wholeIn(count, 1, motorMostSteps, &options->steps)) {
            *error = "--drive wants east or west and a number of steps from 1 to 128 (--drive east 10), not \"" +
                     value + "\"";
            return false;
        }
        options->side = side == "east" ? MotorEast : MotorWest;
        return setAction(options, ActionDrive, name, error);
    }
    if (name == "--limit") {
        if (value != "east" && value != "west" && value != "off") {
            *error = "--limit wants east, west or off, not \"" + value + "\"";
            return false;
        }
        options->side = value == "west" ? MotorWest : MotorEast;
        return setAction(options, value == "off" ? ActionLimitsOff : ActionSetLimit, name, error);
    }
    const bool store = name == "--store";
    if (!wholeIn(value, store ? 1 : 0, 255, &options->slot)) {
        *error = name + (store ? " wants a position from 1 to 255" : " wants a position from 0 to 255") + ", not \"" +
                 value + "\"";
        return false;
    }
    return setAction(options, store ? ActionStore : ActionGotoStored, name, error);
}

bool takeMotorOption(const std::string& name, const std::string& value, MotorOptions* options, std::string* error)
{
    std::string reason;
    if (name == "--halt") return setAction(options, ActionHalt, name, error);
    if (name == "--arc") return setAction(options, ActionArc, name, error);
    if (name == "--motor-limit" || name == "--motor-speed") {
        const bool read = name == "--motor-limit" ? parseMotorLimit(value, &options->limitDeg, &reason)
                                                  : parseMotorSpeed(value, &options->speedDegPerS, &reason);
        if (!read) *error = name + ": " + reason;
        options->lastOne = name;
        return read;
    }
    if (name == "--reference") {
        if (value.empty()) {
            *error = "--reference needs a file: each satellite's clear-sky C/N, a line each (19.2E 15.2)";
            return false;
        }
        options->referencePath = value;
        options->lastOne = name;
        return true;
    }
    if (name == "--from" || name == "--to") {
        const bool from = name == "--from";
        if (!signedDegrees(value, from ? &options->fromDeg : &options->toDeg)) {
            *error = name + " wants a motor angle in degrees, east positive (60, -60), not \"" + value + "\"";
            return false;
        }
        (from ? options->hasFrom : options->hasTo) = true;
        options->lastOne = name;
        return true;
    }
    return takeAction(name, value, options, error);
}

bool motorActionNeedsSite(MotorAction action)
{
    return action == ActionGoto || action == ActionGotoAngle || action == ActionArc;
}

std::string motorOptionsProblem(const MotorOptions& options, bool hasSite, bool remote, bool singleCable,
                                const std::string& otherCommand)
{
    if (!options.referencePath.empty() && options.action != ActionArc) return "--reference goes with --arc";
    if (options.action == NoAction)
        return options.lastOne.empty() ? "" : options.lastOne + " goes with a motor's command (--goto, --arc ...)";
    const std::string& name = options.actionName;
    if (!otherCommand.empty()) return name + " goes without " + otherCommand;
    if ((options.hasFrom || options.hasTo) && options.action != ActionArc) return "--from and --to go with --arc";
    if (options.hasFrom != options.hasTo) return "--arc takes --from and --to together";
    if (motorActionNeedsSite(options.action) && !hasSite)
        return name + " needs --site LAT,LON: the dish's site in degrees, north and east positive, such as 51.5,-0.13";
    if (remote)
        return name + " with --server: dvbv5-daemon cannot carry a positioner's command (its libdvbv5 drives the LNB "
                      "its own way); run azimora-dvb on the machine with the card";
    if (singleCable) return name + " goes without --scr: the positioner is driven on the receiver's own cable";
    return "";
}
