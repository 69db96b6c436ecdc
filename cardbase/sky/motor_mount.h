// A motorised mount as the simulators know it (the practice dish, the
// simulated frontend and the simulated BDA tuner share it): a polar mount
// whose adjustments may be off (cardbase/motor/polar_mount.h), turned by a
// positioner that takes the DiSEqC 1.2 and USALS commands and nothing else,
// moving at its speed to where it is sent and stopping at its end stops.
// For simulators and tests only. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/motor/polar_mount.h"

// The scenario line, in both scenario files (degrees; positive meaning too
// much, east or up):
//   motor declination +0.4 elevation -0.3 azimuth +0.8 zero 0 speed 1.5 limit 80 at 0
// Every word pair is optional: "speed" in degrees a second at 18 V (two
// thirds of it at 13 V), "limit" the end stops either way from the
// meridian (or "limits EAST WEST"), "at" the motor angle it stands at when
// the simulation starts.
struct MotorMountSetup {
    bool present = false;
    MountErrors errors;
    double speedDegPerS = 1.5;
    double eastStopDeg = 80.0;
    double westStopDeg = 80.0;
    double startDeg = 0.0;
};
bool parseMotorMountWords(const std::vector<std::string>& words, MotorMountSetup* setup, std::string* error);
// The line's words as they would be written ("declination +0.40 ... limits 80 80").
std::string motorMountWords(const MotorMountSetup& setup);

// A drive step turns the motor a sixteenth of a degree.
constexpr double motorMountStepDeg = 1.0 / 16.0;

struct MotorMount {
    MotorMountSetup setup;
    double fromDeg = 0.0;  // where the latest move began
    double toDeg = 0.0;    // where it ends
    double speedDegPerS = 1.5;
    uint32_t movedAtMs = 0;
    bool softLimits = false;  // the limits set by E0 31 66 / 67, once on
    double softEastDeg = 0.0;
    double softWestDeg = 0.0;
    std::vector<double> stored;  // the angle stored in each slot, NaN where none
    bool southern = false;       // the site's hemisphere: GotoX's sides swap there
    double pressDeg = 0.0;       // the dish pressed up by hand, at the arc check's question
};
void resetMotorMount(MotorMount& mount, const MotorMountSetup& setup, bool southernHemisphere, uint32_t nowMs);

// What the positioner made of a message.
enum MotorHeard : uint8_t {
    MotorNotForIt,     // not a positioner's command
    MotorGarbled,      // the 22 kHz tone was on: the positioner cannot read the command
    MotorMoves,        // it turns to where it was sent
    MotorStopsAtStop,  // it was sent beyond its end stop or its limit, and stops there
    MotorHalts,
    MotorStores,
    MotorLimitSet,
    MotorLimitsOff,
    MotorLimitsOn,
    MotorNoSuchSlot,  // to a stored position that was never stored
};
MotorHeard motorMountHears(MotorMount& mount, const uint8_t* bytes, size_t length, bool supply18, bool toneOn,
                           uint32_t nowMs);
const char* motorHeardName(MotorHeard heard);

// Where the motor stands, and whether it still turns.
double motorMountAngle(const MotorMount& mount, uint32_t nowMs);
bool motorMountMoving(const MotorMount& mount, uint32_t nowMs);
// Where the dish points with the motor where it stands now.
DishPointing motorMountPointing(const MotorMount& mount, const DishSite& site, uint32_t nowMs);
