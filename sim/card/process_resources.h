// What the process holds, counted from inside it: the card lives in the
// program's process, so a long run can be watched for leaks in its log.
#pragma once
#include <string>

// "Resources handles=N gdi=M"
std::string resourcesLine();
