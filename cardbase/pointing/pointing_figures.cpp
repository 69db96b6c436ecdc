#include "cardbase/pointing/pointing_figures.h"

#include <cmath>

#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/magnetic_model.h"

PointingFigures pointingFigures(const PointingQuestion& question)
{
    PointingFigures figures{};
    figures.question = question;
    const DishSite& site = question.site;
    figures.look = lookAngles(site, question.satelliteLongitudeDeg);
    const DishPointing& direction = figures.look.direction;
    figures.visibility = direction.elevationDeg < 0.0               ? SatelliteBelowHorizon
                         : direction.elevationDeg < lowElevationDeg ? SatelliteLow
                                                                    : SatelliteVisible;

    // The dish stands on the ground: the field at the ellipsoid's height is near enough.
    figures.decimalYear = decimalYear(question.unixMs);
    MagneticField field;
    if (figures.decimalYear < wmm2025.epochYear) {
        figures.declinationState = DeclinationBeforeModel;
    } else if (!magneticModelCovers(wmm2025, figures.decimalYear)) {
        figures.declinationState = DeclinationAfterModel;
    } else if (!magneticFieldAt(wmm2025, site.latitudeDeg, site.longitudeDeg, 0.0, figures.decimalYear, &field)) {
        figures.declinationState = DeclinationAtPole;
    } else {
        figures.declinationState = DeclinationKnown;
        figures.declinationDeg = field.declinationDeg;
        figures.magneticAzimuthDeg = std::fmod(direction.azimuthDeg - field.declinationDeg + 720.0, 360.0);
    }

    figures.usalsDeg = usalsAngleDeg(site, question.satelliteLongitudeDeg);
    if (question.hasOffset) figures.plateTiltDeg = plateTiltDeg(direction.elevationDeg, question.offsetDeg);

    const int64_t dayStart = localDayStartMs(question.unixMs, question.zoneMinutes);
    figures.sunCrossings = sunAtAzimuth(site, direction.azimuthDeg, dayStart, dayStart + msPerDay);
    for (SunCrossing& crossing : figures.sunCrossings)
        crossing.zoneMinutes = question.zoneAt ? question.zoneAt(crossing.atMs) : question.zoneMinutes;
    figures.sunNow = sunDirection(site, question.unixMs);
    figures.sunNowOffsetDeg = azimuthDifferenceDeg(figures.sunNow.azimuthDeg, direction.azimuthDeg);
    return figures;
}
