// azimora-dvb's command line. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/margin/modcod.h"
#include "cardbase/pointing/look_angles.h"
#include "cardbase/single_cable.h"
#include "dvb/helper/motor/motor_options.h"
#include "dvb/helper/serve/connection_rules.h"
#include "dvb/helper/sweep/sweep_options.h"

constexpr uint16_t defaultListenPort = 47474;

struct HelperOptions {
    int adapter = 0;
    int frontend = 0;
    bool remote = false;  // --server: a frontend on another machine, through dvbv5-daemon
    std::string serverHost;
    uint16_t serverPort = 0;
    std::string listenHost = "127.0.0.1";  // loopback unless another address is named
    uint16_t listenPort = defaultListenPort;
    std::string logPath;
    std::string simulatePath;
    std::string secretPath;                       // --secret-file: the shared secret's file
    uint32_t idleSeconds = defaultIdleMs / 1000;  // the frontend is let go after this long without a request
    bool status = false;                          // print what the frontend is and its signal, then end
    bool tune = false;                            // --tune ENTRY (with --status): tuned first, as the program would
    std::string tuneEntry;
    CardTuning tuning;
    bool point = false;          // --point SAT --site LAT,LON: where to point a dish, then end
    std::string pointSatellite;  // as typed: found in the catalogue when it is a name
    bool hasSite = false;        // --site: with --point, or with --status --tune for the record's pointing figures
    DishSite site{};
    std::string pointTime;   // --time: "" for now
    bool hasOffset = false;  // --offset: the dish's offset angle
    double offsetDeg = 0.0;
    std::string cataloguePath;  // --catalogue: "" for the one Azimora ships
    bool hasModcod = false;     // --modcod (with --tune): the user's word on the modulation and code rate
    Modcod modcod;
    bool survey = false;          // --survey SAT|ENTRY: measure every transponder of a satellite, then end
    std::string surveySatellite;  // SAT as typed, found in the catalogue
    bool surveyEntry = false;     // ENTRY instead: in surveyTyped
    std::string surveyTyped;
    std::string transpondersPath;     // --transponders: one typed entry a line, where no network lists any
    uint32_t dwellMs = 2000;          // --dwell: how long each transponder is measured after its lock
    std::string csvPath;              // --csv: the survey's figures (or the sweep's steps) as CSV
    int32_t switchCode = -1;          // --switch: the DiSEqC letters as the keypad codes them; -1 none given
    std::string updateCataloguePath;  // --update-catalogue: the satellite.ini to read and rewrite
    SweepOptions sweep;               // --sweep and its own options: the band's level, step by step, then end
    bool hasSingleCable = false;      // --scr: tunes go through a single-cable device
    SingleCableSetting singleCable;
    bool scrFind = false;  // --scr-find (with --sweep): the cable swept for the device's user bands
    MotorOptions motor;    // a motorised dish's command (--goto, --arc ...), then end
    bool help = false;
};

// Takes "--name VALUE" and "--name=VALUE". False with `error` set to a
// message for the user.
bool parseHelperOptions(int argc, const char* const* argv, HelperOptions* options, std::string* error);

// The --help text, exit codes included.
const char* helperUsage();
