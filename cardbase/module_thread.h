// Ending a thread of a card DLL with a bound. A thread that does not end in
// time still runs the DLL's code, so the DLL is then kept loaded for good
// rather than unloaded under it. Win32.
#pragma once
#include <windows.h>

enum class ThreadWait : unsigned char {
    Plain,
    HandlingSentMessages,  // for a thread with a window (sent_messages.h)
};

// Asks a thread of this module to end (`stopping` set, `wake` signalled) and
// waits for it. False when it still runs after timeoutMs: the module then
// stays loaded for good.
bool endModuleThread(HANDLE thread, volatile LONG* stopping, HANDLE wake, DWORD timeoutMs,
                     ThreadWait wait = ThreadWait::Plain);
