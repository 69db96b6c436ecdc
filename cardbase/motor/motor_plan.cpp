#include "cardbase/motor/motor_plan.h"

#include <cmath>
#include <cstdio>

#include "cardbase/pointing/pointing_text.h"

static const double stepDeg = 1.0 / 16.0;

std::string motorAngleText(double angleDeg)
{
    char text[32];
    const double shown = std::round(std::fabs(angleDeg) * 10.0) / 10.0;
    if (shown == 0.0) return "0.0\xC2\xB0";
    std::snprintf(text, sizeof text, "%.1f\xC2\xB0 %s", shown, angleDeg > 0 ? "east" : "west");
    return text;
}

// The angle's own checks: the limit either way, and the hemisphere's side.
static MotorTarget angleTarget(const MotorSettings& settings, double angleDeg, MotorTarget target)
{
    target.angleKnown = true;
    target.angleDeg = angleDeg;
    if (std::fabs(angleDeg) > settings.limitDeg) {
        char limit[16];
        std::snprintf(limit, sizeof limit, "%g", settings.limitDeg);
        target.refusal = target.words + " is beyond the motor's limit of " + limit + "\xC2\xB0";
    }
    return target;
}

MotorTarget motorTargetFor(const MotorSettings& settings, double longitudeDeg)
{
    MotorTarget target;
    target.words = orbitalPositionText(longitudeDeg);
    if (!settings.problem.empty()) {
        target.refusal = settings.problem;
        return target;
    }
    if (settings.kind == NoMotor) {
        target.refusal = "no motor is set (motor=usals or motor=diseqc12)";
        return target;
    }
    if (settings.hasSite) {
        const double elevation = lookAngles(settings.site, longitudeDeg).direction.elevationDeg;
        const double angle = usalsAngleDeg(settings.site, longitudeDeg);
        target.words += " (" + motorAngleText(angle) + ")";
        if (elevation <= 0.0) {
            char degrees[32];
            std::snprintf(degrees, sizeof degrees, "%.1f", elevation);
            target.refusal =
                orbitalPositionText(longitudeDeg) + " is below the horizon here (elevation " + degrees + "\xC2\xB0)";
            return target;
        }
        target = angleTarget(settings, angle, target);
        if (!target.refusal.empty()) return target;
    }
    if (settings.kind == UsalsMotor) {
        target.command = motorGotoAngle(target.angleDeg, settings.site.latitudeDeg < 0.0);
        return target;
    }
    for (const MotorPosition& position : settings.positions) {
        if (std::fabs(position.longitudeDeg - longitudeDeg) > 0.05) continue;
        motorGotoStored(position.slot, &target.command, nullptr);
        return target;
    }
    target.refusal = orbitalPositionText(longitudeDeg) + " has no stored position in motor-positions";
    return target;
}

MotorTarget motorTargetForAngle(const MotorSettings& settings, double angleDeg)
{
    MotorTarget target;
    target.words = motorAngleText(angleDeg);
    if (!settings.problem.empty()) target.refusal = settings.problem;
    else if (settings.kind != UsalsMotor) target.refusal = "a motor angle needs a USALS motor (motor=usals)";
    if (!target.refusal.empty()) return target;
    target = angleTarget(settings, angleDeg, target);
    target.command = motorGotoAngle(angleDeg, settings.site.latitudeDeg < 0.0);
    return target;
}

bool satelliteToTurnTo(const std::vector<CatalogueLine>& catalogue, const CardTuning& tuning, double* longitudeDeg)
{
    const CatalogueLine* listing = nullptr;
    int lines = 0;
    for (const CatalogueLine& line : catalogue) {
        if (line.frequencyMHz != tuning.frequencyMHz || line.polarization != tuning.polarization ||
            line.symbolRate != tuning.symbolRate)
            continue;
        ++lines;
        listing = &line;
    }
    if (lines != 1 || !listing->hasPosition) return false;
    *longitudeDeg = listing->longitudeDeg;
    return true;
}

static uint32_t sent(MotorTracker& tracker, uint32_t travelMs, uint32_t nowMs)
{
    tracker.started = true;
    tracker.sentAtMs = nowMs;
    tracker.travelMs = travelMs;
    return travelMs;
}

uint32_t motorMoveSent(MotorTracker& tracker, const MotorTarget& target, const MotorSettings& settings, uint32_t nowMs)
{
    // From the meridian before anything was sent; the widest turn where
    // either end of the move cannot be known.
    const bool fromKnown = !tracker.started || tracker.angleKnown;
    const double from = tracker.started ? tracker.angleDeg : 0.0;
    const double turn = fromKnown && target.angleKnown ? std::fabs(target.angleDeg - from) : 2.0 * settings.limitDeg;
    tracker.angleKnown = target.angleKnown;
    tracker.angleDeg = target.angleDeg;
    return sent(tracker, motorTravelMs(turn, settings.speedDegPerS), nowMs);
}

uint32_t motorStepsSent(MotorTracker& tracker, MotorSide side, int steps, const MotorSettings& settings, uint32_t nowMs)
{
    const double turn = steps * stepDeg;
    if (tracker.angleKnown) tracker.angleDeg += side == MotorEast ? turn : -turn;
    return sent(tracker, motorTravelMs(turn, settings.speedDegPerS), nowMs);
}

void motorHalted(MotorTracker& tracker, uint32_t nowMs)
{
    tracker.angleKnown = false;
    sent(tracker, 0, nowMs);
}

bool motorThere(const MotorTracker& tracker, uint32_t nowMs) { return nowMs - tracker.sentAtMs >= tracker.travelMs; }

uint32_t motorRemainingMs(const MotorTracker& tracker, uint32_t nowMs)
{
    return motorThere(tracker, nowMs) ? 0 : tracker.travelMs - (nowMs - tracker.sentAtMs);
}

std::string motorTurningWords(const MotorTarget& target, uint32_t travelMs)
{
    return "turning the dish to " + target.words + ", there in about " + std::to_string((travelMs + 999) / 1000) + " s";
}
