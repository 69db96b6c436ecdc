// azimora-dvb --point SAT --site LAT,LON: where to point a dish, one figure
// a line in the helper's "name: value" style, from the one pointing of
// every card substitute (cardbase/pointing/). Platform-neutral: the caller
// gives the moment with its time zone (point_time.h) and the catalogue's
// text.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/pointing/pointing_figures.h"
#include "dvb/helper/helper_options.h"

// The catalogue's biggest files are a few hundred lines; anything larger is a mistake.
constexpr size_t pointCatalogueLimit = 1024 * 1024;

// When the figures are for: the moment, its zone's offset then, and where
// the zone's rules are known, its offset at the day's other moments.
struct PointMoment {
    int64_t unixMs = 0;
    int32_t zoneMinutes = 0;
    ZoneAt zoneAt = nullptr;
};

// ExitOk with the lines in `report`, or ExitUsage with `problem` set when
// the satellite is neither a position nor a name in the catalogue.
int pointReport(const HelperOptions& options, const std::string& catalogueText, const PointMoment& moment,
                std::string* report, std::string* problem);
