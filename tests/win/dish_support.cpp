#include "tests/win/dish_support.h"

#include "sim/dish/dish_window.h"

HWND dishWindow(const AppRun& run) { return findProcessWindow(run, dishWindowClass); }

HWND waitForDishWindow(const AppRun& run)
{
    for (int waited = 0; waited < 5000; waited += 20) {
        if (HWND found = dishWindow(run)) return found;
        Sleep(20);
    }
    return nullptr;
}

void startHotBird(AppRun& run)
{
    SendMessageA(satelliteList(run.window), CB_SETCURSEL, hotBirdLine, 0);
    postKey(run.window, VK_RETURN);
}

std::string lastLine(const AppRun& run, const std::string& prefix)
{
    std::string found;
    for (const std::string& line : logLines(run))
        if (line.compare(0, prefix.size(), prefix) == 0) found = line;
    return found;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& prefix, size_t from)
{
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return i;
    return lines.size();
}

bool waitForLock(const AppRun& run, bool locked, int timeoutMs)
{
    const std::string wanted = locked ? "QuerySignalStatus -> 0x00000000" : "QuerySignalStatus -> 0x80004005";
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        if (lastLine(run, "QuerySignalStatus") == wanted) return true;
        Sleep(20);
    }
    return false;
}
