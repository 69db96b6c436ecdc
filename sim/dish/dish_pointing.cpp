#include "sim/dish/dish_pointing.h"

#include "cardbase/pointing/pointing_text.h"

std::vector<std::string> dishPointingLines(const DishModel& model, int satellite, int64_t unixMs, ZoneAt zoneAt)
{
    if (satellite < 0 || static_cast<size_t>(satellite) >= model.sky.size()) return {};
    PointingQuestion question;
    question.site = model.site;
    question.satelliteLongitudeDeg = model.sky[static_cast<size_t>(satellite)].longitudeDeg;
    question.unixMs = unixMs;
    question.zoneMinutes = zoneAt(unixMs);
    question.zoneAt = zoneAt;
    return shortPointingLines(pointingFigures(question));
}
