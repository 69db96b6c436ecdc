// The strength of the drivers the simulated frontend acts out: what each
// one's FE_READ_SIGNAL_STRENGTH hands over for a level at the tuner's input,
// by its own arithmetic as Linux 6.1 does it (driver_statistics.h), and
// whether it gives one before the lock. Platform-neutral.
#pragma once
#include <cstdint>

#include "dvb/common/driver_statistics.h"

// The older strength for a level of `strengthDbm` (0 where the driver has none).
uint16_t driverOlderStrength(StatisticsDriver driver, bool dvbs2, double strengthDbm);
// Whether the driver reads its strength whether locked or not (stb0899 gives 0 unless locked).
bool strengthWithoutLock(StatisticsDriver driver);

// The level in whole dBm that stv090x's and stv0900's own lookups read for
// a level at the input (0 or 5 above the table, -100 below it).
int stv090xRfLevel(double strengthDbm);
int stv0900RfLevel(double strengthDbm);
