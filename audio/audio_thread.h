// The worker thread that makes the signal audible.
#pragma once
#include <windows.h>

void loadSoundResources();
DWORD WINAPI audioFeedbackThread(void* unused);
