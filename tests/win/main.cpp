#include <gtest/gtest.h>

#include "tests/win/driver.h"
#include "tests/win/program_test.h"

bool registerSimulatedCard(bool registered)
{
    HMODULE card = LoadLibraryA(joinPath(buildFolder(), "simcard.dll").c_str());
    if (!card) return false;
    typedef HRESULT(WINAPI * Registration)();
    Registration call = reinterpret_cast<Registration>(
        reinterpret_cast<void*>(GetProcAddress(card, registered ? "DllRegisterServer" : "DllUnregisterServer")));
    const bool ok = call && call() == S_OK;
    FreeLibrary(card);
    return ok;
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!registerSimulatedCard(true)) {
        std::fprintf(stderr, "cannot register the simulated card\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}

bool ProgramTest::screenShowsCell(const AppRun& run, const CellRect& cell, Point slot, int timeoutMs)
{
    const std::vector<uint32_t> expected = skinCell(cell);
    const DWORD start = GetTickCount();
    for (;;) {
        if (screenArea(run.window, slot.x, slot.y, cell.width, cell.height) == expected) return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        Sleep(50);
    }
}
