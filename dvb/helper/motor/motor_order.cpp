#include "dvb/helper/motor/motor_order.h"

#include <cmath>

#include "cardbase/motor/card_motor.h"
#include "cardbase/pointing/pointing_input.h"
#include "dvb/helper/typed_tuning.h"

MotorSettings motorSettingsOf(const MotorOptions& options, bool hasSite, const DishSite& site)
{
    MotorSettings settings;
    settings.kind = UsalsMotor;
    settings.limitDeg = options.limitDeg;
    settings.speedDegPerS = options.speedDegPerS;
    settings.hasSite = hasSite;
    settings.site = site;
    return settings;
}

bool tuningOfTransponder(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, CardTuning* tuning,
                         std::string* entry)
{
    if (polarization > 1) return false;
    std::string error;
    return tuningFromEntry(std::to_string(frequencyMHz) + (polarization == 0 ? "H" : "V") + std::to_string(symbolRate),
                           tuning, entry, &error);
}

// The satellite's catalogue transponder: its named line, or the first line
// at its position with a polarisation letter.
static bool catalogueTransponderOf(const std::vector<CatalogueLine>& catalogue, double longitudeDeg,
                                   const std::string& name, MotorOrder* order)
{
    for (const CatalogueLine& line : catalogue) {
        if (!line.hasPosition || std::fabs(line.longitudeDeg - longitudeDeg) > 0.05) continue;
        if (!name.empty() && squeezedName(line.name) != name) continue;
        if (tuningOfTransponder(line.frequencyMHz, line.polarization, line.symbolRate, &order->tuning, &order->entry))
            return true;
    }
    return false;
}

// A catalogue name as the words say it: "Astra1B1H,2C", since the words
// give the position themselves.
static std::string nameWithoutPosition(const std::string& name)
{
    const size_t space = name.find_last_of(' ');
    double longitude = 0.0;
    std::string bare, error;
    if (space == std::string::npos || !parseSatellite(name.substr(space + 1), {}, &longitude, &bare, &error))
        return name;
    return name.substr(0, space);
}

// A move as a card makes it on the phone page's request (card_motor.h).
static MotorOrder requested(CardMotor& motor, const MotorRequest& request)
{
    const CardMotorMove move = cardMotorForRequest(motor, request, 0);
    MotorOrder order;
    if (move.steps.empty()) order.refusal = move.words;
    order.command = move.command;
    order.travelMs = move.travelMs;
    order.words = move.words;
    order.there = motor.at;
    return order;
}

static MotorOrder sent(const MotorCommand& command, const std::string& words)
{
    MotorOrder order;
    order.command = command;
    order.words = words;
    return order;
}

MotorOrder motorOrderFor(const MotorOptions& options, bool hasSite, const DishSite& site,
                         const std::vector<CatalogueLine>& catalogue)
{
    CardMotor motor;
    motor.settings = motorSettingsOf(options, hasSite, site);
    MotorRequest request;
    MotorOrder order;
    MotorCommand command;
    switch (options.action) {
    case ActionGoto: {
        request.kind = MotorGotoSatellite;
        if (!parseSatellite(options.satellite, catalogue, &request.longitudeDeg, &request.name, &order.refusal))
            return order;
        MotorRequest said = request;
        said.name = nameWithoutPosition(request.name);
        order = requested(motor, said);
        if (order.refusal.empty())
            order.tuneAfter = catalogueTransponderOf(catalogue, request.longitudeDeg, request.name, &order);
        return order;
    }
    case ActionGotoAngle: {
        const MotorTarget target = motorTargetForAngle(motor.settings, options.angleDeg);
        if (!target.refusal.empty()) {
            order.refusal = target.refusal;
            return order;
        }
        order.command = target.command;
        order.travelMs = motorMoveSent(motor.tracker, target, motor.settings, 0);
        order.words = motorTurningWords(target, order.travelMs);
        order.there = target.words;
        return order;
    }
    case ActionDrive:
        request.kind = MotorDriveSteps;
        request.side = options.side;
        request.steps = options.steps;
        return requested(motor, request);
    case ActionHalt: request.kind = MotorHaltRequest; return requested(motor, request);
    case ActionSetLimit:
        return sent(motorSetLimit(options.side), std::string("the ") + (options.side == MotorEast ? "east" : "west") +
                                                     " limit set where the motor stands");
    case ActionLimitsOff: return sent(motorLimitsOff(), "the limits taken off");
    case ActionStore:
        if (!motorStore(options.slot, &command, &order.refusal)) return order;
        return sent(command, "where the motor stands stored as position " + std::to_string(options.slot));
    case ActionGotoStored: {
        if (!motorGotoStored(options.slot, &command, &order.refusal)) return order;
        // Where a stored position lies is the motor's own: the widest turn is waited for.
        MotorTarget anywhere;
        anywhere.command = command;
        order = sent(command, "");
        order.travelMs = motorMoveSent(motor.tracker, anywhere, motor.settings, 0);
        anywhere.words = "stored position " + std::to_string(options.slot);
        order.words = motorTurningWords(anywhere, order.travelMs);
        order.there = anywhere.words;
        return order;
    }
    case ActionArc:
    case NoAction: break;
    }
    order.refusal = "no motor command given";
    return order;
}
