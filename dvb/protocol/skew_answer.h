// The words of azimora-dvb's answer to QuerySkew ("ok WORDS"): whether the
// LNB's turn can be judged on the transponder tuned, which the helper knows
// from the network's own list of transponders (cardbase/peak/skew_chance.h)
// and dvbcard.dll, which reads no list, cannot.
//   skew notyet|nolist|nonetwork|circular|nowhere
//   skew here MHZ H|V        the other polarization's transponder at MHZ
//   skew elsewhere MHZ H|V   the transponder to tune for it
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/peak/skew_chance.h"

std::string skewAnswerText(const SkewChance& chance);
bool parseSkewAnswer(const std::string& text, SkewChance* chance);
