#include "tests/win/bda_fixture.h"

#include "tests/win/phone_support.h"
#include "ui/skin_layout.h"

std::vector<std::string> linesStarting(const AppRun& run, const std::string& start)
{
    std::vector<std::string> lines;
    for (const std::string& line : logLines(run))
        if (line.compare(0, start.size(), start) == 0) lines.push_back(line);
    return lines;
}

std::string pageCardLine(uint16_t port, const std::string& part)
{
    const std::string stream = streamUntil(port, part);
    const size_t at = stream.rfind("\"card\":\"");
    if (at == std::string::npos) return std::string();
    const size_t from = at + 8;
    return stream.substr(from, stream.find('"', from) - from);
}

bool registerBuildDll(const std::string& path, bool registered)
{
    HMODULE dll = LoadLibraryA(path.c_str());
    if (!dll) return false;
    typedef HRESULT(WINAPI * Registration)();
    Registration call = reinterpret_cast<Registration>(
        reinterpret_cast<void*>(GetProcAddress(dll, registered ? "DllRegisterServer" : "DllUnregisterServer")));
    const bool ok = call && call() == S_OK;
    FreeLibrary(dll);
    return ok;
}

static std::string simulatedStack(const char* name) { return joinPath(buildFolder(), name); }

void BdaProgramTest::SetUp()
{
    ASSERT_TRUE(registerBuildDll(simulatedStack("bdasim_system.dll"), true));
    ASSERT_TRUE(registerBuildDll(simulatedStack("bdasim_tuner.dll"), true));
}

void BdaProgramTest::TearDown()
{
    ProgramTest::TearDown();
    registerBuildDll(simulatedStack("bdasim_tuner.dll"), false);
    registerBuildDll(simulatedStack("bdasim_system.dll"), false);
    EXPECT_TRUE(registerSimulatedCard(true));
}

AppRun& BdaProgramTest::startWithBridge(const std::string& scenario, const std::string& settings, bool waitForWindow)
{
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '-';
    const std::string folder = newProgramFolder(name);
    const std::string bridge = joinPath(folder, "bdacard.dll");
    EXPECT_TRUE(CopyFileA(joinPath(buildFolder(), "bdacard.dll").c_str(), bridge.c_str(), FALSE));
    if (!settings.empty()) {
        EXPECT_TRUE(writeFile(joinPath(folder, "bdacard.ini"), settings));
    }
    EXPECT_TRUE(registerBuildDll(bridge, true));
    StartOptions options;
    options.scenario = scenario;
    options.waitForWindow = waitForWindow;
    return startIn(folder, options);
}

std::vector<std::string> BdaProgramTest::tunes(const AppRun& run)
{
    std::vector<std::string> lines;
    for (const std::string& line : logLines(run))
        if (line.compare(0, 5, "tune ") == 0) lines.push_back(line);
    return lines;
}

std::vector<std::string> BdaProgramTest::modulationsTuned(const AppRun& run)
{
    std::vector<std::string> modulations;
    for (const std::string& line : tunes(run)) {
        const size_t at = line.find(" modulation=");
        modulations.push_back(at == std::string::npos ? "?" : line.substr(at + 12, line.find(' ', at + 1) - at - 12));
    }
    return modulations;
}

std::vector<std::string> BdaProgramTest::diseqcCommands(const AppRun& run)
{
    std::vector<std::string> lines;
    for (const std::string& line : logLines(run))
        if (line.compare(0, 7, "diseqc ") == 0) lines.push_back(line);
    return lines;
}

bool BdaProgramTest::barShows(const AppRun& run, int32_t quality, int timeoutMs)
{
    const int edge = barRightEdge(quality);
    const DWORD start = GetTickCount();
    for (;;) {
        const std::vector<uint32_t> pixels = screenArea(run.window, edge - 1, 111, 2, 1);
        if (pixels.size() == 2 && pixels[0] == barRgb && pixels[1] == bandRgb) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(50);
    }
}

std::map<std::string, int> BdaProgramTest::unreleased(const AppRun& run)
{
    std::map<std::string, int> alive;
    for (const std::string& line : logLines(run)) {
        if (line.compare(0, 7, "create ") == 0) ++alive[line.substr(7)];
        if (line.compare(0, 8, "destroy ") == 0) --alive[line.substr(8)];
    }
    for (auto each = alive.begin(); each != alive.end();) each = each->second == 0 ? alive.erase(each) : ++each;
    return alive;
}
