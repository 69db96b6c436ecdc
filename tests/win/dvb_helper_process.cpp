#include "tests/win/dvb_helper_process.h"

#include "tests/support/driver.h"

std::string helperProgram()
{
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("AZM_DVB_HELPER", value, sizeof value);
    if (length > 0 && length < sizeof value) return value;
    std::string build = unixPath(buildFolder());
    return build.substr(0, build.find_last_of('/')) + "/host/azimora-dvb";
}

static uint16_t servingPort(const std::string& output)
{
    const size_t at = output.find("azimora-dvb: serving ");
    if (at == std::string::npos) return 0;
    const size_t end = output.find('\n', at);
    const size_t colon = output.rfind(':', end);
    return static_cast<uint16_t>(atoi(output.c_str() + colon + 1));
}

bool startHelper(HelperRun& helper, const std::string& folder, const std::string& simulation, const std::string& more)
{
    helper = HelperRun();
    helper.folder = folder;
    helper.simulationPath = joinPath(folder, "simulation.txt");
    helper.logPath = joinPath(folder, "frontend.log");
    helper.outputPath = joinPath(folder, "helper.out");
    helper.pidPath = joinPath(folder, "helper.pid");
    writeFile(helper.simulationPath, simulation);
    const std::string command = "/bin/sh -c \"echo $$ > '" + unixPath(helper.pidPath) + "'; exec '" + helperProgram() +
                                "' --simulate '" + unixPath(helper.simulationPath) + "' --listen 127.0.0.1:0 --log '" +
                                unixPath(helper.logPath) + "' " + more + " > '" + unixPath(helper.outputPath) +
                                "' 2>&1\"";
    if (!startUnixCommand(command)) return false;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (!helper.pid) helper.pid = atoi(readFile(helper.pidPath).c_str());
        helper.port = servingPort(readFile(helper.outputPath));
        if (helper.pid && helper.port) return true;
        Sleep(20);
    }
    return false;
}

bool helperRunning(const HelperRun& helper)
{
    if (!helper.pid) return false;
    // A process that has ended but not been reaped shows state Z.
    const std::string stat = readFile("Z:\\proc\\" + std::to_string(helper.pid) + "\\stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

bool signalHelper(HelperRun& helper, const char* signalName)
{
    if (!helperRunning(helper)) return true;
    startUnixCommand("/bin/kill -" + std::string(signalName) + " " + std::to_string(helper.pid));
    const DWORD start = GetTickCount();
    while (helperRunning(helper)) {
        if (GetTickCount() - start > 5000) return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::string> helperLog(const HelperRun& helper) { return fileLines(helper.logPath); }

static bool holdsRun(const std::vector<std::string>& lines, const std::vector<std::string>& expected)
{
    for (size_t first = 0; first + expected.size() <= lines.size(); ++first) {
        size_t i = 0;
        while (i < expected.size() && lines[first + i] == expected[i]) ++i;
        if (i == expected.size()) return true;
    }
    return false;
}

bool waitForHelperLog(const HelperRun& helper, const std::vector<std::string>& expected, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (holdsRun(helperLog(helper), expected)) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

bool registerCardDll(const char* name)
{
    HMODULE card = LoadLibraryA(joinPath(buildFolder(), name).c_str());
    if (!card) return false;
    typedef HRESULT(WINAPI * Registration)();
    Registration call =
        reinterpret_cast<Registration>(reinterpret_cast<void*>(GetProcAddress(card, "DllRegisterServer")));
    const bool ok = call && call() == S_OK;
    FreeLibrary(card);
    return ok;
}
