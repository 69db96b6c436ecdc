// Shared by the simulated card's COM object, its class factory and its
// registration.
#pragma once
#include <windows.h>

extern HINSTANCE simModule;
extern LONG simLiveObjects;
extern LONG simServerLocks;

HRESULT createSimulatedCard(REFIID iid, void** object);
