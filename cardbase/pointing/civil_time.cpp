#include "cardbase/pointing/civil_time.h"

#include <cstdio>

#include "app/number_text.h"

// Floor division: days before 1970 belong to the day that starts earlier.
static int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Counted in eras of 400 years from 0000-03-01, where the leap day ends
// each year (the usual way of doing it without tables).
int64_t daysFromCivil(const CivilDate& date)
{
    const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(y, 400);
    const int64_t yearOfEra = y - era * 400;
    const int64_t monthFromMarch = (date.month + 9) % 12;
    const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate civilFromDays(int64_t days)
{
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return CivilDate{static_cast<int32_t>(year), static_cast<int32_t>(month), static_cast<int32_t>(day)};
}

double decimalYear(int64_t unixMs)
{
    const int32_t year = civilFromDays(floorDiv(unixMs, msPerDay)).year;
    const int64_t start = daysFromCivil(CivilDate{year, 1, 1}) * msPerDay;
    const int64_t end = daysFromCivil(CivilDate{year + 1, 1, 1}) * msPerDay;
    return year + static_cast<double>(unixMs - start) / static_cast<double>(end - start);
}

int64_t localDayStartMs(int64_t unixMs, int32_t zoneMinutes)
{
    const int64_t shift = zoneMinutes * msPerMinute;
    return floorDiv(unixMs + shift, msPerDay) * msPerDay - shift;
}

std::string localClockText(int64_t unixMs, int32_t zoneMinutes)
{
    const int64_t local = unixMs + zoneMinutes * msPerMinute + msPerMinute / 2;
    const int64_t minuteOfDay = floorDiv(local, msPerMinute) - floorDiv(local, msPerDay) * (msPerDay / msPerMinute);
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(minuteOfDay / 60),
                  static_cast<int>(minuteOfDay % 60));
    return text;
}

std::string offsetText(int32_t zoneMinutes)
{
    const int32_t minutes = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", zoneMinutes < 0 ? '-' : '+', static_cast<int>(minutes / 60),
                  static_cast<int>(minutes % 60));
    return text;
}

std::string zoneText(int32_t zoneMinutes) { return zoneMinutes == 0 ? "UTC" : "UTC" + offsetText(zoneMinutes); }

// Exactly `count` digits at `at`; false past the end or at another character.
static bool digits(const std::string& text, size_t at, size_t count, int32_t* value)
{
    return at + count <= text.size() &&
           readWholeNumber(text.substr(at, count), WholeForm{0, INT32_MAX, count, true}, value);
}

static bool parseZone(const std::string& zone, int32_t* minutes)
{
    if (zone == "Z" || zone == "z") {
        *minutes = 0;
        return true;
    }
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-')) return false;
    int32_t hours = 0, rest = 0;
    if (!digits(zone, 1, 2, &hours)) return false;
    if (zone.size() > 3) {
        const size_t tail = zone[3] == ':' ? 4 : 3;
        if (zone.size() != tail + 2 || !digits(zone, tail, 2, &rest) || rest > 59) return false;
    }
    const int32_t total = hours * 60 + rest;
    if (total > maxZoneMinutes) return false;
    *minutes = zone[0] == '-' ? -total : total;
    return true;
}

bool parseLocalTime(const std::string& text, int32_t defaultZoneMinutes, int64_t* unixMs, int32_t* zoneMinutes,
                    bool* zoneGiven)
{
    // YYYY-MM-DDTHH:MM, then the zone.
    CivilDate date{};
    int32_t hour = 0, minute = 0;
    if (text.size() < 16 || !digits(text, 0, 4, &date.year) || text[4] != '-' || !digits(text, 5, 2, &date.month) ||
        text[7] != '-' || !digits(text, 8, 2, &date.day) || (text[10] != 'T' && text[10] != 't' && text[10] != ' ') ||
        !digits(text, 11, 2, &hour) || text[13] != ':' || !digits(text, 14, 2, &minute))
        return false;
    if (date.year < 1901 || date.year > 2099 || date.month < 1 || date.month > 12 || date.day < 1 || hour > 23 ||
        minute > 59)
        return false;
    const int64_t days = daysFromCivil(date);
    const CivilDate back = civilFromDays(days);
    if (back.month != date.month || back.day != date.day) return false;  // 2025-02-30
    int32_t zone = defaultZoneMinutes;
    if (text.size() > 16 && !parseZone(text.substr(16), &zone)) return false;
    *zoneMinutes = zone;
    *unixMs = days * msPerDay + (hour * 60 + minute - zone) * msPerMinute;
    if (zoneGiven) *zoneGiven = text.size() > 16;
    return true;
}
