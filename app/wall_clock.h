// The wall clock in milliseconds since 1970 (UTC), as everything here
// counts time, and this computer's time zone at any moment: from Windows'
// FILETIME and its zone rules (wall_clock_win.cpp), or from the C
// library's clock and TZ rules (wall_clock_posix.cpp).
#pragma once
#include <cstdint>

int64_t wallClockMs();
// Minutes east of UTC at that moment, daylight saving time included.
int32_t zoneMinutesAt(int64_t unixMs);
