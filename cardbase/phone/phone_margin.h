// What the phone page is told of the link margin (cardbase/margin): the
// margin of the latest reading with its modulation, code rate and source, or
// why there is none; and, once per connection, the table of what each
// modulation and code rate needs, so that the page holds no copy of its own
// when the user picks them. Platform-neutral.
#pragma once
#include <string>

#include "cardbase/margin/link_margin.h"

// {"status": "known" | "nolock" | "nodb" | "nomodcod", "modcod": "S2-8PSK-3/4"
// or null, "name": "DVB-S2 8PSK 3/4" or null, "source": "tuner" | "network" |
// "unknown", "thresholdDb" (two decimals, or null), "marginDb" (one decimal,
// or null), "verdict": "good" | "marginal" | "failing" | null, "why": why
// there is no margin or null, "missing": what the unknown modulation and code
// rate are missing from, or null, "orMore": the margin is at least marginDb, "orLess": at most}.
std::string marginJson(const LinkMargin& margin);

// {"allowanceDb": 0.3, "goodDb": 3, "rows": [["S2-QPSK-1/4", "DVB-S2 QPSK 1/4",
// -2.05], ...]}: every row of the table with the C/N it needs, allowance
// included.
std::string thresholdsJson();
