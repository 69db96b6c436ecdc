// What one of azimora-dvb's motor commands sends, decided before anything
// reaches the frontend, by the cards' own rules (cardbase/motor/card_motor.h,
// motor_plan.h): the positioner's command, the time to arrive (from the
// angle turned and --motor-speed, the motor taken to stand on the meridian
// before anything was sent), the words that say it, and for --goto SAT the
// catalogue's transponder of the satellite to tune once it is there; or the
// refusal (below the horizon, beyond the motor's limit), with nothing sent.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/motor/motor_settings.h"
#include "dvb/helper/motor/motor_options.h"

struct MotorOrder {
    std::string refusal;  // "" when it may go out
    MotorCommand command;
    uint32_t travelMs = 0;   // 18 V held this long after the command, the motor turning
    std::string words;       // "turning the dish to 19.2° E (21.3° east), there in about 15 s"
    std::string there;       // "19.2° E (21.3° east)": where a move ends, for "at ..."
    bool tuneAfter = false;  // --goto SAT: the catalogue's transponder of it
    CardTuning tuning;
    std::string entry;  // as the keypad shows it: "12515H22000"
};

// The settings the command's options give: a USALS motor at the site.
MotorSettings motorSettingsOf(const MotorOptions& options, bool hasSite, const DishSite& site);

MotorOrder motorOrderFor(const MotorOptions& options, bool hasSite, const DishSite& site,
                         const std::vector<CatalogueLine>& catalogue);

// A catalogue transponder as the program would tune it from its typed
// entry ("12515H22000"); false for one without a polarisation letter.
bool tuningOfTransponder(int32_t frequencyMHz, int32_t polarization, int32_t symbolRate, CardTuning* tuning,
                         std::string* entry);
