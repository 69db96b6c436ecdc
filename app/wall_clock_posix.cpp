#include <ctime>

#include "app/wall_clock.h"

int64_t wallClockMs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int32_t zoneMinutesAt(int64_t unixMs)
{
    const time_t at = static_cast<time_t>(unixMs / 1000);
    tm local{};
    localtime_r(&at, &local);
    return static_cast<int32_t>(local.tm_gmtoff / 60);
}
