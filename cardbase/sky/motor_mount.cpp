#include "cardbase/sky/motor_mount.h"

#include <cmath>
#include <cstdio>

#include "app/number_text.h"
#include "cardbase/motor/motor_commands.h"

static bool signedNumber(const std::string& text, double* value)
{
    return readDecimalNumber(text, DecimalForm{true, true, 16, 0}, value);
}

bool parseMotorMountWords(const std::vector<std::string>& words, MotorMountSetup* setup, std::string* error)
{
    MotorMountSetup read;
    read.present = true;
    for (size_t i = 0; i < words.size(); i += 2) {
        const std::string& key = words[i];
        double value = 0.0, second = 0.0;
        if (i + 1 >= words.size() || !signedNumber(words[i + 1], &value)) {
            *error = "motor: \"" + key + "\" wants a number of degrees after it";
            return false;
        }
        if (key == "declination") read.errors.declinationDeg = value;
        else if (key == "elevation") read.errors.elevationDeg = value;
        else if (key == "azimuth") read.errors.azimuthDeg = value;
        else if (key == "zero") read.errors.zeroDeg = value;
        else if (key == "at") read.startDeg = value;
        else if (key == "speed" && value > 0.0) read.speedDegPerS = value;
        else if (key == "limit" && value > 0.0) read.eastStopDeg = read.westStopDeg = value;
        else if (key == "limits" && value > 0.0 && i + 2 < words.size() && signedNumber(words[i + 2], &second) &&
                 second > 0.0) {
            read.eastStopDeg = value;
            read.westStopDeg = second;
            ++i;
        } else {
            *error = "motor: \"" + key + " " + words[i + 1] +
                     "\" is none of declination, elevation, azimuth, zero, speed, limit(s), at";
            return false;
        }
    }
    *setup = read;
    return true;
}

std::string motorMountWords(const MotorMountSetup& setup)
{
    char text[200];
    std::snprintf(text, sizeof text, "declination %+.2f elevation %+.2f azimuth %+.2f zero %+.2f speed %g limits %g %g",
                  setup.errors.declinationDeg, setup.errors.elevationDeg, setup.errors.azimuthDeg, setup.errors.zeroDeg,
                  setup.speedDegPerS, setup.eastStopDeg, setup.westStopDeg);
    return text;
}

void resetMotorMount(MotorMount& mount, const MotorMountSetup& setup, bool southernHemisphere, uint32_t nowMs)
{
    mount = MotorMount();
    mount.setup = setup;
    mount.southern = southernHemisphere;
    mount.fromDeg = mount.toDeg = setup.startDeg;
    mount.speedDegPerS = setup.speedDegPerS;
    mount.movedAtMs = nowMs;
    mount.stored.assign(256, std::nan(""));
}

double motorMountAngle(const MotorMount& mount, uint32_t nowMs)
{
    const double travelled = mount.speedDegPerS * (nowMs - mount.movedAtMs) / 1000.0;
    const double way = mount.toDeg - mount.fromDeg;
    if (std::fabs(way) <= travelled) return mount.toDeg;
    return mount.fromDeg + (way > 0 ? travelled : -travelled);
}

bool motorMountMoving(const MotorMount& mount, uint32_t nowMs) { return motorMountAngle(mount, nowMs) != mount.toDeg; }

DishPointing motorMountPointing(const MotorMount& mount, const DishSite& site, uint32_t nowMs)
{
    return pressedUp(polarMountPointing(site, mount.setup.errors, motorMountAngle(mount, nowMs)), mount.pressDeg);
}

// From where it stands now to `targetDeg`, stopping at its end stops and
// at the limits set in it.
static MotorHeard moveTo(MotorMount& mount, double targetDeg, bool supply18, uint32_t nowMs)
{
    double east = mount.setup.eastStopDeg, west = -mount.setup.westStopDeg;
    if (mount.softLimits) {
        east = std::fmin(east, mount.softEastDeg);
        west = std::fmax(west, mount.softWestDeg);
    }
    const double reached = std::fmin(east, std::fmax(west, targetDeg));
    mount.fromDeg = motorMountAngle(mount, nowMs);
    mount.toDeg = reached;
    mount.movedAtMs = nowMs;
    // A positioner turns slower on 13 V.
    mount.speedDegPerS = supply18 ? mount.setup.speedDegPerS : mount.setup.speedDegPerS * 2.0 / 3.0;
    return reached == targetDeg ? MotorMoves : MotorStopsAtStop;
}

// Drive east or west: 0 without end, 1-127 seconds, 128-255 (256 - n) steps.
static MotorHeard drive(MotorMount& mount, bool east, uint8_t amount, bool supply18, uint32_t nowMs)
{
    const double here = motorMountAngle(mount, nowMs);
    double turn = 360.0;
    if (amount >= 0x80) turn = (256 - amount) * motorMountStepDeg;
    else if (amount > 0) turn = amount * mount.setup.speedDegPerS * (supply18 ? 1.0 : 2.0 / 3.0);
    return moveTo(mount, here + (east ? turn : -turn), supply18, nowMs);
}

MotorHeard motorMountHears(MotorMount& mount, const uint8_t* bytes, size_t length, bool supply18, bool toneOn,
                           uint32_t nowMs)
{
    // Framing E0, or E1 for a repeat; address 31, any positioner.
    if (length < 3 || (bytes[0] != 0xE0 && bytes[0] != 0xE1) || bytes[1] != 0x31) return MotorNotForIt;
    if (toneOn) return MotorGarbled;
    const uint8_t command = bytes[2];
    const double here = motorMountAngle(mount, nowMs);
    switch (command) {
    case 0x60:
        mount.fromDeg = mount.toDeg = here;
        mount.movedAtMs = nowMs;
        return MotorHalts;
    case 0x63: mount.softLimits = false; return MotorLimitsOff;
    case 0x66:
    case 0x67:
        if (!mount.softLimits) {
            mount.softEastDeg = mount.setup.eastStopDeg;
            mount.softWestDeg = -mount.setup.westStopDeg;
        }
        if (command == 0x66) mount.softEastDeg = here;
        else mount.softWestDeg = here;
        mount.softLimits = true;
        return MotorLimitSet;
    case 0x68:
    case 0x69:
        if (length < 4) return MotorNotForIt;
        return drive(mount, command == 0x68, bytes[3], supply18, nowMs);
    case 0x6A:
        if (length < 4) return MotorNotForIt;
        if (bytes[3] == 0) {
            mount.softLimits = true;
            return MotorLimitsOn;
        }
        mount.stored[bytes[3]] = here;
        return MotorStores;
    case 0x6B:
        if (length < 4) return MotorNotForIt;
        if (bytes[3] == 0) return moveTo(mount, 0.0, supply18, nowMs);
        if (std::isnan(mount.stored[bytes[3]])) return MotorNoSuchSlot;
        return moveTo(mount, mount.stored[bytes[3]], supply18, nowMs);
    case 0x6E: {
        MotorCommand gotoX;
        for (size_t i = 0; i < length && i < maxSingleCableBytes; ++i) gotoX.bytes[gotoX.length++] = bytes[i];
        gotoX.bytes[0] = 0xE0;
        double angle = 0.0;
        if (!motorGotoAngleOf(gotoX, mount.southern, &angle)) return MotorNotForIt;
        return moveTo(mount, angle, supply18, nowMs);
    }
    default: return MotorNotForIt;
    }
}

const char* motorHeardName(MotorHeard heard)
{
    switch (heard) {
    case MotorGarbled: return "garbled";
    case MotorMoves: return "moves";
    case MotorStopsAtStop: return "stops at its limit";
    case MotorHalts: return "halts";
    case MotorStores: return "stored";
    case MotorLimitSet: return "limit set";
    case MotorLimitsOff: return "limits off";
    case MotorLimitsOn: return "limits on";
    case MotorNoSuchSlot: return "no such stored position";
    default: return "not for it";
    }
}
