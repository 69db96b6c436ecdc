// The native azimora-dvb beside the Windows program: Wine starts Unix
// programs it is asked to, but gives no handle for them, so the helper
// writes its process id and output to files of the test's folder and is
// ended through /bin/kill.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct HelperRun {
    std::string folder;  // Windows paths of the helper's files
    std::string simulationPath;
    std::string logPath;
    std::string outputPath;
    std::string pidPath;
    int pid = 0;
    uint16_t port = 0;
};

// build/host/azimora-dvb beside build/win, or AZM_DVB_HELPER.
std::string helperProgram();

// Starts the helper on the simulated frontend described by `simulation`,
// listening on a port of the system's choice (and with `more` options);
// waits until it serves.
bool startHelper(HelperRun& helper, const std::string& folder, const std::string& simulation,
                 const std::string& more = "");
// Sends a signal ("KILL", "TERM") and waits until the process is gone.
bool signalHelper(HelperRun& helper, const char* signalName);
bool helperRunning(const HelperRun& helper);

std::vector<std::string> helperLog(const HelperRun& helper);
// Waits for the log to hold `expected` as consecutive lines from some line on.
bool waitForHelperLog(const HelperRun& helper, const std::vector<std::string>& expected, int timeoutMs = 5000);

// Registers a card DLL of the build folder (dvbcard.dll, simcard.dll).
bool registerCardDll(const char* name);
