// Turning the chosen satellite or the typed entry into a running measurement.
#pragma once
#include "app/app_types.h"

// In Setup starts a measurement from the selected satellite or the typed
// entry; while measuring shows the About box.
StartResult startMeasurement();
