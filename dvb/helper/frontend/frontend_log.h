// The frontend log (--log FILE): one line per operation that reached the
// frontend or was refused, written at once, the same for a real and a
// simulated frontend:
//   voltage 13 | voltage 18 | voltage off
//   tone on | tone off
//   diseqc E0 10 38 FB
//   burst A | burst B
//   burst A left out: ...          (once, for a driver without tone burst)
//   tune if_khz=N symbol_rate=N system=DVB-S | system=DVB-S2 [modulation=QPSK|8PSK [code_rate=3/4]]
//   lock | nolock                  (when the status changes)
//   reading waited MS ms for the frontend  (a read the driver's search held up)
//   refused WHAT: REASON           (the line of what was refused, and why)
//   refused secret from ADDRESS: wrong; ...  (a peer's first wrong secret of a run)
// The file is a regular file (see regular_file.h), appended to. Once it
// holds logByteLimit bytes, this run's and earlier runs' alike, it becomes
// FILE.1 (in place of an older one) and a new FILE is begun, so that the
// latest lines are always there and the two take at most twice the limit;
// a write that fails is said on stderr. Writers on several threads take
// turns.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "cardbase/frontend_plan.h"

std::string voltageLine(LnbVoltage voltage);
std::string toneLine(bool on);
std::string diseqcLine(const uint8_t* bytes, size_t length);
std::string tuneLine(uint32_t intermediateKHz, uint32_t symbolsPerSecond);
std::string lockLine(bool locked);

constexpr uint64_t logByteLimit = 16u << 20;

struct FrontendLog {
    int fd = -1;  // -1: no log
    std::string path;
    uint64_t written = 0;  // the size of the file begun latest
    bool failing = false;  // the latest write failed (said once per failure)
    std::mutex turn;
};

// Appends to the file; false with `error` set when it cannot be used.
bool openFrontendLog(FrontendLog& log, const std::string& path, std::string* error);
void closeFrontendLog(FrontendLog& log);
void writeLogLine(FrontendLog& log, const std::string& line);
