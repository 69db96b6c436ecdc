// Driving the real program under test from a second process: starting a
// copy in its own folder, finding its windows and message boxes, sending it
// input, reading the screen and the simulated card's log.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct AppRun {
    std::string folder;   // the program's own folder (a fresh copy)
    std::string logPath;  // the simulated card's call log
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    bool started = false;
};

struct StartOptions {
    std::string scenario;          // scenario text for the simulated card ("" = none)
    bool withLog = true;           // set SIMCARD_LOG (without it and a scenario the card runs its demo)
    std::string currentDirectory;  // "" = the program's folder
    bool waitForWindow = true;
    // Another build of the program to run in place of Azimora.exe ("" = none),
    // such as the one with test hooks, "AzimoraTest.exe".
    std::string programBuild;
    // Further environment variables for the program, as NAME=VALUE.
    std::vector<std::string> environment;
};

// Folder of the test driver itself (where Azimora.exe and simcard.dll are built).
std::string buildFolder();
// A new empty folder for one test, with a copy of Azimora.exe and ReadMe.txt.
std::string newProgramFolder(const std::string& name);
std::string joinPath(const std::string& folder, const std::string& file);

bool startProgram(AppRun& run, const std::string& folder, const StartOptions& options = StartOptions());
// A visible top-level window of the run's process with that class, or null.
HWND findProcessWindow(const AppRun& run, const char* className);
// Waits for the main window of the run ("dazm") to be visible.
HWND waitForMainWindow(AppRun& run, int timeoutMs = 15000);
// Waits for the program to have handled everything sent to it so far.
void settle(const AppRun& run, int extraMs = 50);
// Exit code, or -1 when the process did not end in time (it is then killed).
int waitForExit(AppRun& run, int timeoutMs = 15000);
void killProgram(AppRun& run);
bool isRunning(const AppRun& run);

struct MessageBoxSeen {
    HWND box = nullptr;
    std::string caption;
    std::string text;
};
// Waits for a message box of the run's process to appear.
bool waitForMessageBox(const AppRun& run, MessageBoxSeen* seen, int timeoutMs = 10000);
bool anyMessageBox(const AppRun& run);
void dismissMessageBox(const MessageBoxSeen& seen);

// The lines of a text file, without their line ends.
std::vector<std::string> fileLines(const std::string& path);
std::vector<std::string> logLines(const AppRun& run);
bool waitForLogLine(const AppRun& run, const std::string& line, int timeoutMs = 10000);
// The log lines of the calls that tune the card (the six set calls), in order.
std::vector<std::string> tuningCalls(const AppRun& run);
// Waits until the log holds at least `count` of the six tuning calls (a
// start's calls are written one by one, the last a moment after the others).
bool waitForTuningCalls(const AppRun& run, size_t count, int timeoutMs = 10000);

// Input, as real messages to the program's windows.
void postKey(HWND window, UINT virtualKey);
void postCharacter(HWND window, char character);
void postText(HWND window, const std::string& text);
void postClick(HWND window, int x, int y);
void postMouseMove(HWND window, int x, int y);
// Button down at the start, moves in a few steps to the end, button up
// there; `keys` adds MK_SHIFT or MK_CONTROL to the moves as if held.
void postDrag(HWND window, int fromX, int fromY, int toX, int toY, WPARAM keys = 0);
void postDoubleClick(HWND window, int x, int y);

// The satellite list (the main window's combo box child).
HWND satelliteList(HWND mainWindow);
std::vector<std::string> satelliteListLines(HWND list);
// Which window of the program has the keyboard focus.
HWND focusedWindow(const AppRun& run);

// Screen pixels in window client coordinates (the window has no frame).
COLORREF screenPixel(HWND window, int x, int y);
// A rectangle of the screen as 0x00RRGGBB values, row by row.
std::vector<uint32_t> screenArea(HWND window, int x, int y, int width, int height);
// The same for a window with a frame, in its client coordinates.
std::vector<uint32_t> clientArea(HWND window, int x, int y, int width, int height);
// True once the screen at (x, y) shows the colour (0x00RRGGBB), within the time.
bool waitForScreenColour(HWND window, int x, int y, uint32_t colour, int timeoutMs = 3000);
int countColour(const std::vector<uint32_t>& pixels, uint32_t colour);

// Threads running the program's own code besides its user-interface thread:
// its worker threads (the system's own threads, for sound say, start elsewhere).
int workerThreads(const AppRun& run);

// The Unix path of a Windows one (through Wine's own mapping).
std::string unixPath(const std::string& windowsPath);
// Starts a Unix command line (Wine starts Unix programs it is asked to, but
// gives no handle to wait on).
bool startUnixCommand(const std::string& commandLine);

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
