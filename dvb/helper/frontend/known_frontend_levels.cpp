// What each driver gives as its level before the lock (read in Linux 6.1's
// drivers/media/dvb-frontends and drivers/media/tuners, and, marked so, in
// the public sources of drivers kept out of the kernel's tree), by a text
// its name contains; the first row that matches counts. How each level
// reads is the table of known frontends' (known_frontends.cpp).
#include "dvb/helper/frontend/level_watch.h"

const FrontendLevelTraits knownFrontendLevels[] = {
    // "STV0910": its strength is filled in only once the demodulator has
    // found a carrier; before that it reports none.
    {"STV0910", LevelOnlyWithCarrier, 0},
    // "STV090x Multistandard": read_signal_strength reads the AGC
    // integrator (AGCIQIN) with no check of the lock.
    {"STV090x", LevelWithoutLock, 0},
    // "STV0900 frontend": stv0900_get_rf_level reads the AGC the same way.
    {"STV0900", LevelWithoutLock, 0},
    // "STB0899 Multistandard": stb0899_read_signal_strength gives 0 unless
    // its internal lock is set.
    {"STB0899", LevelOnlyWithCarrier, 0},
    // "NXP TDA10071": the v5 strength only with FE_HAS_SIGNAL, which it
    // sets with FE_HAS_CARRIER once its demodulator's PLL has a carrier.
    {"TDA10071", LevelOnlyWithCarrier, 0},
    // "Conexant CX24116/CX24118", "CX24117/CX24132": the AGC, read
    // whatever is locked.
    {"CX24116", LevelWithoutLock, 0},
    {"CX24117", LevelWithoutLock, 0},
    // "MaxLinear MxL5xx": its status code says the strength "is always
    // available" and reads it at every call.
    {"MxL5xx", LevelWithoutLock, 0},
    // "Montage Technology M88RS6000": m88ds3103 has no
    // read_signal_strength, and its own tuner (m88rs6000t) fills in no v5
    // strength: no level at all.
    {"M88RS6000", LevelNever, 0},
    // "Montage Technology DS3000" and "M88DS3103" (M88DS3103B too): the
    // strength is their ts2020/ts2022 tuner's gain, which its statistics
    // work measures every 2 s; with dont_poll (set by some bridges) only
    // when FE_READ_SIGNAL_STRENGTH asks, so it is asked at every reading.
    {"DS3000", LevelRefreshedEvery, 2000, true},
    {"M88DS3103", LevelRefreshedEvery, 2000, true},
    // Out of the kernel's tree, read from their public sources only:
    // "STiD135 Multistandard": while unlocked, the band's power at every
    // status read (while locked, its figures every 5 s).
    {"STiD135", LevelWithoutLock, 0},
    // "Montage m88rs6060": its tuner's gain as an RF level in dBm at every
    // status read.
    {"M88RS6060", LevelWithoutLock, 0},
    // "STV091x Multistandard": the power in the tuner's whole bandwidth
    // (AGC1), in dBm, at every status read.
    {"STV091x", LevelWithoutLock, 0},
    // "Tmax TAS2101": its tuner measures only when FE_READ_SIGNAL_STRENGTH
    // asks, and that call's figure is the level.
    {"TAS2101", LevelWithoutLock, 0, true},
};

const size_t knownFrontendLevelCount = sizeof knownFrontendLevels / sizeof knownFrontendLevels[0];
