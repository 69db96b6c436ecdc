// Where a motorised dish on a polar mount points: the motor turns the dish
// about the mount's polar axis, and the declination tilts the dish from
// the axis's equator down to the arc. Set as makers set it, the axis lies
// on the meridian at the site's latitude and the declination points the
// dish at the satellite on the meridian; the motor's zero is on the
// meridian and it turns to the USALS angle. Such a mount follows the arc
// well in its middle and passes below it towards its ends (about 0.4° at
// ±65°): its own tracking error, no fault of the mount's setting.
// The mount's adjustments may be off, each in degrees, positive meaning
// too much, east or up. Platform-neutral.
#pragma once
#include "cardbase/pointing/look_angles.h"

struct MountErrors {
    double declinationDeg = 0.0;  // too much: the dish tilted further from the pole, below the arc
    double elevationDeg = 0.0;    // the polar axis too high
    double azimuthDeg = 0.0;      // the mount turned so that the dish on the meridian looks east of it
    double zeroDeg = 0.0;         // the motor's zero east of the meridian
};

// The declination makers set for the site: from the axis's equator down
// to the satellite on the meridian, atan(R sin φ / (r - R cos φ)).
double mountDeclinationDeg(const DishSite& site);

// Where the dish points with its motor at `motorAngleDeg` (east
// positive); its skew is the feed's turn, set upright on the meridian and
// carried round by the mount.
DishPointing polarMountPointing(const DishSite& site, const MountErrors& errors, double motorAngleDeg);

// How a mount meets a satellite: the motor angle that brings the dish
// nearest to it; how far that lies from the satellite's USALS angle
// (along the arc, positive where the motor must turn further east); and
// how far the dish then passes from the satellite across the arc
// (positive where it passes on the side away from the pole: below the arc).
struct ArcOffsets {
    double motorAngleDeg;
    double alongDeg;
    double acrossDeg;
};
ArcOffsets mountArcOffsets(const DishSite& site, const MountErrors& errors, double satelliteLongitudeDeg);

// The dish pressed by hand: `upDeg` turned up about its own horizontal axis.
DishPointing pressedUp(const DishPointing& pointing, double upDeg);
