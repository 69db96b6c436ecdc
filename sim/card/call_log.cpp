#include "sim/card/call_log.h"

#include <cstdio>

std::string callLine(const char* name, bool hasArgument, int32_t argument, uint32_t result)
{
    char line[160];
    if (hasArgument)
        std::snprintf(line, sizeof line, "%s %ld -> 0x%08lX", name, static_cast<long>(argument),
                      static_cast<unsigned long>(result));
    else std::snprintf(line, sizeof line, "%s -> 0x%08lX", name, static_cast<unsigned long>(result));
    return line;
}

std::string readingLine(const char* name, uint32_t result, const std::string& value)
{
    return callLine(name, false, 0, result) + " " + value;
}

std::string floatText(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}
