// The words of azimora-dvb's answer to QueryLevel ("ok WORDS"): the level
// of the reading the latest QuerySignalStatus latched, locked or not
// (cardbase/signal_level.h), for dvbcard.dll to hand the phone page.
//   level STATE [UNIT VALUE [to VALUE] [or-less|or-more]] [age MS]
//         [refresh MS] [present yes|no]
// STATE as levelStateWord gives it; UNIT "dbm", "percent", "db" or "gain"
// and VALUE in thousandths of it, only for a live or refreshed level, with
// the other end of a stretch the driver reads as one value ("to") and the
// driver's own bound; age and refresh only where known (not 0), present
// only where the driver has the word.
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/signal_level.h"

std::string levelAnswerText(const SignalLevel& level);
bool parseLevelAnswer(const std::string& text, SignalLevel* level);
