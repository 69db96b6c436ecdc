#include "sim/card/process_resources.h"

#include <windows.h>

// Kernel handles: every handle value the system knows in this process. The
// system hands out the lowest free values, so the first 8192 cover any
// process that is not already drowning in handles.
static unsigned openHandles()
{
    unsigned count = 0;
    for (ULONG_PTR value = 4; value < 0x8000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// GDI objects: the system's own count where it keeps one; otherwise every
// slot of the handle table that holds an object (a handle with no
// generation bits names whatever the slot holds).
static unsigned gdiObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    unsigned count = 0;
    for (ULONG_PTR slot = 1; slot < 0x10000; ++slot)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++count;
    return count;
}

std::string resourcesLine()
{
    return "Resources handles=" + std::to_string(openHandles()) + " gdi=" + std::to_string(gdiObjects());
}
