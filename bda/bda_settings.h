// What the file bdacard.ini beside the DLL may say: which BDA tuner the
// card uses (a line "tuner=NAME"; without it the first DVB-S tuner of the
// machine serves), which modulations its tune requests ask for (a line
// "modulation=..."; without it the search of bda_search.h), and the pilots
// and roll-off its requests for DVB-S2 name ("pilot=", "rolloff="; without
// them none, for the demodulator to find), which way the switch port is
// reached ("switch=") and what the tuning space's input range says for
// each port ("inputrange="). Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "bda/bda_makers.h"
#include "bda/bda_search.h"
#include "bda/bda_tuning.h"
#include "cardbase/settings_line.h"

// The name from the text of bdacard.ini, in UTF-8, or "" when the file names
// none. Lines end in CR LF or LF; "tuner" is matched in any case, blanks
// around the key, the "=" and the name do not count, nor double quotes
// around the name; lines starting with ";" or "#" are comments; the first
// "tuner" line counts. The text may be UTF-8 (with or without its byte order
// mark) or UTF-16 with its mark; text that is neither comes back as it is,
// in the system's code page, for the caller to convert (*inCodePage set).
std::string tunerNameFromSettings(const std::string& fileBytes, bool* inCodePage);

// The modulations of the line "modulation = V1, V2 ...", in the order they
// are to be tried: each value BDA's name of it (NBC_QPSK, BDA_MOD_NBC_QPSK,
// nbc-qpsk), or its number; values separated by commas or blanks; unknown
// values and repeats left out, at most maxModulations. An empty order
// (no line, "auto", nothing known) leaves the choice to the search.
ModulationOrder modulationsFromSettings(const std::string& fileBytes);

// The lines "pilot = on|off" and "rolloff = 0.20|0.25|0.35" (also 20, 25,
// 35, 0.2, and BDA's names: BDA_PILOT_ON, PILOT_OFF, BDA_ROLL_OFF_35 ...,
// any case, "-" for "_"); "auto", anything else or no line names nothing.
SignalShape signalShapeFromSettings(const std::string& fileBytes);

// The line "switch = command | source | range | MAKER" (MAKER a maker's
// word of bda_makers.h, as "turbosight"; any case): the one way to reach the
// switch port. "auto", anything else or no line leaves every way open.
struct SwitchSetting {
    SwitchChoice choice = SwitchAuto;
    BdaMaker maker = NoMaker;  // with SwitchOnlyMaker
};
SwitchSetting switchSettingFromSettings(const std::string& fileBytes);

// The word of that line that forces the route ("command", "source",
// "range", or the maker's word for its set).
std::string switchWordFor(SwitchRoute route, BdaMaker maker);

// The file's bytes with the line "KEY=VALUE" in place of its first line of
// that key, or added at its end: the rest byte for byte, its line ends
// kept; a file Notepad saved as UTF-16 comes back as UTF-8 with its mark.
std::string settingsWithLine(const std::string& fileBytes, const std::string& key, const std::string& value);

// The line "inputrange = V1, V2, V3, V4": the input range's forms for
// ports A to D (bda_tuning.h), separated by commas or blanks; a port the
// line leaves out keeps its number.
InputRangeForms inputRangeFormsFromSettings(const std::string& fileBytes);

// Whether a tuner's friendly name (UTF-8) is the one asked for: letters of
// the ASCII range compare in any case, blanks at either end do not count.
bool tunerNameMatches(const std::string& friendlyName, const std::string& wanted);

// The tuners to try, in the order they are tried, as indices into `names`
// (the system's order): all of them, or with a name asked for only those
// called so.
std::vector<int> tunerCandidates(const std::vector<std::string>& names, const std::string& wanted);
