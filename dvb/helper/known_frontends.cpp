// The known frontends, as data: what each driver of Linux 6.1 does with a
// tune (read in drivers/media/dvb-frontends and drivers/media/tuners), by
// a text its name contains. The first row that matches counts. Times in ms.
#include "dvb/helper/frontend_traits.h"

const FrontendTraits knownFrontends[] = {
    // "Conexant CX24116/CX24118": no automatic code rate for DVB-S2 (its
    // table has none, the tune fails where the kernel does not look); with
    // pilots automatic it tries them off, then on, 500 ms each.
    {"CX24116", TraitNamesCodeRate, 0, 1000, {}},
    // "Conexant CX24117/CX24132": DVB-S2 wants QPSK or 8PSK named; reads
    // back what locked; pilots tried as above.
    {"CX24117", TraitNamesModulation | TraitReadsBackLocked, 0, 1000, {}},
    // "Montage Technology DS3000": only the system and symbol rate are used;
    // its ts2020 tuner takes about 180 ms (five gate cycles of 20 ms and
    // 80 ms for its loop), then the driver polls for lock 30 times 10 ms.
    {"DS3000", TraitIgnoresModulation, 180, 300, {}},
    // "Montage Technology M88DS3103" (and M88DS3103B): only the system and
    // symbol rate are used; reads back what locked; ts2022 tuner as above.
    {"M88DS3103", TraitIgnoresModulation | TraitReadsBackLocked, 180, 0, {}},
    // "Montage Technology M88RS6000": the same demodulator, its own tuner
    // waiting up to about as long.
    {"M88RS6000", TraitIgnoresModulation | TraitReadsBackLocked, 180, 0, {}},
    // "STV090x Multistandard": always searches DVB-S and DVB-S2 with
    // modulation and code rate automatic; about 100 ms of its own settling
    // around the tuner, then the cold search's demodulator and FEC
    // timeouts for the symbol rate.
    {"STV090x",
     TraitIgnoresModulation | TraitFindsEitherSystem,
     100,
     0,
     {{1000000, 6200}, {2000000, 3600}, {5000000, 1550}, {10000000, 950}, {20000000, 530}, {0, 400}}},
    // "Dummy demod for DVB-T/T2/C/S/S2" (vidtv): locks whatever is asked,
    // its C/N depending on what was named; gives back what was set.
    {"Dummy demod", 0, 0, 0, {}},
};

const size_t knownFrontendCount = sizeof knownFrontends / sizeof knownFrontends[0];
