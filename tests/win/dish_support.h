// What the Windows tests of the practice dish share: its window, a tuning
// of the program to HotBird and the lock the card's log tells.
#pragma once
#include <string>
#include <vector>

#include "tests/support/driver.h"

constexpr int hotBirdLine = 53;  // "HotBird1-6   13.0e", 10723 H 29900

HWND dishWindow(const AppRun& run);
HWND waitForDishWindow(const AppRun& run);
// Selects HotBird in the program's list and starts measuring it.
void startHotBird(AppRun& run);
// The latest logged line that starts with `prefix`, "" when none.
std::string lastLine(const AppRun& run, const std::string& prefix);
// The first of `lines` from `from` on that starts with `prefix`; lines.size() when none.
size_t indexOf(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0);
// Polls are logged when their result changes: the latest one tells the lock.
bool waitForLock(const AppRun& run, bool locked, int timeoutMs = 10000);
