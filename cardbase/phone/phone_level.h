// The level as the phone page gets it with each reading (signal_level.h):
// {"state": "live" | "refreshed" | "none-before-lock" | "frozen" |
// "unknown", "unit": "dBm" | "%" (null without a value), "value" (null
// without one), "ageMs", "refreshMs" (0 where not known), "present": true |
// false | null (the driver has no such word)}. Platform-neutral.
#pragma once
#include <string>

#include "cardbase/signal_level.h"

std::string levelJson(const SignalLevel& level);
