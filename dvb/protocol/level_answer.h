// The words of azimora-dvb's answer to QueryLevel ("ok WORDS"): the level
// of the reading the latest QuerySignalStatus latched, locked or not
// (cardbase/signal_level.h), for dvbcard.dll to hand the phone page.
//   level STATE [UNIT VALUE] [age MS] [refresh MS] [present yes|no]
// STATE as levelStateWord gives it; UNIT "dbm", "percent" or "db" and VALUE in
// thousandths of it, only for a live or refreshed level; age and refresh
// only where known (not 0), present only where the driver has the word.
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/signal_level.h"

std::string levelAnswerText(const SignalLevel& level);
bool parseLevelAnswer(const std::string& text, SignalLevel* level);
