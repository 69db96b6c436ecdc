// azimora-dvb --point SAT --site LAT,LON: where to point a dish, one figure
// a line in the helper's "name: value" style, from the one pointing of
// every card substitute (cardbase/pointing/). Platform-neutral: the caller
// gives the moment, its time zone and the catalogue's text.
#pragma once
#include <cstdint>
#include <string>

#include "dvb/helper/helper_options.h"

// The catalogue's biggest files are a few hundred lines; anything larger is a mistake.
constexpr size_t pointCatalogueLimit = 1024 * 1024;

// ExitOk with the lines in `report`, or ExitUsage with `problem` set when
// the satellite is neither a position nor a name in the catalogue.
int pointReport(const HelperOptions& options, const std::string& catalogueText, int64_t unixMs, int32_t zoneMinutes,
                std::string* report, std::string* problem);
