// Waiting for a card's window thread from the thread that made the card.
// Win32.
#pragma once
#include <windows.h>

// Waits for the handle while handling the messages that the window's thread
// sends to this one (activation moving on as a window comes or goes); none
// posted is handled. False when timeoutMs (or INFINITE) passed first or the
// wait failed.
bool waitHandlingSentMessages(HANDLE handle, DWORD timeoutMs);
