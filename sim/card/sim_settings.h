// What the simulated card is set to do, read once when it is made: the
// scenario (SIMCARD_SCENARIO), the practice dish, the single-cable setting
// and the motor of the settings file beside the card, and the call log
// (SIMCARD_LOG).
#pragma once
#include <windows.h>

#include <string>

#include "cardbase/motor/motor_settings.h"
#include "sim/card/scenario.h"
#include "sim/card/sim_cable.h"

struct SimSettings {
    Scenario scenario;
    DishSetup dish;
    SimCable cable;       // scr= in the settings file beside the card
    MotorSettings motor;  // motor=, site= ... in the same file
    HANDLE log = INVALID_HANDLE_VALUE;
};

SimSettings readSettings();

// Each line goes to the file at once, so a reader sees it while the card runs.
void appendLogLine(HANDLE log, const std::string& line);
