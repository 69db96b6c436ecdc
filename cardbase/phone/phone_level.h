// The level as the phone page gets it with each reading (signal_level.h):
// {"state": "live" | "refreshed" | "none-before-lock" | "frozen" |
// "unknown", "unit": "dBm" | "%" | "dB" | "dB gain" (null without a value),
// "value" (null without one), "to" (the other end of a stretch the driver
// reads as one value, else null), "bound": "or less" | "or more" | null (the
// driver's own limit), "ageMs", "refreshMs" (0 where not known), "present":
// true | false | null (the driver has no such word)}. Platform-neutral.
#pragma once
#include <string>

#include "cardbase/signal_level.h"

std::string levelJson(const SignalLevel& level);
