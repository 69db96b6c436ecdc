#include "app/late_libraries.h"

// The entry point `name` of `library`, looked up once; the library stays
// loaded for the rest of the run, as one the program imported would.
// Threads that race here both get the same address.
static FARPROC lateEntry(FARPROC* cached, const char* library, const char* name)
{
    FARPROC entry = reinterpret_cast<FARPROC>(
        InterlockedCompareExchangePointer(reinterpret_cast<void**>(cached), nullptr, nullptr));
    if (entry) return entry;
    HMODULE module = LoadLibraryA(library);
    entry = module ? GetProcAddress(module, name) : nullptr;
    InterlockedExchangePointer(reinterpret_cast<void**>(cached), reinterpret_cast<void*>(entry));
    return entry;
}

HINSTANCE shellOpen(HWND owner, const char* file, int show)
{
    typedef HINSTANCE(WINAPI * ShellExecuteCall)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static FARPROC cached = nullptr;
    ShellExecuteCall call =
        reinterpret_cast<ShellExecuteCall>(reinterpret_cast<void*>(lateEntry(&cached, "shell32.dll", "ShellExecuteA")));
    return call ? call(owner, "open", file, nullptr, nullptr, show) : nullptr;
}

BOOL playSound(const char* sound, UINT flags)
{
    typedef BOOL(WINAPI * PlaySoundCall)(LPCSTR, UINT);
    static FARPROC cached = nullptr;
    PlaySoundCall call =
        reinterpret_cast<PlaySoundCall>(reinterpret_cast<void*>(lateEntry(&cached, "winmm.dll", "sndPlaySoundA")));
    return call ? call(sound, flags) : FALSE;
}
