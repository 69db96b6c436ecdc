// The bridge's own files beside the DLL: its log, bdacard.log (one line a
// fact the user may want to look up later, with the local time: what went
// to a single-cable device at each start, why single cable was refused,
// that another receiver took the user band, a route kept over a maker's
// set the driver ignored), and bdacard.ini written again where the bridge
// keeps a setting it learnt. Win32.
#pragma once
#include <string>

void bdaLog(const std::string& line);

// bdacard.ini with the line KEY=VALUE (bda_settings.h's settingsWithLine);
// false when it cannot be written.
bool keepBdaSetting(const std::string& key, const std::string& value);
