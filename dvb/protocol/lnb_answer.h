// The words of azimora-dvb's answer to QueryLnbError ("ok WORDS"): the
// LNB's own error as the frequency its driver found after the lock shows
// it (cardbase/lnb_error.h), for dvbcard.dll to hand the phone page.
//   lnb unlocked              no lock
//   lnb not-given             the driver does not give back the frequency it found
//   lnb single-cable          a single-cable device's own oscillator stands between
//   lnb error KHZ MHZ         the oscillator of MHZ (nominal) is off by KHZ kHz,
//                             above its nominal frequency positive ("lnb error -2300 10600")
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <string>

#include "cardbase/lnb_error.h"

std::string lnbAnswerText(const LnbError& error);
bool parseLnbAnswer(const std::string& text, LnbError* error);
