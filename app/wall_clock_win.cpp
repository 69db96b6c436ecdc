#include <windows.h>

#include "app/wall_clock.h"

static constexpr int64_t ticksPerMs = 10000;
static constexpr int64_t ticksPerMinute = 60 * 1000 * ticksPerMs;
// 1970-01-01 in ticks since 1601-01-01.
static constexpr int64_t unixEpochTicks = 116444736000000000LL;

static int64_t ticksOf(const FILETIME& time)
{
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

int64_t wallClockMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (ticksOf(now) - unixEpochTicks) / ticksPerMs;
}

int32_t zoneMinutesAt(int64_t unixMs)
{
    const uint64_t ticks = static_cast<uint64_t>(unixMs * ticksPerMs + unixEpochTicks);
    const FILETIME at{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc, local;
    FILETIME utcTime, localTime;  // both whole milliseconds, as SYSTEMTIME holds them
    if (!FileTimeToSystemTime(&at, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) ||
        !SystemTimeToFileTime(&utc, &utcTime) || !SystemTimeToFileTime(&local, &localTime))
        return 0;
    return static_cast<int32_t>((ticksOf(localTime) - ticksOf(utcTime)) / ticksPerMinute);
}
