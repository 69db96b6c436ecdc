// The practice dish's "where to point" for its site and the satellite it
// is after: the same figures as azimora-dvb --point and the phone page
// (cardbase/pointing/), in a few short ASCII lines, the widest last, that the
// window writes in the sky chart under the arc, just above the horizon.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "sim/dish/dish_model.h"

// How often the window works the figures out anew while the satellite stays the same.
constexpr uint32_t dishPointingRefreshMs = 60000;

// For the satellite of the sky at `satellite` (none below 0), as at
// `unixMs` in a time zone `zoneMinutes` east of UTC.
std::vector<std::string> dishPointingLines(const DishModel& model, int satellite, int64_t unixMs, int32_t zoneMinutes);
