// The worker thread that polls the card while a measurement runs.
#pragma once
#include <windows.h>

DWORD WINAPI signalMonitorThread(void* unused);
