// What azimora-dvb's exit code says (also in --help and docs/linux-cards.md).
#pragma once

enum HelperExit : int {
    ExitOk = 0,            // ended by a signal, or --status / --help done (--tune: locked; --survey: one locked)
    ExitFailure = 1,       // a file named on the command line cannot be used, or another failure
    ExitUsage = 2,         // the options are wrong
    ExitNoFrontend = 3,    // no such adapter or frontend
    ExitBusy = 4,          // another program has the frontend open
    ExitNotSatellite = 5,  // the frontend is not DVB-S/S2
    ExitNoDaemon = 6,      // dvbv5-daemon cannot be reached (or its link failed)
    ExitPortTaken = 7,     // the listening port is taken
    ExitNoPermission = 8,  // no permission to open the frontend
    ExitNoLock = 9,        // --status --tune: the transponder did not lock; --survey: none did
};
