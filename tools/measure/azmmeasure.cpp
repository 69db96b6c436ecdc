// Measurements of the running program under the simulated card, printed as
// figures (not a test: these machines are shared and noisy).
//   azmmeasure cpu      CPU share in Setup and while measuring
//   azmmeasure latency  delay from a change of the card's signal to the bar on screen
//   azmmeasure startup [ROUNDS [EXE...]]  start-up to first complete paint against a
//                       bare popup, for the program and any further builds named
//   azmmeasure dvb      CPU share of Azimora and of azimora-dvb while measuring
//                       through dvbcard.dll, and the delay from a change of the
//                       simulated C/N to the bar (tools/scripts/measure_dvb.sh
//                       starts the helper and sets AZIMORA_DVB, AZM_DVB_LOG and
//                       AZM_DVB_HELPER_PID)
//   azmmeasure dvb-guest  CPU share of Azimora while it measures 11720H27500
//                       through dvbcard.dll and azimora-dvb on the real kernel's
//                       DVB core in QEMU (measure_dvb.sh --kernel sets AZIMORA_DVB
//                       and AZIMORA_DVB_SECRET, and reads azimora-dvb's share in
//                       the guest between the lines "cpu window begins" and
//                       "cpu window ends")
//   azmmeasure dish     CPU share of the practice dish's window thread, left alone and steered
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/host_text.h"
#include "sim/dish/dish_window.h"
#include "tests/support/driver.h"

// Wine does not report other processes' CPU times, so they are read from
// the host's /proc, reached through drive Z:, for the process whose command
// line names the program's copy.
static std::string hostStatOf(const std::string& exe)
{
    std::string folderName = exe.substr(0, exe.find_last_of('\\'));
    folderName = folderName.substr(folderName.find_last_of('\\') + 1);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    std::string found;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && found.empty(); more = FindNextFileA(search, &entry)) {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string base = std::string("Z:\\proc\\") + entry.cFileName;
        const std::string commandLine = readFile(base + "\\cmdline");
        if (commandLine.find(folderName) != std::string::npos && commandLine.find("Azimora.exe") != std::string::npos)
            found = base + "\\stat";
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return found;
}

static double processSeconds(const std::string& statPath)
{
    // Fields 14 and 15 of /proc/PID/stat: user and system time in clock ticks (100 per second).
    const std::string stat = readFile(statPath);
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return 0;
    unsigned long user = 0, system = 0;
    std::sscanf(stat.c_str() + at + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system);
    return (user + system) / 100.0;
}

static double cpuShareOver(const std::string& statPath, DWORD ms)
{
    const double before = processSeconds(statPath);
    const DWORD start = GetTickCount();
    Sleep(ms);
    const double wall = (GetTickCount() - start) / 1000.0;
    return 100.0 * (processSeconds(statPath) - before) / wall;
}

// A thread of that process by its name: Wine gives the host's thread the
// name the program's thread describes itself with.
static std::string hostThreadStatOf(const std::string& processStat, const std::string& name)
{
    const std::string tasks = processStat.substr(0, processStat.rfind('\\')) + "\\task";
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tasks + "\\*").c_str(), &entry);
    std::string found;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && found.empty(); more = FindNextFileA(search, &entry)) {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string base = tasks + "\\" + entry.cFileName;
        if (readFile(base + "\\comm") == name + "\n") found = base + "\\stat";
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return found;
}

// CPU share while `step` is called over and over for `ms`.
template <typename Step>
static double cpuShareWhile(const std::string& statPath, DWORD ms, Step step)
{
    const double before = processSeconds(statPath);
    const DWORD start = GetTickCount();
    for (DWORD now = start; now - start < ms; now = GetTickCount()) step(now - start);
    const double wall = (GetTickCount() - start) / 1000.0;
    return 100.0 * (processSeconds(statPath) - before) / wall;
}

static double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

static void startDefaultEntry(AppRun& run)
{
    PostMessageA(run.window, WM_CHAR, 'm', 1);
    PostMessageA(run.window, WM_KEYDOWN, VK_RETURN, 1);
    settle(run);
}

static int measureCpu()
{
    AppRun run;
    StartOptions options;  // the card's default latency per call, locked at 60 %
    options.scenario = "signal 0 lock 60 11.5\n";
    startProgram(run, newProgramFolder("measure-cpu"), options);
    const std::string stat = hostStatOf(joinPath(run.folder, "Azimora.exe"));
    Sleep(1000);
    const double idle = cpuShareOver(stat, 10000);
    startDefaultEntry(run);
    Sleep(1000);
    const double measuring = cpuShareOver(stat, 10000);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    waitForExit(run);
    const std::vector<std::string> log = logLines(run);
    std::printf("cpu idle in Setup: %.1f %% of one core\n", idle);
    std::printf("cpu while measuring: %.1f %% of one core (%s in about 11 s of measuring)\n", measuring,
                log.empty() ? "" : log.back().c_str());
    if (stat.empty()) std::printf("(the program's host process was not found: figures are 0)\n");
    return 0;
}

// The bar's right end on screen: the first x (from the left of the band)
// that is no longer the bar's colour, or 42 with no bar.
static int barEndOnScreen(HWND window)
{
    const std::vector<uint32_t> row = screenArea(window, 42, 111, 266, 1);
    int x = 0;
    while (x < 266 && row[x] == 0xF0F0FF) ++x;
    return 42 + x;
}

// Milliseconds from each change of the signal (every periodMs after the
// tune, changes first to last - 1: 80 % after odd, 30 % after even ones) to
// the bar ending where it should on screen.
static std::vector<double> barDelays(const AppRun& run, DWORD tunedAt, DWORD periodMs, int first, int last)
{
    std::vector<double> delays;
    for (int i = first; i < last; ++i) {
        const DWORD changeAt = tunedAt + periodMs * static_cast<DWORD>(i);
        const int expected = i % 2 ? 254 : 121;
        while (static_cast<int>(GetTickCount() - changeAt) < 0) Sleep(1);
        while (barEndOnScreen(run.window) != expected && GetTickCount() - changeAt < 1400) Sleep(1);
        delays.push_back(GetTickCount() - changeAt);
    }
    return delays;
}

static int measureLatency()
{
    // Every 1.5 s the quality jumps between 30 % (bar to 121) and 80 % (bar to 254).
    std::string scenario;
    for (int i = 0; i < 12; ++i)
        scenario += "signal " + std::to_string(1500 * i) + " lock " + (i % 2 ? "80" : "30") + " 10\n";
    AppRun run;
    StartOptions options;
    options.scenario = scenario;
    startProgram(run, newProgramFolder("measure-latency"), options);
    startDefaultEntry(run);
    // The card counts time from the tune: find it in the log.
    DWORD tunedAt = 0;
    while (!tunedAt) {
        for (const std::string& line : logLines(run))
            if (line.compare(0, 23, "SetTransponderFrequency") == 0) tunedAt = GetTickCount();
        Sleep(1);
    }
    const std::vector<double> delays = barDelays(run, tunedAt, 1500, 1, 12);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    waitForExit(run);
    std::printf("scenario change to bar on screen: median %.0f ms, max %.0f ms over %u changes "
                "(the log's tune time is found by polling, so add up to ~15 ms)\n",
                median(delays), *std::max_element(delays.begin(), delays.end()), unsigned(delays.size()));
    return 0;
}

// Milliseconds from CreateProcess to the window's face on screen, seen as
// its panel colour at a point that only a complete paint reaches.
static std::string folderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

static double timeToFirstPaint(const std::string& exe, const std::string& folder)
{
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - 175 + 300;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - 100 + 140;
    HDC screen = GetDC(nullptr);
    const COLORREF before = GetPixel(screen, x, y);
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, t0, t1;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&t0);
    CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                   &process);
    COLORREF now = before;
    do {
        now = GetPixel(screen, x, y);
        QueryPerformanceCounter(&t1);
    } while (now != RGB(128, 197, 255) && (t1.QuadPart - t0.QuadPart) < frequency.QuadPart * 20);
    ReleaseDC(nullptr, screen);
    const double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(frequency.QuadPart);
    // Close it the way a user would and let it go.
    HWND window = nullptr;
    for (int i = 0; i < 100 && !window; ++i, Sleep(20)) {
        window = FindWindowA(mainWindowClass, nullptr);
        if (!window) window = FindWindowA("barepopup", nullptr);
    }
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    Sleep(300);
    return ms;
}

// Start-up of the program and of any further builds named (an earlier one,
// say, for a before-and-after in one run), each against the bare popup;
// all runs interleaved, so that every program sees the same load.
static int measureStartup(int rounds, const std::vector<std::string>& others)
{
    const std::string folder = newProgramFolder("measure-startup");
    std::vector<std::string> programs = {joinPath(folder, "bare_popup.exe"), joinPath(folder, "Azimora.exe")};
    CopyFileA(joinPath(buildFolder(), "bare_popup.exe").c_str(), programs[0].c_str(), FALSE);
    for (size_t i = 0; i < others.size(); ++i) {
        // Each in a folder of its own, with the catalogue written before timing.
        const std::string otherFolder = newProgramFolder("measure-startup-other");
        programs.push_back(joinPath(otherFolder, "Azimora.exe"));
        CopyFileA(others[i].c_str(), programs.back().c_str(), FALSE);
    }
    for (size_t p = 1; p < programs.size(); ++p) timeToFirstPaint(programs[p], folderOf(programs[p]));
    std::vector<std::vector<double>> times(programs.size());
    for (int round = 0; round < rounds; ++round)
        for (size_t p = 0; p < programs.size(); ++p)
            times[p].push_back(timeToFirstPaint(programs[p], folderOf(programs[p])));
    const double bare = median(times[0]);
    std::printf("start-up to first complete paint (medians of %d interleaved runs): bare popup %.0f ms\n", rounds,
                bare);
    for (size_t p = 1; p < programs.size(); ++p) {
        const std::string name = p == 1 ? std::string("Azimora") : others[p - 2];
        const double t = median(times[p]);
        std::printf("  %s %.0f ms, ratio %.2f\n", name.c_str(), t, t / bare);
    }
    return 0;
}

static int countTuneLines(const std::string& logPath)
{
    const std::string log = readFile(logPath);
    int count = 0;
    for (size_t at = log.find("tune "); at != std::string::npos; at = log.find("tune ", at + 1)) ++count;
    return count;
}

// The simulated C/N changes every 1517 ms after the tune between 6.7 dB
// (30 %, bar to x 121) and 13.44 dB (80 %, bar to x 254), starting at 30 %.
static int measureDvb()
{
    const std::string logPath = environmentText("AZM_DVB_LOG");
    const std::string helperStat = "Z:\\proc\\" + environmentText("AZM_DVB_HELPER_PID") + "\\stat";
    AppRun run;
    StartOptions options;
    options.withLog = false;
    startProgram(run, newProgramFolder("measure-dvb"), options);
    const std::string stat = hostStatOf(joinPath(run.folder, "Azimora.exe"));
    const int tunesBefore = countTuneLines(logPath);
    // Posted without waiting for the program, so that the log is watched from before the tune.
    PostMessageA(run.window, WM_CHAR, 'm', 1);
    PostMessageA(run.window, WM_KEYDOWN, VK_RETURN, 1);
    DWORD tunedAt = 0;
    for (DWORD waited = GetTickCount(); !tunedAt && GetTickCount() - waited < 10000; Sleep(1))
        if (countTuneLines(logPath) > tunesBefore) tunedAt = GetTickCount();
    if (!tunedAt) {
        std::printf("dvb: the helper's log shows no tune (%s)\n", logPath.c_str());
        killProgram(run);
        return 1;
    }
    while (GetTickCount() - tunedAt < 1000) Sleep(10);
    const double programBefore = processSeconds(stat), helperBefore = processSeconds(helperStat);
    const DWORD cpuStart = GetTickCount();
    Sleep(10000);
    const double wall = (GetTickCount() - cpuStart) / 1000.0;
    const double programShare = 100.0 * (processSeconds(stat) - programBefore) / wall;
    const double helperShare = 100.0 * (processSeconds(helperStat) - helperBefore) / wall;

    const std::vector<double> delays = barDelays(run, tunedAt, 1517, 8, 20);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    waitForExit(run);
    std::printf("dvb cpu while measuring: Azimora %.1f %%, azimora-dvb %.1f %% of one core (10 s)\n", programShare,
                helperShare);
    std::printf("dvb simulated C/N change to bar on screen: median %.0f ms, max %.0f ms over %u changes "
                "(the tune time is found by polling the helper's log, so add up to ~15 ms)\n",
                median(delays), *std::max_element(delays.begin(), delays.end()), unsigned(delays.size()));
    if (stat.empty()) std::printf("(the program's host process was not found: its figure is 0)\n");
    return 0;
}

static int measureDvbThroughGuest()
{
    AppRun run;
    StartOptions options;
    options.withLog = false;
    startProgram(run, newProgramFolder("measure-dvb-guest"), options);
    const std::string stat = hostStatOf(joinPath(run.folder, "Azimora.exe"));
    postCharacter(run.window, 'm');
    postKey(run.window, VK_DELETE);
    postText(run.window, "11720H27500");
    postKey(run.window, VK_RETURN);
    // About 57 %: the bar past x 160.
    if (!waitForScreenColour(run.window, 160, 111, 0xF0F0FF, 20000)) {
        std::printf("dvb-guest: no bar on screen within 20 s\n");
        killProgram(run);
        return 1;
    }
    Sleep(1000);
    std::printf("cpu window begins\n");
    std::fflush(stdout);
    const double share = cpuShareOver(stat, 10000);
    std::printf("cpu window ends\n");
    std::printf("dvb on the real kernel, cpu while measuring: Azimora %.1f %% of one core (10 s)\n", share);
    std::fflush(stdout);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    waitForExit(run);
    if (stat.empty()) std::printf("(the program's host process was not found: its figure is 0)\n");
    return 0;
}

static int measureDish()
{
    AppRun run;
    StartOptions options;  // the window, pointing a few degrees from HotBird
    options.scenario = "window\npoint 203 21\n";
    startProgram(run, newProgramFolder("measure-dish"), options);
    HWND dish = nullptr;
    for (int i = 0; i < 250 && !dish; ++i, Sleep(20)) dish = findProcessWindow(run, dishWindowClass);
    const std::string thread = hostThreadStatOf(hostStatOf(joinPath(run.folder, "Azimora.exe")), dishWindowThreadName);
    Sleep(1000);
    const double untuned = cpuShareOver(thread, 10000);
    SendMessageA(satelliteList(run.window), CB_SETCURSEL, 53, 0);  // HotBird 13.0e
    PostMessageA(run.window, WM_KEYDOWN, VK_RETURN, 1);
    Sleep(1000);
    const double tuned = cpuShareOver(thread, 10000);

    // A drag that sweeps the sight to and fro across the chart, 60 moves a
    // second, as a hand on a mouse would.
    RECT client;
    GetClientRect(dish, &client);
    const int x0 = (client.right - 292) / 2, y0 = client.bottom / 3;
    PostMessageA(dish, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    const double dragged = cpuShareWhile(thread, 10000, [&](DWORD elapsed) {
        const double phase = elapsed / 1000.0;
        const int x = x0 + static_cast<int>(60 * std::sin(phase * 2.1)),
                  y = y0 + static_cast<int>(20 * std::sin(phase * 1.3));
        PostMessageA(dish, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        Sleep(16);
    });
    PostMessageA(dish, WM_LBUTTONUP, 0, MAKELPARAM(x0, y0));
    // The arrow keys held down: 30 repeats a second, to and fro.
    const double keyed = cpuShareWhile(thread, 10000, [&](DWORD elapsed) {
        const UINT key = (elapsed / 1000) % 2 ? VK_LEFT : VK_RIGHT;
        PostMessageA(dish, WM_KEYDOWN, key, 1);
        Sleep(33);
    });
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    waitForExit(run);
    if (thread.empty()) std::printf("(the dish window's thread was not found: figures are 0)\n");
    std::printf("dish window thread, share of one core over 10 s each: %.1f %% before tuning, %.1f %% tuned and "
                "left alone, %.1f %% dragged (60 moves/s), %.1f %% steered with keys (30 presses/s)\n",
                untuned, tuned, dragged, keyed);
    return 0;
}

int main(int argc, char** argv)
{
    const char* what = argc > 1 ? argv[1] : "all";
    const bool all = std::strcmp(what, "all") == 0;
    if (all || std::strcmp(what, "cpu") == 0) measureCpu();
    if (all || std::strcmp(what, "latency") == 0) measureLatency();
    if (all || std::strcmp(what, "startup") == 0) {
        std::vector<std::string> others;
        for (int i = 3; i < argc; ++i) others.push_back(argv[i]);
        measureStartup(argc > 2 ? std::atoi(argv[2]) : 9, others);
    }
    if (std::strcmp(what, "dvb") == 0) measureDvb();
    if (std::strcmp(what, "dvb-guest") == 0) measureDvbThroughGuest();
    if (all || std::strcmp(what, "dish") == 0) measureDish();
    std::fflush(stdout);
    return 0;
}
