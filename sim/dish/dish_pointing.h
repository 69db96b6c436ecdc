// The practice dish's "where to point" for its site and the satellite it
// is after: the same figures as azimora-dvb --point and the phone page
// (cardbase/pointing/), in the short lines made there for a narrow window,
// which the window writes in the sky chart under the arc, just above the
// horizon. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/pointing/pointing_figures.h"
#include "sim/dish/dish_model.h"

// How often the window works the figures out anew while the satellite stays the same.
constexpr uint32_t dishPointingRefreshMs = 60000;

// For the satellite of the sky at `satellite` (none below 0), as at
// `unixMs`, in the time zone whose offset `zoneAt` gives.
std::vector<std::string> dishPointingLines(const DishModel& model, int satellite, int64_t unixMs, ZoneAt zoneAt);
