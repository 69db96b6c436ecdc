#include "sim/dish/dish_pointing.h"

#include <cmath>
#include <cstdio>

#include "cardbase/pointing/civil_time.h"
#include "cardbase/pointing/magnetic_model.h"
#include "cardbase/pointing/pointing_figures.h"

static std::string sided(double value, char positive, char negative)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%c", std::fabs(value), value < 0 ? negative : positive);
    return text;
}

std::vector<std::string> dishPointingLines(const DishModel& model, int satellite, int64_t unixMs, int32_t zoneMinutes)
{
    std::vector<std::string> lines;
    if (satellite < 0 || static_cast<size_t>(satellite) >= model.sky.size()) return lines;
    PointingQuestion question;
    question.site = model.site;
    question.satelliteLongitudeDeg = model.sky[static_cast<size_t>(satellite)].longitudeDeg;
    question.unixMs = unixMs;
    question.zoneMinutes = zoneMinutes;
    const PointingFigures f = pointingFigures(question);
    char text[96];
    std::snprintf(text, sizeof text, "USALS %s", sided(f.usalsDeg, 'E', 'W').c_str());
    lines.push_back(text);
    if (f.sunCrossings.empty()) {
        lines.push_back("sun never there today");
    } else {
        std::snprintf(text, sizeof text, "sun there %s, %.0f high",
                      localClockText(f.sunCrossings.front().atMs, zoneMinutes).c_str(),
                      f.sunCrossings.front().elevationDeg);
        lines.push_back(text);
    }
    if (f.declinationState == DeclinationKnown)
        std::snprintf(text, sizeof text, "magnetic az %.1f (%s %s)", f.magneticAzimuthDeg,
                      sided(f.declinationDeg, 'E', 'W').c_str(), wmm2025.name);
    else
        std::snprintf(text, sizeof text, "magnetic az unknown: %s is for %.0f-%.0f", wmm2025.name, wmm2025.epochYear,
                      wmm2025.validUntilYear);
    lines.push_back(text);
    // The turn and how it is seen, each short enough for a narrow window.
    const double skew = f.look.direction.skewDeg;
    if (std::fabs(skew) < 0.05) {
        lines.push_back("LNB upright");
        return lines;
    }
    std::snprintf(text, sizeof text, "LNB %.1f %s", std::fabs(skew), skew > 0 ? "clockwise" : "counterclockwise");
    lines.push_back(text);
    lines.push_back("seen from behind the dish");
    return lines;
}
