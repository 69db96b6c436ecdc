// What each driver of Linux 6.1 gives as its level before the lock (read
// in drivers/media/dvb-frontends and drivers/media/tuners), by a text its
// name contains; the first row that matches counts.
#include "dvb/helper/level_watch.h"

const FrontendLevelTraits knownFrontendLevels[] = {
    // "STV0910": its strength is filled in only once the demodulator has
    // found a carrier; before that it reports none.
    {"STV0910", LevelOnlyWithCarrier, 0},
    // "STV090x Multistandard": read_signal_strength reads the AGC
    // integrator (AGCIQIN) with no check of the lock.
    {"STV090x", LevelWithoutLock, 0},
    // "MaxLinear MxL5xx": its status code says the strength "is always
    // available" and reads it at every call.
    {"MxL5xx", LevelWithoutLock, 0},
    // "Montage Technology DS3000" and "M88DS3103" (M88DS3103B too): the
    // strength is their ts2020/ts2022 tuner's gain, which its statistics
    // work measures every 2 s.
    {"DS3000", LevelRefreshedEvery, 2000},
    {"M88DS3103", LevelRefreshedEvery, 2000},
};

const size_t knownFrontendLevelCount = sizeof knownFrontendLevels / sizeof knownFrontendLevels[0];
