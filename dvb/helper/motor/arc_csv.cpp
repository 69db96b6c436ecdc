#include "dvb/helper/motor/arc_csv.h"

#include <cmath>

#include "cardbase/network/network_identity.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/record/record_csv.h"

static std::string decimalOrEmpty(bool known, double value, int places)
{
    return known && !std::isnan(value) ? decimalText(value, places) : "";
}

std::string arcCsv(const ArcResult& result)
{
    std::string text = utf8ByteOrderMark +
                       csvLine({"satellite", "position", "motor_angle_deg", "elevation_deg", "found", "by_level",
                                "along_deg", "locked", "peak_cn_db", "clear_sky_cn_db", "loss_db", "network_position"});
    for (const ArcPoint& point : result.points) {
        const ArcSatellite& satellite = point.satellite;
        const PositionTenths position = static_cast<PositionTenths>(std::lround(satellite.longitudeDeg * 10));
        const PositionTenths network = static_cast<PositionTenths>(std::lround(point.networkLongitudeDeg * 10));
        text +=
            csvLine({csvTextField(squeezedName(satellite.name)), positionText(position),
                     decimalText(point.motorAngleDeg, 2), decimalText(point.elevationDeg, 1),
                     point.found ? "yes" : "no", point.found && point.byLevel ? "yes" : "no",
                     decimalOrEmpty(point.found, point.alongDeg, 2), point.locked ? "yes" : "no",
                     decimalOrEmpty(point.locked, point.peakCnDb, 1), decimalOrEmpty(true, satellite.clearSkyCnDb, 1),
                     decimalOrEmpty(true, point.lossDb, 1), point.networkKnown ? positionText(network) : ""});
    }
    return text;
}

std::string arcRemark(const std::string& pointLine)
{
    // The line without the satellite's name: its catalogue name ends with its
    // position, and the first ": " after that begins what was found.
    const size_t colon = pointLine.find(": motor ");
    return "arc check: " + (colon == std::string::npos ? pointLine : pointLine.substr(colon + 2));
}
