// Dates and times as the pointing needs them: milliseconds since 1970 (UTC)
// and a fixed offset of a time zone, without the platform's clock or zone
// rules. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

constexpr int64_t msPerMinute = 60000;
constexpr int64_t msPerDay = 86400000;
// Time zones lie between UTC-14 and UTC+14.
constexpr int32_t maxZoneMinutes = 14 * 60;

struct CivilDate {
    int32_t year;
    int32_t month;  // 1 .. 12
    int32_t day;    // 1 .. 31
};

// Days since 1970-01-01 of a date of the Gregorian calendar, and back.
int64_t daysFromCivil(const CivilDate& date);
CivilDate civilFromDays(int64_t days);

// The year with the part of it gone by, as the magnetic model counts time
// (2025.5 is the middle of 2025).
double decimalYear(int64_t unixMs);

// The start of the local day (in UTC ms) that holds `unixMs` in a zone
// `zoneMinutes` east of UTC.
int64_t localDayStartMs(int64_t unixMs, int32_t zoneMinutes);

// "HH:MM" of the local time, to the nearest minute.
std::string localClockText(int64_t unixMs, int32_t zoneMinutes);
// The offset a local time is in: "+03:00", "-04:00", "+05:30", "+00:00".
std::string offsetText(int32_t zoneMinutes);
// The same for people: "UTC+03:00", "UTC-04:00", "UTC+05:30", "UTC".
std::string zoneText(int32_t zoneMinutes);

// "2025-06-21T12:00" with an optional zone "Z", "+03:00", "-0430" or
// "+03"; without one, `defaultZoneMinutes` applies (and `zoneGiven`, when
// asked, says so). False when it does not read as such a time between the
// years 1901 and 2099.
bool parseLocalTime(const std::string& text, int32_t defaultZoneMinutes, int64_t* unixMs, int32_t* zoneMinutes,
                    bool* zoneGiven = nullptr);
