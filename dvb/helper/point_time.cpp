#include "dvb/helper/point_time.h"

#include <ctime>

#include "app/wall_clock.h"
#include "cardbase/pointing/civil_time.h"

bool readPointMoment(const std::string& text, PointMoment* moment)
{
    if (text.empty()) {
        const int64_t unixMs = wallClockMs();
        *moment = PointMoment{unixMs, zoneMinutesAt(unixMs), zoneMinutesAt};
        return true;
    }
    int64_t asUtc = 0;
    int32_t zoneMinutes = 0;
    bool zoneGiven = false;
    if (!parseLocalTime(text, 0, &asUtc, &zoneMinutes, &zoneGiven)) return false;
    if (zoneGiven) {
        *moment = PointMoment{asUtc, zoneMinutes, nullptr};
        return true;
    }
    // The wall time read as UTC, then the zone at that local time.
    const time_t wall = static_cast<time_t>(asUtc / 1000);
    tm fields{};
    gmtime_r(&wall, &fields);
    fields.tm_isdst = -1;
    const time_t local = mktime(&fields);
    zoneMinutes = static_cast<int32_t>((wall - local) / 60);
    *moment = PointMoment{asUtc - static_cast<int64_t>(zoneMinutes) * 60000, zoneMinutes, zoneMinutesAt};
    return true;
}
