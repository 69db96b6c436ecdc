// The frontend log (--log FILE): one line per operation on the frontend,
// written and flushed at once, the same for a real and a simulated one:
//   voltage 13 | voltage 18 | voltage off
//   tone on | tone off
//   diseqc E0 10 38 FB
//   tune if_khz=N symbol_rate=N
//   lock | nolock                  (when the status changes)
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "cardbase/frontend_plan.h"

std::string voltageLine(LnbVoltage voltage);
std::string toneLine(bool on);
std::string diseqcLine(const uint8_t* bytes, size_t length);
std::string tuneLine(uint32_t intermediateKHz, uint32_t symbolsPerSecond);
std::string lockLine(bool locked);

struct FrontendLog {
    FILE* file = nullptr;  // null: no log
};

// Appends to the file; false when it cannot be opened.
bool openFrontendLog(FrontendLog& log, const std::string& path);
void closeFrontendLog(FrontendLog& log);
void writeLogLine(FrontendLog& log, const std::string& line);
