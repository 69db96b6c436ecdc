// Reading the transponder typed on the keypad into tuning parameters.
#pragma once

#include "app/app_types.h"

// Reads the 13 characters of a typed entry. Four layouts are recognised, by
// where the H/V letter stands (position 4: C band, 4 digits; position 5: Ku
// band, 5 digits) and by where the DiSEqC field starts (a blank, "A" or "B"
// right behind a 4- or 5-character symbol rate); characters behind the
// DiSEqC field are ignored.
//
// Values are stored as soon as they are read, so a rejected entry may already
// have changed frequencyMHz, then diseqcCode, then symbolRate (in that order,
// up to the value that failed). polarization and bannerText change only when
// the entry is accepted; bannerText is then the 13 characters, 18 blanks and
// a zero byte.
//
// Returns StartOk when the entry is accepted and StartBadEntry otherwise.
StartResult parseTypedEntry(const char entryText[typedEntryLength], TuningParameters& tuning, char bannerText[32]);
