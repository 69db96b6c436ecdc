#include "cardbase/phone/phone_point.h"

#include <cmath>
#include <cstdio>

#include "app/number_text.h"
#include "cardbase/phone/phone_feed.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/pointing/pointing_text.h"
#include "cardbase/settings_line.h"

// The magnetic and solar figures hold between these years.
static const int64_t earliestMs = -2177452800000LL;  // 1901-01-01
static const int64_t latestMs = 4102444800000LL;     // 2100-01-01
// The longest query value worth reading: a catalogue name or a site.
static const size_t maxValueLength = 128;

PhonePlace phonePlaceFrom(const std::string& settingsFileBytes, const std::string& settingsPath,
                          const DishSite* cardSite, const std::string& catalogueText)
{
    PhonePlace place;
    place.catalogue = catalogueLines(catalogueText);
    const std::string line = settingFromFile(settingsFileBytes, "site");
    std::string problem;
    if (!line.empty()) {
        if (parseSite(line, &place.site, &problem)) {
            place.hasSite = true;
            place.siteFrom = "site= in " + settingsPath;
            return place;
        }
        place.siteProblem = "site= in " + settingsPath + ": " + problem;
    }
    if (cardSite) {
        place.hasSite = true;
        place.site = *cardSite;
        place.siteFrom = "the practice dish's site";
    }
    return place;
}

static int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%C2%B0" and "+" as a form sends them; false for a broken escape or a
// control character.
static bool percentDecoded(const std::string& text, std::string* out)
{
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size()) return false;
            const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        *out += c;
    }
    return out->size() <= maxValueLength;
}

bool readPointingQuery(const std::string& query, const PhonePlace& place, PointingQuestion* question,
                       std::string* problem)
{
    // The first four are needed; the offset may be left out.
    static const char* const keys[] = {"site", "satellite", "t", "zone", "offset"};
    const size_t keyCount = sizeof keys / sizeof keys[0], neededCount = 4;
    std::string values[keyCount];
    bool given[keyCount] = {};
    size_t start = 0;
    while (start <= query.size() && !query.empty()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        start = end + 1;
        const size_t equals = pair.find('=');
        std::string key, value;
        if (equals == std::string::npos || !percentDecoded(pair.substr(0, equals), &key) ||
            !percentDecoded(pair.substr(equals + 1), &value)) {
            *problem = "the query's part \"" + pair.substr(0, 40) + "\" does not read: give KEY=VALUE, percent-encoded";
            return false;
        }
        size_t which = 0;
        while (which < keyCount && key != keys[which]) ++which;
        if (which == keyCount) {
            *problem =
                "the query names \"" + key.substr(0, 40) + "\": only site, satellite, t, zone and offset are asked";
            return false;
        }
        if (given[which]) {
            *problem = std::string("the query gives ") + keys[which] + " twice";
            return false;
        }
        given[which] = true;
        values[which] = value;
    }
    for (size_t which = 0; which < neededCount; ++which) {
        if (!given[which]) {
            *problem = std::string("the query lacks ") + keys[which] +
                       ": give site=LAT,LON, satellite=19.2E, t=MS since 1970 and zone=MINUTES east of UTC";
            return false;
        }
    }
    PointingQuestion asked;
    std::string name;
    if (!parseSite(values[0], &asked.site, problem)) return false;
    if (!parseSatellite(values[1], place.catalogue, &asked.satelliteLongitudeDeg, &name, problem)) return false;
    int64_t zone = 0;
    if (!readWholeNumber(values[2], WholeForm{earliestMs, latestMs - 1, 20, true}, &asked.unixMs)) {
        *problem = "the time t=\"" + values[2].substr(0, 40) +
                   "\" does not read: give the ms since 1970 (UTC) of a moment between 1901 and 2099";
        return false;
    }
    if (!readWholeNumber(values[3], WholeForm{-maxZoneMinutes, maxZoneMinutes, 20, true}, &zone)) {
        *problem = "the time zone zone=\"" + values[3].substr(0, 40) +
                   "\" does not read: give the minutes east of UTC, -840 to 840 (180 for UTC+3)";
        return false;
    }
    asked.zoneMinutes = static_cast<int32_t>(zone);
    if (given[4] && !values[4].empty()) {
        if (!parseOffsetAngle(values[4], &asked.offsetDeg, problem)) return false;
        asked.hasOffset = true;
    }
    *question = asked;
    return true;
}

static std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::fabs(value) < 0.0005 ? 0.0 : value);
    return text;
}

static std::string whole(int64_t value) { return std::to_string(value); }

// "13.0E" as the query takes it back.
static std::string positionQuery(double longitudeDeg)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%c", std::fabs(longitudeDeg), longitudeDeg < 0 ? 'W' : 'E');
    return text;
}

std::string satellitesJson(const PhonePlace& place)
{
    // One entry for each orbital position, named as its first line names it.
    std::vector<bool> listed(3601, false);
    std::string list;
    for (const CatalogueLine& line : place.catalogue) {
        if (!line.hasPosition) continue;
        const long tenths = std::lround(line.longitudeDeg * 10) + 1800;
        if (tenths < 0 || tenths > 3600 || listed[static_cast<size_t>(tenths)]) continue;
        listed[static_cast<size_t>(tenths)] = true;
        list += (list.empty() ? "{\"name\":" : ",{\"name\":") + jsonString(squeezedName(line.name)) +
                ",\"position\":" + jsonString(orbitalPositionText(line.longitudeDeg)) + ",\"value\":\"" +
                positionQuery(line.longitudeDeg) + "\"}";
    }
    const std::string site = place.hasSite ? "{\"latitude\":" + number(place.site.latitudeDeg) +
                                                 ",\"longitude\":" + number(place.site.longitudeDeg) +
                                                 ",\"text\":" + jsonString(siteText(place.site)) + "}"
                                           : "null";
    return "{\"site\":" + site + ",\"siteFrom\":" + jsonString(place.siteFrom) +
           ",\"siteProblem\":" + (place.siteProblem.empty() ? "null" : jsonString(place.siteProblem)) +
           ",\"satellites\":[" + list + "]}";
}

static const char* visibilityName(SatelliteVisibility visibility)
{
    switch (visibility) {
    case SatelliteVisible: return "visible";
    case SatelliteLow: return "low";
    case SatelliteBelowHorizon: return "below";
    }
    return "below";
}

std::string pointingJson(const PointingFigures& f)
{
    const PointingQuestion& q = f.question;
    const DishPointing& d = f.look.direction;
    const bool declination = f.declinationState == DeclinationKnown;
    std::string sun;
    for (const SunCrossing& crossing : f.sunCrossings)
        sun += (sun.empty() ? "" : ",") + std::string("{\"at\":") + whole(crossing.atMs) +
               ",\"local\":" + jsonString(localClockText(crossing.atMs, crossing.zoneMinutes)) +
               ",\"elevation\":" + number(crossing.elevationDeg) + "}";
    std::string lines;
    for (const PointingLine& line : pointingLines(f))
        lines += (lines.empty() ? "[" : ",[") + jsonString(line.name) + "," + jsonString(line.value) + "]";
    lines = "[" + lines + "]";
    return "{\"site\":{\"latitude\":" + number(q.site.latitudeDeg) + ",\"longitude\":" + number(q.site.longitudeDeg) +
           "},\"satellite\":{\"longitude\":" + number(q.satelliteLongitudeDeg) +
           ",\"position\":" + jsonString(orbitalPositionText(q.satelliteLongitudeDeg)) +
           "},\"azimuth\":" + number(d.azimuthDeg) + ",\"elevation\":" + number(d.elevationDeg) + ",\"visibility\":\"" +
           visibilityName(f.visibility) + "\",\"declination\":" + (declination ? number(f.declinationDeg) : "null") +
           ",\"magneticAzimuth\":" + (declination ? number(f.magneticAzimuthDeg) : "null") +
           ",\"skew\":" + number(d.skewDeg) + ",\"usals\":" + number(f.usalsDeg) +
           ",\"plateTilt\":" + (q.hasOffset ? number(f.plateTiltDeg) : "null") + ",\"sun\":[" + sun +
           "],\"sunNow\":{\"azimuth\":" + number(f.sunNow.azimuthDeg) +
           ",\"elevation\":" + number(f.sunNow.elevationDeg) + ",\"offset\":" + number(f.sunNowOffsetDeg) +
           "},\"lines\":" + lines + ",\"skewText\":" + jsonString(skewInstruction(d.skewDeg)) +
           ",\"sunText\":" + jsonString(sunHourSentence(f)) + "}";
}

bool pointingReply(const std::string& path, const std::string& query, const PhonePlace& place, std::string* json,
                   std::string* problem)
{
    if (path == phoneSatellitesPath) {
        *json = satellitesJson(place);
        return true;
    }
    PointingQuestion question;
    if (!readPointingQuery(query, place, &question, problem)) return false;
    *json = pointingJson(pointingFigures(question));
    return true;
}
