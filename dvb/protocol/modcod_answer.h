// The words of azimora-dvb's answer to QueryModcod ("ok WORDS"): what the
// link margin of the frontend's lock rests on (cardbase/margin), for
// dvbcard.dll to hand the phone page.
//   modcod unlocked                  no lock
//   modcod CN TUNER NETWORK
// CN is "decibel" (the C/N is a measured figure in dB) or "other"; TUNER
// and NETWORK each the modulation and code rate that source gives
// ("S2-8PSK-3/4") or why it gives none: for the tuner "not-asked",
// "not-reported", "automatic", "echo", "outside" or "no-system"; for the network
// "reading", "none", "no-entry", "no-descriptor", "vague" or "outside".
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/margin/link_margin.h"

struct ModcodAnswer {
    bool locked = false;
    bool carrierToNoiseInDecibels = false;
    ModcodWord tuner;
    ModcodWord network = missingWord(GapNoNetworkTable);
};

std::string modcodAnswerText(const ModcodAnswer& answer);
bool parseModcodAnswer(const std::string& text, ModcodAnswer* answer);
