// Lines of the simulated card's call log. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

// "NAME ARG -> 0xHHHHHHHH", the argument only where the method takes one.
std::string callLine(const char* name, bool hasArgument, int32_t argument, uint32_t result);
// "NAME -> 0xHHHHHHHH VALUE" for the two readings.
std::string readingLine(const char* name, uint32_t result, const std::string& value);
std::string floatText(float value);
