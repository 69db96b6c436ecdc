// Everything a person needs to point a dish at a satellite from a site, at
// a moment: computed once here, and put into words (pointing_text.h) for
// azimora-dvb --point, the phone page and the practice dish's window alike.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/pointing/look_angles.h"
#include "cardbase/pointing/sun_hour.h"

// Under this elevation a satellite is hard to receive: the ground's noise,
// trees and buildings near the horizon are in the way.
constexpr double lowElevationDeg = 5.0;

// A time zone's offset (minutes east of UTC) at a moment, from its rules,
// which only the platform knows.
using ZoneAt = int32_t (*)(int64_t unixMs);

struct PointingQuestion {
    DishSite site;
    double satelliteLongitudeDeg;  // east positive
    int64_t unixMs;                // now; "today" is its local day
    int32_t zoneMinutes;           // the time zone's offset at unixMs, east of UTC
    bool hasOffset = false;        // the dish's offset angle is known
    double offsetDeg = 0.0;
    // The zone's offset at the day's other moments, where its clocks may
    // change that day; without it, zoneMinutes all day.
    ZoneAt zoneAt = nullptr;
};

enum SatelliteVisibility { SatelliteVisible, SatelliteLow, SatelliteBelowHorizon };

enum DeclinationState {
    DeclinationKnown,
    DeclinationBeforeModel,  // the time lies before the model's epoch
    DeclinationAfterModel,   // the model has run out
    DeclinationAtPole,       // north has no direction at a geographic pole
};

struct PointingFigures {
    PointingQuestion question;
    LookAngles look;
    SatelliteVisibility visibility;
    DeclinationState declinationState;
    double decimalYear;
    double declinationDeg;                  // east positive, with DeclinationKnown
    double magneticAzimuthDeg;              // what a compass reads, with DeclinationKnown
    double usalsDeg;                        // east positive
    double plateTiltDeg;                    // with question.hasOffset
    std::vector<SunCrossing> sunCrossings;  // today, each with the zone's offset at its moment
    SkyDirection sunNow;
    double sunNowOffsetDeg;  // the sun's azimuth less the satellite's, -180 .. 180 (negative: to the left)
};

PointingFigures pointingFigures(const PointingQuestion& question);
