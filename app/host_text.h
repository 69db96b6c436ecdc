// Text that the card substitutes, their test support and the tools take from
// their surroundings, as strings.
#pragma once
#include <windows.h>

#include <string>

// The whole file, opened with the given sharing; empty when it cannot be read.
std::string wholeFileText(const std::string& path, DWORD shareMode);

// The environment variable's value; empty when it is not set (or longer than
// any value these programs are given).
std::string environmentText(const char* name);
