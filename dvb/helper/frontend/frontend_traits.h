// What a frontend's driver does with a tune, where the kernel does not say:
// looked up by the name the driver gives (FE_GET_INFO) in the table of
// known frontends (known_frontends.cpp, data only), so that the tuning
// sequence asks only for what the driver can tell apart, names what it
// cannot do without, and gives each attempt the time the driver really
// takes. A frontend not in the table gets the cautious default: every
// attempt, each given the usual time for its symbol rate, and its figures
// read by the rules for units that cannot be told. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "dvb/common/frontend_name.h"
#include "dvb/helper/frontend/figure_scales.h"

enum FrontendTrait : uint32_t {
    // DVB-S2 locks only with the modulation, roll-off and code rate named:
    // the driver has no automatic code rate for it, returns an error the
    // kernel's frontend thread ignores, and never locks.
    TraitNamesCodeRate = 1u << 0,
    // DVB-S2 locks only with the modulation and roll-off named.
    TraitNamesModulation = 1u << 1,
    // Modulation, roll-off, pilots and code rate are not used: every DVB-S2
    // tune is the same one.
    TraitIgnoresModulation = 1u << 2,
    // One search finds DVB-S and DVB-S2 whatever system was asked for.
    TraitFindsEitherSystem = 1u << 3,
    // Reports the modulation and code rate it locked (the driver reads
    // them back); without it the kernel gives back what was asked.
    TraitReadsBackLocked = 1u << 4,
    // Reads back the modulation and code rate but leaves the delivery
    // system as asked: the system is told by what locked.
    TraitSystemNotReadBack = 1u << 5,
    // Refuses an automatic DVB-S2 roll-off: each DVB-S2 attempt goes with
    // 0.35, then 0.20, then 0.25 named.
    TraitNamesRolloff = 1u << 6,
    // Searches in the kernel's frontend thread, which holds the frontend
    // meanwhile: every call waits for the search's end, and while unlocked
    // it searches again every half second.
    TraitHoldsWhileSearching = 1u << 7,
};

// The demodulator's search at symbol rates up to `upToSymbolRate` (0: any
// above the rows before).
struct SearchTime {
    uint32_t upToSymbolRate;
    uint32_t ms;
};
constexpr size_t searchTimeRows = 6;

struct FrontendTraits {
    const char* nameContains;  // nullptr: not a known frontend
    uint32_t traits;           // FrontendTrait bits
    uint32_t tunerMs;          // programming the tuner, at every tune
    uint32_t ownWaitMs;        // the driver's own wait for lock within a tune
    // By symbol rate, rising; no rows: the usual rule (lockWindowMs).
    SearchTime search[searchTimeRows];
    // How its figures read, by the delivery system it was tuned to.
    FigureScales dvbs{};
    FigureScales dvbs2{};
    // A module parameter (under /sys/module) that changes the older s/n's
    // scale: where it reads 1, the s/n reads by `whenParameterSet`.
    const char* scaleParameter = nullptr;
    SnrScale whenParameterSet{};
    // How often the driver measures its C/N (ms). Every driver of the table
    // measures it when its status is read (m88ds3103, stv0910, tda10071 and
    // vidtv in read_status, tas2101 by its public source; cx24116, cx24117,
    // ds3000, stv090x, stv0900 and stb0899 in read_snr), so a row that gives
    // none is read fresh at the helper's own pace; a frontend the table does not know
    // has 0, and the bracketing guide then takes unknownFiguresRefreshMs.
    uint32_t figuresRefreshMs = 0;
};

extern const FrontendTraits knownFrontends[];
extern const size_t knownFrontendCount;

// The table's entry whose text the name contains (ASCII case ignored), the
// first that matches; else the default.
FrontendTraits frontendTraitsFor(const std::string& frontendName);
bool hasTrait(const FrontendTraits& traits, FrontendTrait trait);

// A demodulator finds a carrier in about 0.4 s above 20 MS/s and in up to
// about 4 s at 2 MS/s and below: the time grows as the symbol rate falls.
uint32_t lockWindowMs(uint32_t symbolsPerSecond);

// The time one attempt needs before its lock can be seen: the tuner's
// programming, then the longer of the driver's own wait and the
// demodulator's search at this symbol rate.
uint32_t attemptTimeMs(const FrontendTraits& traits, uint32_t symbolsPerSecond);
// Whether the table gives the driver's own times (else they are the usual
// rule's guess).
bool knowsItsTime(const FrontendTraits& traits);

// The scales of a system's figures: `parameterSet` when the driver's scale
// parameter reads 1.
FigureScales figureScalesFor(const FrontendTraits& traits, bool dvbs2, bool parameterSet);

// The longest a known driver holds the frontend in one tune or search (the
// tuner's programming and its own wait, or the search it makes in the
// kernel's thread, at its slowest symbol rate): what a frontend call may
// wait for.
uint32_t longestKnownSearchMs();

// Whether a request failed because the driver lacks it: dvb-core of Linux
// 6.1 then answers with its own ENOTSUPP (524, no errno of user space),
// older kernels and some drivers with EOPNOTSUPP, a missing request with
// ENOTTY. `negativeErrno` as the calls give it.
bool unsupportedByDriver(int negativeErrno);
