// The wall clock as Windows keeps it (100 ns since 1601), in milliseconds
// since 1970 (UTC) as everything else here counts time, and this
// computer's time zone. Win32.
#pragma once
#include <cstdint>

int64_t wallClockMs();
// Minutes east of UTC at that moment, daylight saving time included (by
// the rules Windows has for its year).
int32_t zoneMinutesAt(int64_t unixMs);
