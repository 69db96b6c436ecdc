#include "tests/support/driver.h"

#include <cstring>
#include <psapi.h>
#include <tlhelp32.h>

#include "app/frame.h"
#include "app/host_text.h"

std::string joinPath(const std::string& folder, const std::string& file)
{
    if (folder.empty() || folder.back() == '\\') return folder + file;
    return folder + "\\" + file;
}

std::string buildFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

static std::string testsRoot()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string root = joinPath(temp, "azm-tests");
    CreateDirectoryA(root.c_str(), nullptr);
    return root;
}

std::string newProgramFolder(const std::string& name)
{
    static int counter = 0;
    // Unique across runs too: process ids repeat in a fresh Wine session.
    static const DWORD session = GetTickCount();
    const std::string folder =
        joinPath(testsRoot(), name + "-" + std::to_string(session) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(++counter));
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(joinPath(buildFolder(), "Azimora.exe").c_str(), joinPath(folder, "Azimora.exe").c_str(), FALSE);
    CopyFileA(joinPath(buildFolder(), "ReadMe.txt").c_str(), joinPath(folder, "ReadMe.txt").c_str(), FALSE);
    return folder;
}

// The host's /proc files, read through drive Z:, give no size: every file is
// read piece by piece until it ends (or grows past any file the tests write).
std::string readFile(const std::string& path)
{
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    const size_t limit = 64u << 20;
    char piece[4096];
    DWORD read = 0;
    while (text.size() < limit && ReadFile(file, piece, sizeof piece, &read, nullptr) && read > 0)
        text.append(piece, read);
    CloseHandle(file);
    return text;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool startProgram(AppRun& run, const std::string& folder, const StartOptions& options)
{
    run.folder = folder;
    run.logPath = options.withLog ? joinPath(folder, "simcard.log") : std::string();
    std::string scenarioPath;
    if (!options.scenario.empty()) {
        scenarioPath = joinPath(folder, "scenario.txt");
        writeFile(scenarioPath, options.scenario);
    }
    if (!options.programBuild.empty())
        CopyFileA(joinPath(buildFolder(), options.programBuild).c_str(), joinPath(folder, "Azimora.exe").c_str(),
                  FALSE);
    // The child inherits the card's settings through its environment.
    SetEnvironmentVariableA("SIMCARD_SCENARIO", scenarioPath.empty() ? nullptr : scenarioPath.c_str());
    SetEnvironmentVariableA("SIMCARD_LOG", run.logPath.empty() ? nullptr : run.logPath.c_str());
    for (const std::string& variable : options.environment) {
        const size_t equals = variable.find('=');
        SetEnvironmentVariableA(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str());
    }

    const std::string exe = joinPath(folder, "Azimora.exe");
    std::string commandLine = "\"" + exe + "\"";
    const std::string directory = options.currentDirectory.empty() ? folder : options.currentDirectory;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    run.started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                                 &startup, &run.process) != FALSE;
    SetEnvironmentVariableA("SIMCARD_SCENARIO", nullptr);
    SetEnvironmentVariableA("SIMCARD_LOG", nullptr);
    for (const std::string& variable : options.environment)
        SetEnvironmentVariableA(variable.substr(0, variable.find('=')).c_str(), nullptr);
    if (run.started && options.waitForWindow) waitForMainWindow(run);
    return run.started;
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

static BOOL CALLBACK matchWindow(HWND window, LPARAM context)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) return TRUE;
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND findProcessWindow(const AppRun& run, const char* className)
{
    WindowSearch search{run.process.dwProcessId, className, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForMainWindow(AppRun& run, int timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!run.window && static_cast<int>(GetTickCount() - start) < timeoutMs) {
        run.window = findProcessWindow(run, mainWindowClass);
        if (!run.window) {
            if (WaitForSingleObject(run.process.hProcess, 20) == WAIT_OBJECT_0) break;
        }
    }
    if (run.window) settle(run);
    return run.window;
}

void settle(const AppRun& run, int extraMs)
{
    if (run.window && IsWindow(run.window)) {
        // Each round trip is handled only once the program is back in its
        // message loop, so three of them come after what was posted before
        // and after the characters that the posted keys turned into.
        for (int i = 0; i < 3; ++i) {
            DWORD_PTR result;
            SendMessageTimeoutA(run.window, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result);
        }
    }
    if (extraMs > 0) Sleep(static_cast<DWORD>(extraMs));
}

bool isRunning(const AppRun& run)
{
    return run.started && WaitForSingleObject(run.process.hProcess, 0) == WAIT_TIMEOUT;
}

int waitForExit(AppRun& run, int timeoutMs)
{
    if (!run.started) return -1;
    if (WaitForSingleObject(run.process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
        killProgram(run);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(run.process.hProcess, &code);
    return static_cast<int>(code);
}

void killProgram(AppRun& run)
{
    if (!run.started) return;
    if (WaitForSingleObject(run.process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(run.process.hProcess, 99);
        WaitForSingleObject(run.process.hProcess, 5000);
    }
}

bool anyMessageBox(const AppRun& run) { return findProcessWindow(run, "#32770") != nullptr; }

bool waitForMessageBox(const AppRun& run, MessageBoxSeen* seen, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND box = findProcessWindow(run, "#32770");
        if (box) {
            Sleep(100);  // let the box finish its set-up
            char text[1024] = "";
            seen->box = box;
            GetWindowTextA(box, text, sizeof text);
            seen->caption = text;
            text[0] = '\0';
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen->text = text;
            return true;
        }
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        if (WaitForSingleObject(run.process.hProcess, 20) == WAIT_OBJECT_0) return false;
    }
}

void dismissMessageBox(const MessageBoxSeen& seen)
{
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
    Sleep(100);
}

std::vector<std::string> fileLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = readFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> logLines(const AppRun& run) { return fileLines(run.logPath); }

bool waitForLogLine(const AppRun& run, const std::string& line, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        for (const std::string& seen : logLines(run))
            if (seen == line) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

std::vector<std::string> tuningCalls(const AppRun& run)
{
    static const char* const names[] = {"SetLnbSelection ", "SetLnbFrequency ",         "SetPolarity ",
                                        "SetSymbolRate ",   "SetTransponderFrequency ", "SetDiseqc "};
    std::vector<std::string> calls;
    for (const std::string& line : logLines(run))
        for (const char* name : names)
            if (line.compare(0, std::strlen(name), name) == 0) calls.push_back(line);
    return calls;
}

bool waitForTuningCalls(const AppRun& run, size_t count, int timeoutMs)
{
    const DWORD start = GetTickCount();
    while (tuningCalls(run).size() < count) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

// Threads running the program's own code besides its user-interface thread:
// the worker threads. The system's own threads (sound, for one) start
// elsewhere and are not counted.
int workerThreads(const AppRun& run)
{
    typedef LONG(WINAPI * QueryThread)(HANDLE, int, void*, ULONG, ULONG*);
    static QueryThread query = reinterpret_cast<QueryThread>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    HMODULE exe = nullptr;
    DWORD needed = 0;
    MODULEINFO image = {};
    if (!EnumProcessModules(run.process.hProcess, &exe, sizeof exe, &needed) ||
        !GetModuleInformation(run.process.hProcess, exe, &image, sizeof image))
        return -1;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(image.lpBaseOfDll);
    const uintptr_t end = begin + image.SizeOfImage;

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != run.process.dwProcessId) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        uintptr_t startAddress = 0;
        if (thread &&
            query(thread, 9 /* ThreadQuerySetWin32StartAddress */, &startAddress, sizeof startAddress, nullptr) == 0)
            count += startAddress >= begin && startAddress < end;
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return count - 1;
}

std::string unixPath(const std::string& windowsPath)
{
    typedef char*(CDECL * UnixName)(LPCWSTR);
    static UnixName convert = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return std::string();
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* converted = convert(wide);
    if (!converted) return std::string();
    std::string result = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

bool startUnixCommand(const std::string& commandLine)
{
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // For a Unix program Wine gives no process handle, and 32-bit Wine leaves
    // in the thread's field a number that is no handle of this start: closing
    // it closed whatever this process held under that number (the registry's
    // root key, so that every later registration failed).
    if (process.hProcess) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return true;
}
