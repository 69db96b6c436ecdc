// The worker thread that polls the card while a measurement runs.
#pragma once
#include <windows.h>

// Runs the procedure on a new thread that nobody waits on; the running
// flags in the state record serve for that.
void startWorkerThread(LPTHREAD_START_ROUTINE procedure);

DWORD WINAPI signalMonitorThread(void* unused);
