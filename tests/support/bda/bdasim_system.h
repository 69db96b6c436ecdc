// The system objects of the simulated BDA stack (bdasim_system.dll).
#pragma once
#include <windows.h>

HRESULT createGenericProvider(REFIID iid, void** object);
HRESULT createSatelliteProvider(REFIID iid, void** object);
