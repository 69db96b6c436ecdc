// What a person types for the pointing: the site, the satellite and a
// dish's offset angle, read strictly, with a message that says which value
// is wrong and what a good one looks like. azimora-dvb --point, the phone
// page's query and the settings files' site= line read them here.
// Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "cardbase/catalogue_lines.h"
#include "cardbase/pointing/look_angles.h"

// Offset angles makers print lie well within this.
constexpr double maxOffsetDeg = 60.0;

// "LAT,LON" in decimal degrees, north and east positive ("55.75,37.62",
// blanks around either number allowed).
bool parseSite(const std::string& text, DishSite* site, std::string* error);

// "55.75,37.62" as parseSite reads it back.
std::string siteText(const DishSite& site);

// An orbital position ("19.2E", "0.8W", "13.0e", "19.2° E") or a name of the
// catalogue: a line's name without its position, any case, blanks squeezed,
// or the start of such names when they all stand at one position.
// `name` gets the catalogue's name, or "" for a position.
bool parseSatellite(const std::string& text, const std::vector<CatalogueLine>& catalogue, double* longitudeDeg,
                    std::string* name, std::string* error);

// A catalogue name as it is shown: no blanks at the ends, runs of blanks
// and tabs as one blank.
std::string squeezedName(const std::string& text);

// The offset angle of an offset dish, 0 .. maxOffsetDeg (0 for a prime-focus dish).
bool parseOffsetAngle(const std::string& text, double* offsetDeg, std::string* error);
