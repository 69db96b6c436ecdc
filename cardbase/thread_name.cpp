#include "cardbase/thread_name.h"

#include <windows.h>

#include <string>

void nameThisThread(const char* name)
{
    typedef HRESULT(WINAPI * SetDescription)(HANDLE, PCWSTR);
    const SetDescription setDescription = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadDescription")));
    if (!setDescription) return;
    std::wstring wide;
    for (const char* c = name; *c; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    setDescription(GetCurrentThread(), wide.c_str());
}
