// Turning the chosen satellite or the typed entry into a running measurement.
#pragma once
#include "app/app_types.h"

// In Setup starts a measurement from the selected satellite or the typed
// entry; while measuring shows the About box.
StartResult startMeasurement();

// Ends a measurement: Setup again, with the satellite list shown and focused
// when it was the list that started it, and the whole window repainted.
void returnToSetup();
