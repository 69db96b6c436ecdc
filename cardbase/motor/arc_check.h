// The arc check: a motorised dish driven from one end of the geostationary
// arc to the other over the catalogue's Ku-band satellites, each found
// where its C/N (or its level, without a lock) peaks along the arc, its
// C/N there compared with what it gives in clear sky, and from the pattern
// across the arc which of the mount's adjustments is off, which way and by
// how much (arc_fit.h), in the installer's words (arc_words.h). Driven
// through callbacks, so that a card, a helper or a test carries it out in
// real or simulated time. Platform-neutral.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cardbase/catalogue_lines.h"
#include "cardbase/motor/arc_fit.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/look_angles.h"

struct ArcSatellite {
    std::string name;  // the catalogue's, position included
    double longitudeDeg;
    int32_t frequencyMHz;
    int32_t polarization;  // 0 horizontal, 1 vertical
    int32_t symbolRate;    // kS/s
    // What the transponder gives in clear sky with the dish right on it
    // (the simulators know it; on a real dish a reference measurement);
    // NaN where unknown: the satellite then counts along the arc only.
    double clearSkyCnDb;
};
// The catalogue's satellites, one per position: its first Ku-band line
// with a polarisation letter.
std::vector<ArcSatellite> arcSatellitesFrom(const std::vector<CatalogueLine>& catalogue);

struct ArcOptions {
    DishSite site{0.0, 0.0};
    double limitDeg = 75.0;
    double speedDegPerS = 1.5;
    bool hasRange = false;  // --from ANGLE --to ANGLE: motor angles, east positive
    double fromDeg = 0.0;
    double toDeg = 0.0;
    int mostSatellites = 12;          // spread evenly over the arc
    double leastElevationDeg = 10.0;  // lower satellites fade in the weather
};
// At least this many satellites for a verdict.
constexpr int arcLeastSatellites = 8;

struct ArcReading {
    bool locked = false;
    double carrierToNoiseDb = 0.0;  // while locked
    bool hasLevel = false;
    double levelDbm = 0.0;
    bool networkKnown = false;  // while locked: the network names its position
    double networkLongitudeDeg = 0.0;
};

struct ArcCallbacks {
    std::function<void(const MotorCommand&)> send;  // a positioner's command, once
    std::function<void(uint32_t ms)> wait;          // real or simulated time
    std::function<void(const ArcSatellite&)> tune;  // the satellite's catalogue transponder
    std::function<ArcReading()> read;               // one reading of the tuner
    std::function<bool(const std::string&)> ask;    // a yes/no question to the person at the dish
    std::function<void(const std::string&)> say;    // a line as the check goes (may be empty)
};

// One satellite as the check found it.
struct ArcPoint {
    ArcSatellite satellite;
    double motorAngleDeg = 0.0;  // its USALS angle
    double elevationDeg = 0.0;
    bool found = false;               // a peak was found along the arc
    bool byLevel = false;             // found by its level: no lock
    double alongDeg = 0.0;            // where it peaks from its USALS angle, east positive
    double curvatureDbPerDeg2 = 0.0;  // of the peak along the arc; 0 where it could not be told
    bool locked = false;              // at the peak
    double peakCnDb = 0.0;
    double lossDb = 0.0;  // clear-sky C/N less the peak's; NaN without a reference or a lock
    bool networkKnown = false;
    double networkLongitudeDeg = 0.0;
};

struct ArcResult {
    std::vector<ArcPoint> points;  // from one end of the arc to the other
    std::string problem;           // why there is no verdict ("" when there is one)
    ArcFitResult fit;
    bool asked = false;
    int askedPoint = -1;
    bool levelRose = false;
    uint32_t elapsedMs = 0;  // the time the check waited
};

// The satellites the check visits, in order: within the limits (and the
// range), above the least elevation, Ku band, up to mostSatellites spread
// over the arc, from its east end to its west end.
std::vector<ArcPoint> arcPlan(const std::vector<ArcSatellite>& satellites, const ArcOptions& options);

ArcResult runArcCheck(const std::vector<ArcSatellite>& satellites, const ArcOptions& options,
                      const ArcCallbacks& callbacks);

// The question put to the person at the dish, exactly as it stands.
extern const char arcPressQuestion[];
