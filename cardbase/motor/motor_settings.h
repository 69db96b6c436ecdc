// A motorised dish's settings, as the card substitutes' files write them
// (dvbcard.ini, bdacard.ini, simcard.ini) and azimora-dvb's options give
// them: "motor=usals|diseqc12", "motor-limit=DEGREES" (default 75),
// "motor-speed=DEGREES_A_SECOND" (default 1.5), "site=LAT,LON" and, for a
// DiSEqC 1.2 motor, "motor-positions=19.2E:1,13.0E:2,...". One reader for
// every card. Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "cardbase/pointing/look_angles.h"

enum MotorKind : uint8_t {
    NoMotor,
    UsalsMotor,     // turns to the angle of a GotoX, worked out from the site
    Diseqc12Motor,  // turns to the positions the installer stored
};

struct MotorPosition {
    double longitudeDeg;  // east positive
    int slot;             // 1-255, as stored in the motor
};

struct MotorSettings {
    MotorKind kind = NoMotor;
    double limitDeg;
    double speedDegPerS;
    bool hasSite = false;
    DishSite site{0.0, 0.0};
    std::vector<MotorPosition> positions;
    // Why the settings cannot turn the dish ("motor-limit= refused: ..."),
    // or "": with a problem nothing is sent.
    std::string problem;

    MotorSettings();
};

// The settings from a card's file, decoded (settingsFileText). No motor=
// line, or an empty one, is no motor.
MotorSettings motorSettingsFrom(const std::string& settingsText);

// Each value as the file or an option gives it; false with the reason.
bool parseMotorKind(const std::string& text, MotorKind* kind, std::string* reason);
// Degrees either way from the meridian, 1-90.
bool parseMotorLimit(const std::string& text, double* limitDeg, std::string* reason);
// Degrees a second, 0.1-20.
bool parseMotorSpeed(const std::string& text, double* speedDegPerS, std::string* reason);
// "19.2E:1,13.0E:2": orbital positions and the slots they are stored in.
bool parseMotorPositions(const std::string& text, std::vector<MotorPosition>* positions, std::string* reason);
// "usals", "diseqc12".
const char* motorKindWord(MotorKind kind);
