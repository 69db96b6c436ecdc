// The arc check on a real dish: what each satellite gives in clear sky with
// the dish right on it, as the installer measured it (the dish peaked on it
// by hand, on a day without rain), since no catalogue knows it. Without it
// a satellite counts along the arc only, and the loss across the arc, which
// names the declination, the elevation and the mount's azimuth, is not
// known. A file of lines "POSITION CN_DB" (19.2E 15.2, or 19.2E,15.2), blank
// lines and lines from "#" left out. Platform-neutral.
#pragma once
#include <string>
#include <vector>

#include "cardbase/motor/arc_check.h"

struct ArcReference {
    double longitudeDeg;  // east positive
    double clearSkyCnDb;
};

// False with `problem` naming the line where the text does not read so.
bool parseArcReferences(const std::string& text, std::vector<ArcReference>* references, std::string* problem);

// Each satellite whose position a reference gives (within 0.05°) takes its
// C/N, over what the simulators know; how many took one.
size_t applyArcReferences(const std::vector<ArcReference>& references, std::vector<ArcSatellite>& satellites);
