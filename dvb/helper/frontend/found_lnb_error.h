// The LNB's own error as azimora-dvb reads it (cardbase/lnb_error.h): after
// a lock, the frequency the driver gives back (DTV_FREQUENCY) against the
// one the tune asked. A known driver that gives none (the table in
// dvb/common/found_frequency.h) is not asked; one the table does not know
// is, and counts as giving none while every answer since the frontend was
// opened is the frequency asked to the kHz. Through a single-cable device
// the device's own oscillator stands between; a frontend behind
// dvbv5-daemon is not asked (its device says so). Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/lnb_error.h"

// Whether the driver of this name may give the found frequency back.
bool foundFrequencyWorthAsking(const std::string& frontendName);

// What a locked reading tells: `read` false where the driver was not asked
// or did not answer. `differed` holds, since the frontend was opened,
// whether the driver gave back another frequency than asked.
LnbError lnbErrorOfReadBack(const std::string& frontendName, bool singleCable, const CardTuning& tuning,
                            uint32_t askedKHz, bool read, uint32_t foundKHz, bool* differed);
