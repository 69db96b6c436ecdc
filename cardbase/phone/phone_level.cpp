#include "cardbase/phone/phone_level.h"

#include <cmath>
#include <cstdio>

std::string levelJson(const SignalLevel& level)
{
    const bool valued = levelHasValue(level) && std::isfinite(level.value);
    char value[32] = "null", to[32] = "null";
    if (valued) std::snprintf(value, sizeof value, "%.2f", level.value);
    if (valued && level.ranged && std::isfinite(level.rangeTo)) std::snprintf(to, sizeof to, "%.2f", level.rangeTo);
    const std::string unit = valued ? std::string("\"") + levelUnitName(level.unit) + "\"" : std::string("null");
    const char* bound = !valued                      ? "null"
                        : level.bound == LevelOrLess ? "\"or less\""
                        : level.bound == LevelOrMore ? "\"or more\""
                                                     : "null";
    const char* present = level.present > 0 ? "true" : level.present == 0 ? "false" : "null";
    char text[256];
    std::snprintf(text, sizeof text,
                  "{\"state\":\"%s\",\"unit\":%s,\"value\":%s,\"to\":%s,\"bound\":%s,\"ageMs\":%lu,"
                  "\"refreshMs\":%lu,\"present\":%s}",
                  levelStateWord(level.state), unit.c_str(), value, to, bound, static_cast<unsigned long>(level.ageMs),
                  static_cast<unsigned long>(level.refreshMs), present);
    return text;
}
