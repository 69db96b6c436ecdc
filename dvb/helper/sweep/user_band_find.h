// azimora-dvb --sweep --scr-find: an EN 50494 device, asked with
// E0 10 5B 00 00 (at 18 V, then 13 V), puts a tone on every user band's
// centre; the cable itself is then swept, 950-2150 MHz, and each tone found
// is a user band: "user band: 1210 MHz", one line each in rising order, and
// the scr= line to put in the card's settings. EN 50607 devices give their
// bands only in answers to a DiSEqC query, which common tuners cannot read:
// for them the bands are read from the device's label. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/sweep/sweep_result.h"
#include "dvb/helper/frontend/tuning_sequence.h"

extern const char en50607BandsText[];

// The cable's own frequencies at `stepMHz` (the plan's oscillator 0: a
// step's frequency is what the tuner is given).
SweepPlan cableSweepPlan(int32_t stepMHz);

// Each tone's middle, rising.
std::vector<int32_t> userBandsFound(const SweepResult& result);

// The lines to print: a band a line and the suggested setting, the --scr
// setting's band number and PIN kept where one was given.
std::string userBandReport(const std::vector<int32_t>& bandsMHz, const SingleCableUse& given);
