// The words of azimora-dvb's answer to QueryNetwork ("ok WORDS"): what it
// knows of the network whose stream its frontend is locked to.
//   network unlocked                     no lock: nothing to read
//   network reading                      locked, the table not yet whole
//   network none                         no network information
//   network known ID POSITION CERTAINTY[ NAME]
// ID is "0x" and four lower-case hex digits; POSITION "19.2E" or "30.0W"
// (0.1E to 180.0W), or "-" exactly when CERTAINTY is "unknown"; CERTAINTY
// "own" (this stream's entry gave it), "uncertain" (the table's most common
// position) or "unknown"; NAME the network's name as printable text without
// a blank at either end, cut to fit the line (none when the table names
// none). The words fit a reply line. Strict both ways. Platform-neutral:
// both sides build it.
#pragma once
#include <string>

#include "cardbase/network/network_watch.h"

std::string networkAnswerText(const NetworkReport& report);
bool parseNetworkAnswer(const std::string& text, NetworkReport* report);
