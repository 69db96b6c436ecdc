// The practice dish's LNB as its card's demodulator finds it: while
// locked, the carrier sits where the LNB's oscillator, off as the scenario
// has it (cardbase/sky/lnb_drift.h), really brings it, and the card gives
// the frequency it found, to the kHz; the LNB's error follows from it by
// the rule every card shares (cardbase/lnb_error.h). Through a single-cable
// device the device's own oscillator stands between. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/lnb_error.h"
#include "sim/dish/dish_model.h"

LnbError dishLnbError(const DishModel& model, uint32_t nowMs);
