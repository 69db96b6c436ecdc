"""The sun by PyEphem (Debian's python3-ephem), for the pointing's reference
test: reads a JSON object from stdin and prints one.

  {"positions": [[lat, lon, ms], ...],              -> "positions": [[azimuth, elevation], ...]
   "crossings": [[lat, lon, from_ms, to_ms, azimuth], ...]}
                                                    -> "crossings": [[[ms, elevation], ...], ...]

Degrees, ms since 1970 (UTC), no refraction (pressure 0). A crossing is a
moment the sun, above the horizon, passes the azimuth: the day is looked at
every two minutes and each change of side is halved down to a second.
"""
import json
import math
import sys

import ephem

UNIX_EPOCH = ephem.Date("1970/1/1 00:00:00")


def sun(lat, lon, ms):
    observer = ephem.Observer()
    observer.lat = math.radians(lat)
    observer.lon = math.radians(lon)
    observer.elevation = 0
    observer.pressure = 0
    observer.date = ephem.Date(UNIX_EPOCH + ms / 86400000.0)
    body = ephem.Sun(observer)
    return math.degrees(body.az), math.degrees(body.alt)


def offset(lat, lon, ms, azimuth):
    difference = math.fmod(sun(lat, lon, ms)[0] - azimuth, 360.0)
    if difference > 180:
        difference -= 360
    if difference <= -180:
        difference += 360
    return difference


def crossings(lat, lon, start, end, azimuth):
    found = []
    before, offset_before = start, offset(lat, lon, start, azimuth)
    while before < end:
        after = min(before + 120000, end)
        offset_after = offset(lat, lon, after, azimuth)
        if (offset_before < 0) != (offset_after < 0) and abs(offset_before) + abs(offset_after) < 180:
            low, high, offset_low = before, after, offset_before
            while high - low > 1000:
                middle = (low + high) // 2
                offset_middle = offset(lat, lon, middle, azimuth)
                if (offset_middle < 0) == (offset_low < 0):
                    low, offset_low = middle, offset_middle
                else:
                    high = middle
            at = (low + high) // 2
            elevation = sun(lat, lon, at)[1]
            if elevation > 0:
                found.append([at, elevation])
        before, offset_before = after, offset_after
    return found


def main():
    asked = json.load(sys.stdin)
    json.dump({
        "positions": [list(sun(*p)) for p in asked.get("positions", [])],
        "crossings": [crossings(*c) for c in asked.get("crossings", [])],
    }, sys.stdout)


main()
