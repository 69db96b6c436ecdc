#include "dvb/helper/helper_options.h"

#include <cmath>

#include "app/number_text.h"
#include "cardbase/pointing/pointing_input.h"
#include "dvb/helper/survey/survey_plan.h"
#include "dvb/helper/typed_tuning.h"
#include "dvb/protocol/line_protocol.h"

static const char commandUsage[] =
    "Usage: azimora-dvb [OPTION]...\n"
    "Serves Azimora's receiver card calls (dvbcard.dll) from a DVB-S/S2 frontend of\n"
    "this machine, or of another one through dvbv5-daemon, on a loopback TCP port.\n"
    "\n"
    "  --adapter N            the DVB adapter (default 0)\n"
    "  --frontend M           the frontend on that adapter (default 0)\n"
    "  --server HOST:PORT     use the frontend of the dvbv5-daemon at HOST:PORT\n"
    "  --listen [HOST:]PORT   where to serve (default 127.0.0.1:47474; loopback unless\n"
    "                         another address is named; port 0 lets the system choose);\n"
    "                         an address beyond loopback needs a shared secret\n"
    "  --secret-file FILE     the shared secret (8 to 64 printable characters, no blanks)\n"
    "                         that a program must give first; AZIMORA_DVB_SECRET also\n"
    "                         sets it (prefer an SSH tunnel to opening the port)\n"
    "  --idle SECONDS         let the frontend go after this long without a request\n"
    "                         (default 10; lines that are no request do not count)\n"
    "  --log FILE             append one line per frontend operation to FILE (at 16 MB\n"
    "                         it becomes FILE.1 and a new FILE is begun)\n"
    "  --simulate FILE        a simulated frontend instead of a real one (see docs/linux-cards.md)\n"
    "  --status               print what the frontend is and its lock, C/N and\n"
    "                         strength once, then end\n"
    "  --tune ENTRY           with --status: first tune to ENTRY, a transponder as\n"
    "                         Azimora's keypad takes it (11597V27500, 12245H27500AB),\n"
    "                         as Azimora would, wait for lock, print its quality and\n"
    "                         what the stream says of its network and position, the\n"
    "                         modulation and code rate and the link margin, and let\n"
    "                         the LNB go\n"
    "  --modcod MODCOD        with --tune: the modulation and code rate from a\n"
    "                         listing you trust (S2-8PSK-3/4, S-QPSK-3/4), for the\n"
    "                         margin where neither the tuner nor the network says\n"
    "  --point SAT            print where to point a dish at the satellite SAT\n"
    "                         (19.2E, 0.8W or a name in the catalogue) from the\n"
    "                         site --site gives, then end: azimuth (true and\n"
    "                         magnetic), elevation, LNB skew, the local time at\n"
    "                         which the sun stands at the satellite's azimuth\n"
    "                         today, the USALS angle\n"
    "  --site LAT,LON         with --point: the dish's site in degrees, north and\n"
    "                         east positive (55.75,37.62); with --status --tune:\n"
    "                         the site the record's pointing figures are for; with\n"
    "                         --goto, --goto-angle or --arc: the motorised dish's site\n"
    "  --time TIME            with --point: as at TIME rather than now\n"
    "                         (2025-06-21T12:00, with +03:00 or Z; else local time)\n"
    "  --offset DEGREES       with --point: the dish's offset angle (0 for a\n"
    "                         prime-focus dish), for the tilt of its plate\n"
    "  --catalogue FILE       with --point, --survey, --goto or --arc: the\n"
    "                         satellite.ini to find names (and --arc's satellites)\n"
    "                         in (default: the one Azimora ships)\n"
    "  --survey SAT|ENTRY     measure every transponder of a satellite, then end:\n"
    "                         lock the catalogue's transponder for SAT (a name in\n"
    "                         the catalogue, or its position) or the transponder\n"
    "                         ENTRY (11362H27500), read the networks' own lists\n"
    "                         there and measure each transponder they give at the\n"
    "                         satellite's position; print a line for each, a table\n"
    "                         and what a pattern of failures means\n"
    "  --transponders FILE    with --survey: one typed entry a line, measured where\n"
    "                         no network lists any (or the start does not lock)\n"
    "  --dwell SECONDS        with --survey: how long each transponder is measured\n"
    "                         after its lock (default 2; 0.1 to 60)\n"
    "  --csv FILE             with --survey: its entries in the record's columns\n"
    "                         (each is an entry of the record too, in\n"
    "                         $XDG_DATA_HOME/azimora/record.csv); with --sweep: the\n"
    "                         level at each step; with --arc: a line per satellite\n"
    "  --switch LETTERS       with --survey: the DiSEqC switch letters (A, B, AA, BA,\n"
    "                         AB, BB) for transponders that carry none; with --sweep:\n"
    "                         the switch port to sweep\n"
    "  --update-catalogue FILE  with --survey: where the catalogue's transponder for\n"
    "                         the satellite is gone, read FILE as the catalogue and\n"
    "                         rewrite that satellite's line with the replacement\n"
    "                         (the old file kept as FILE.bak: satellite.ini.bak)\n"
    "  --sweep                step the tuner across one band of one polarisation,\n"
    "                         read the level at each step before any lock, print a\n"
    "                         picture of the band and one line per peak, then end\n"
    "  --band low|high        with --sweep: the universal LNB's band (default low)\n"
    "  --polarisation H|V     with --sweep: default H\n"
    "  --lnb universal|MHZ    with --sweep: a universal LNB (default) or a single\n"
    "                         local oscillator (10750, 5150 ...)\n"
    "  --step MHZ             with --sweep: 1 to 50 (default 2)\n"
    "  --try                  with --sweep: try to lock each peak at the common symbol\n"
    "                         rates, and say what locked and its network\n"
    "  --scr SETTING          through a single-cable device (EN 50494 or EN 50607):\n"
    "                         en50494,UB,MHZ[,PIN] or en50607,UB,MHZ[,PIN], the user\n"
    "                         band as printed on the device, its frequency and PIN;\n"
    "                         with --status --tune, --survey, --sweep or when serving\n"
    "  --scr-find             with --sweep: ask an EN 50494 device to show its user\n"
    "                         bands, sweep the cable 950-2150 MHz and print each band\n"
    "                         found and a suggested scr= line\n";
static const char exitCodeUsage[] =
    "  --help                 this text\n"
    "\n"
    "Exit codes:\n"
    "  0  ended by SIGINT, SIGTERM, SIGHUP or SIGQUIT (the LNB unpowered), or\n"
    "     --status / --point / --help / --sweep done (with --tune: locked; --survey:\n"
    "     done, a transponder locked), or a motor's command sent (--goto: locked or\n"
    "     not), or --arc done\n"
    "  1  the --simulate, --log, --secret-file, --catalogue, --transponders, --csv,\n"
    "     --reference or --update-catalogue file cannot be used (or would not read\n"
    "     as Azimora reads a catalogue), a --sweep on a frontend that gives no level\n"
    "     without a lock, or another failure\n"
    "  2  wrong options (a --listen address beyond loopback without a secret, or a\n"
    "     --point or --survey satellite or --site that does not read, too), or a\n"
    "     motor's move refused (below the horizon, beyond the motor's limit): nothing sent\n"
    "  3  no such adapter or frontend\n"
    "  4  the frontend is busy: another program has it open\n"
    "  5  the frontend is not DVB-S/S2\n"
    "  6  dvbv5-daemon cannot be reached, or the link to it failed\n"
    "  7  the listening port is taken\n"
    "  8  no permission to open the frontend\n"
    "  9  --status --tune: no lock; --survey: no transponder locked\n";

const char* helperUsage()
{
    static const std::string usage = std::string(commandUsage) + motorUsage + exitCodeUsage;
    return usage.c_str();
}

// An adapter's or a frontend's number, and the idle seconds: 0 to 999.
static const WholeForm smallNumber{0, 999, 3, true};

// --dwell: seconds with at most one decimal, 0.1 to 60.
static bool dwellSeconds(const std::string& text, uint32_t* ms)
{
    double seconds = 0;
    const size_t dot = text.find('.');
    if (!readDecimalNumber(text, DecimalForm{false, false, 4, 0}, &seconds) ||
        (dot != std::string::npos && text.size() - dot != 2) || seconds < 0.1 || seconds > 60.0)
        return false;
    *ms = static_cast<uint32_t>(std::lround(seconds * 1000));
    return true;
}

// A typed entry begins with the frequency's four or five digits; a
// position (13.0E) or a name does not.
static bool looksTyped(const std::string& text)
{
    return text.size() > 4 && text.find_first_not_of("0123456789") >= 4 && text.find('.') == std::string::npos;
}

static bool parseSurveyOption(const std::string& name, const std::string& value, HelperOptions* parsed,
                              std::string* error)
{
    if (name == "--survey") {
        if (value.empty()) {
            *error = "--survey needs a satellite (a name in the catalogue, or its position such as 13.0E) or a "
                     "transponder (11362H27500)";
            return false;
        }
        parsed->survey = true;
        parsed->surveyEntry = looksTyped(value);
        if (!parsed->surveyEntry) parsed->surveySatellite = value;
        CardTuning ignored;
        return !parsed->surveyEntry || tuningFromEntry(value, &ignored, &parsed->surveyTyped, error, "--survey");
    }
    if (name == "--dwell") {
        if (dwellSeconds(value, &parsed->dwellMs)) return true;
        *error = "--dwell wants seconds from 0.1 to 60 (2, 0.5), not \"" + value + "\"";
        return false;
    }
    if (name == "--switch") {
        parsed->switchCode = diseqcCodeOf(value);
        if (parsed->switchCode > 0) return true;
        *error = "--switch wants the DiSEqC letters A, B, AA, BA, AB or BB, not \"" + value + "\"";
        return false;
    }
    if (value.empty()) {
        *error = name + " needs a file name";
        return false;
    }
    (name == "--transponders" ? parsed->transpondersPath
     : name == "--csv"        ? parsed->csvPath
                              : parsed->updateCataloguePath) = value;
    return true;
}

// What --survey does not go with; "" when all is well.
static std::string surveyProblem(const HelperOptions& parsed, const std::string& surveyDetail)
{
    if (!parsed.survey && !surveyDetail.empty()) return surveyDetail + " goes with --survey";
    if (parsed.survey && (parsed.status || parsed.point || parsed.hasModcod))
        return "--survey goes without --status, --tune, --point and --modcod";
    if (!parsed.updateCataloguePath.empty() && !parsed.cataloguePath.empty())
        return "--update-catalogue reads the catalogue it rewrites: leave out --catalogue";
    return "";
}

// What --scr and --scr-find do not go with; "" when all is well.
// `sweepDetail`: the latest of a sweep's options that choose the LNB's band, polarisation or port.
static std::string singleCableProblem(const HelperOptions& parsed, const std::string& sweepDetail)
{
    if (parsed.scrFind && !parsed.sweep.sweep) return "--scr-find goes with --sweep";
    if (parsed.scrFind && !sweepDetail.empty())
        return "--scr-find sweeps the cable itself, 950-2150 MHz: leave out " + sweepDetail;
    if (!parsed.hasSingleCable) return "";
    if (parsed.remote)
        return "--scr with --server: dvbv5-daemon cannot carry a single-cable device's steps (its libdvbv5 drives "
               "the LNB its own way); run azimora-dvb on the machine with the card";
    if (parsed.status && !parsed.tune) return "--scr goes with --status --tune, --survey, --sweep or serving";
    return "";
}

bool parseHelperOptions(int argc, const char* const* argv, HelperOptions* options, std::string* error)
{
    HelperOptions parsed;
    std::string otherOption, pointDetail;  // to tell --point's options from the others
    std::string surveyDetail;              // and --survey's
    std::string sharedDetail;              // and those of --survey and --sweep alike
    std::string sweepDetail;               // a sweep's option that --scr-find goes without
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        const bool takesValue =
            name == "--adapter" || name == "--frontend" || name == "--server" || name == "--scr" ||
            name == "--listen" || name == "--log" || name == "--simulate" || name == "--secret-file" ||
            name == "--idle" || name == "--tune" || name == "--point" || name == "--site" || name == "--time" ||
            name == "--offset" || name == "--catalogue" || name == "--modcod" || name == "--survey" ||
            name == "--transponders" || name == "--dwell" || name == "--csv" || name == "--switch" ||
            name == "--update-catalogue" || sweepOptionTakesValue(name) || motorOptionTakesValue(name);
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (motorOptionTakesTwo(name) && value.find(' ') == std::string::npos && i + 1 < argc) {
            value += std::string(" ") + argv[++i];
        } else if (!takesValue && hasValue) {
            *error = name + " takes no value";
            return false;
        }
        if (name == "--adapter" || name == "--frontend") {
            int number = 0;
            if (!readWholeNumber(value, smallNumber, &number)) {
                *error = name + " wants a number, not \"" + value + "\"";
                return false;
            }
            (name == "--adapter" ? parsed.adapter : parsed.frontend) = number;
        } else if (name == "--server") {
            if (!parseHostPort(value, nullptr, false, &parsed.serverHost, &parsed.serverPort)) {
                *error = "--server wants HOST:PORT, not \"" + value + "\"";
                return false;
            }
            parsed.remote = true;
        } else if (name == "--listen") {
            if (!parseHostPort(value, "127.0.0.1", true, &parsed.listenHost, &parsed.listenPort)) {
                *error = "--listen wants [HOST:]PORT, not \"" + value + "\"";
                return false;
            }
        } else if (name == "--log" || name == "--simulate" || name == "--secret-file") {
            if (value.empty()) {
                *error = name + " needs a file name";
                return false;
            }
            (name == "--log" ? parsed.logPath : name == "--simulate" ? parsed.simulatePath : parsed.secretPath) = value;
        } else if (name == "--idle") {
            int seconds = 0;
            if (!readWholeNumber(value, smallNumber, &seconds) || seconds < 1) {
                *error = "--idle wants seconds from 1 to 999, not \"" + value + "\"";
                return false;
            }
            parsed.idleSeconds = static_cast<uint32_t>(seconds);
        } else if (name == "--tune") {
            if (!tuningFromEntry(value, &parsed.tuning, &parsed.tuneEntry, error)) return false;
            parsed.tune = true;
        } else if (name == "--point") {
            if (value.empty()) {
                *error = "--point needs a satellite: a position such as 19.2E or 0.8W, or a name in the catalogue";
                return false;
            }
            parsed.point = true;
            parsed.pointSatellite = value;
        } else if (name == "--site") {
            if (!parseSite(value, &parsed.site, error)) return false;
            parsed.hasSite = true;
        } else if (name == "--time") {
            parsed.pointTime = value;
        } else if (name == "--offset") {
            if (!parseOffsetAngle(value, &parsed.offsetDeg, error)) return false;
            parsed.hasOffset = true;
        } else if (name == "--catalogue") {
            if (value.empty()) {
                *error = "--catalogue needs a file name";
                return false;
            }
            parsed.cataloguePath = value;
        } else if (name == "--modcod") {
            if (!parseModcod(value, &parsed.modcod)) {
                *error = "--modcod wants a modulation and code rate such as S2-8PSK-3/4 or S-QPSK-3/4 (DVB-S: QPSK "
                         "1/2 2/3 3/4 5/6 7/8; DVB-S2: QPSK 1/4 to 9/10, 8PSK 3/5 to 9/10, 16APSK 2/3 to 9/10, "
                         "32APSK 3/4 to 9/10), not \"" +
                         value + "\"";
                return false;
            }
            parsed.hasModcod = true;
        } else if (name == "--survey" || name == "--transponders" || name == "--dwell" || name == "--csv" ||
                   name == "--switch" || name == "--update-catalogue") {
            if (!parseSurveyOption(name, value, &parsed, error)) return false;
            // The switch and the CSV serve the sweep as well.
            if (name == "--switch" || name == "--csv") sharedDetail = name;
            else if (name != "--survey") surveyDetail = name;
        } else if (isSweepOption(name)) {
            if (!takeSweepOption(name, value, &parsed.sweep, error)) return false;
            if (name != "--sweep" && name != "--step") sweepDetail = name;
        } else if (name == "--scr") {
            std::string reason;
            if (!parseSingleCable(value, &parsed.singleCable, &reason)) {
                *error = "--scr: " + reason;
                return false;
            }
            parsed.hasSingleCable = true;
        } else if (isMotorOption(name)) {
            if (!takeMotorOption(name, value, &parsed.motor, error)) return false;
        } else if (name == "--scr-find") {
            parsed.scrFind = true;
        } else if (name == "--status") {
            parsed.status = true;
        } else if (name == "--help" || name == "-h") {
            parsed.help = true;
        } else {
            *error = "unknown option \"" + name + "\"";
            return false;
        }
        const bool pointing =
            name == "--point" || name == "--site" || name == "--time" || name == "--offset" || name == "--catalogue";
        if (!pointing && name != "--help" && name != "-h") otherOption = name;
        if (pointing && name != "--point" && name != "--site" && name != "--catalogue") pointDetail = name;
    }
    const MotorAction motor = parsed.motor.action;
    if (!parsed.point && !parsed.survey && motor != ActionGoto && motor != ActionArc && !parsed.cataloguePath.empty()) {
        *error = "--catalogue goes with --point, --survey, --goto or --arc";
        return false;
    }
    const std::string motorMismatch =
        motorOptionsProblem(parsed.motor, parsed.hasSite, parsed.remote, parsed.hasSingleCable,
                            parsed.status        ? "--status"
                            : parsed.survey      ? "--survey"
                            : parsed.sweep.sweep ? "--sweep"
                            : parsed.point       ? "--point"
                                                 : "");
    if (!motorMismatch.empty()) {
        *error = motorMismatch;
        return false;
    }
    if (motor == ActionArc && sharedDetail == "--csv") sharedDetail.clear();
    if (!checkSweepOptions(parsed.sweep, error)) return false;
    if (!parsed.survey && !parsed.sweep.sweep && !sharedDetail.empty()) {
        *error = sharedDetail +
                 (sharedDetail == "--csv" ? " goes with --survey, --sweep or --arc" : " goes with --survey or --sweep");
        return false;
    }
    if (parsed.sweep.sweep && (parsed.survey || parsed.status || parsed.point)) {
        *error = "--sweep goes without --survey, --status and --point";
        return false;
    }
    if (parsed.sweep.sweep && parsed.switchCode > 0) parsed.sweep.request.diseqcCode = parsed.switchCode;
    const std::string singleCableMismatch =
        singleCableProblem(parsed, parsed.switchCode > 0 ? "--switch" : sweepDetail);
    if (!singleCableMismatch.empty()) {
        *error = singleCableMismatch;
        return false;
    }
    const std::string surveyMismatch = surveyProblem(parsed, surveyDetail);
    if (!surveyMismatch.empty()) {
        *error = surveyMismatch;
        return false;
    }
    if (parsed.point && !parsed.hasSite) {
        *error = "--point needs --site LAT,LON: the dish's site in degrees, north and east positive, such as "
                 "55.75,37.62";
        return false;
    }
    if (parsed.point && !otherOption.empty()) {
        *error = "--point goes with --site, --time, --offset and --catalogue only, not with " + otherOption;
        return false;
    }
    if (!parsed.point && !pointDetail.empty()) {
        *error = pointDetail + " goes with --point";
        return false;
    }
    if (!parsed.point && !parsed.tune && !motorActionNeedsSite(motor) && parsed.hasSite) {
        *error = "--site goes with --point, --status --tune, --goto, --goto-angle or --arc";
        return false;
    }
    if (parsed.tune && !parsed.status) {
        *error = "--tune goes with --status";
        return false;
    }
    if (parsed.hasModcod && !parsed.tune) {
        *error = "--modcod goes with --status --tune";
        return false;
    }
    if (parsed.remote && !parsed.simulatePath.empty()) {
        *error = "--server and --simulate exclude each other";
        return false;
    }
    *options = parsed;
    return true;
}
