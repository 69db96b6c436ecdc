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

testing::AssertionResult boxShown(const AppRun& run, const std::string& caption, const std::string& text, int timeoutMs)
{
    MessageBoxSeen box;
    if (!waitForMessageBox(run, &box, timeoutMs))
        return testing::AssertionFailure() << "no message box \"" << text << "\" within " << timeoutMs << " ms";
    dismissMessageBox(box);
    if (box.caption != caption || box.text != text)
        return testing::AssertionFailure() << "message box \"" << box.caption << "\": \"" << box.text
                                           << "\", expected \"" << caption << "\": \"" << text << "\"";
    return testing::AssertionSuccess();
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
