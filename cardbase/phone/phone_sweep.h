// The band sweep on the phone page: whether one may start now, and how it
// goes out to the page as the stream's "sweep" event: {"state": "none" |
// "running" | "done" | "failed", "title", "stepsDone", "steps",
// "problem", "unit": "dBm" | "%", "floor", "points": [[MHz, level or
// null], ...], "peaks": [{"f", "level", "above", "width", "tried",
// "locked", "symbolRate", "modcod" ("S2-8PSK-3/4" or null), "network"
// (its name or null), "position" ("19.2° E" or null)}]}. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/phone/phone_feed.h"
#include "cardbase/sweep/sweep_result.h"

// Readings this recent mean Azimora is measuring: the frontend is the
// program's, and the page's button says so.
constexpr int64_t measuringWithinMs = 2000;
// While a sweep runs, a phone gets its progress at most this often.
constexpr uint32_t sweepEventGapMs = 500;

// "" when a sweep may start now, else why not, in words for the page.
std::string sweepRefusal(const PhoneFeed& feed, int64_t wallMs);

std::string sweepJson(const SweepStatus& status);
std::string sweepEvent(const SweepStatus& status);
