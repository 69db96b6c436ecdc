// The phone page's "Where to point" asks the server rather than carrying a
// second copy of the maths: GET /satellites gives the catalogue's
// satellites and the site the settings file names; GET /point with the
// site, the satellite and the phone's time as query gives the figures
// (pointing_figures.h) as JSON. Read-only, bounded by the request's head,
// and refused (with what a good value looks like) when the query is
// malformed. Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "cardbase/catalogue_lines.h"
#include "cardbase/pointing/look_angles.h"
#include "cardbase/pointing/pointing_figures.h"

constexpr char phonePointPath[] = "/point";
constexpr char phoneSatellitesPath[] = "/satellites";

// What the card hands the page once, as it starts: its settings file's
// site= line and the catalogue.
struct PhonePlace {
    bool hasSite = false;
    DishSite site{};
    std::string siteFrom;     // where the site comes from, for the page: "site= in C:\...\simcard.ini"
    std::string siteProblem;  // why the site= line cannot be used, "" when it can
    std::vector<CatalogueLine> catalogue;
};

// The site= line of a settings file (its bytes, decoded as the phone= line
// is) as the page's site; the card's own site (the practice dish's) where
// the file names none. `settingsPath` names the file for the page.
PhonePlace phonePlaceFrom(const std::string& settingsFileBytes, const std::string& settingsPath,
                          const DishSite* cardSite, const std::string& catalogueText);

// The query of /point: site=LAT,LON, satellite=19.2E (or a catalogue
// name), t=MS since 1970, zone=MINUTES east of UTC, offset=DEGREES
// (optional), percent-encoded, each once. False with the problem said.
bool readPointingQuery(const std::string& query, const PhonePlace& place, PointingQuestion* question,
                       std::string* problem);

// The answer's JSON to a path of the two (the query given for /point); false
// with the problem when the query is malformed.
bool pointingReply(const std::string& path, const std::string& query, const PhonePlace& place, std::string* json,
                   std::string* problem);

std::string satellitesJson(const PhonePlace& place);
std::string pointingJson(const PointingFigures& figures);
