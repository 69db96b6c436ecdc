// The level before the lock on a Linux frontend: what each driver gives
// without a lock and how fresh it is, by the table of known frontends'
// levels (known_frontend_levels.cpp, data only, from the drivers' sources),
// read in the driver's own units by the same decoding as the status's
// strength (signal_figures.h), and a watch over the readings that catches
// what the table cannot know: a value that stays exactly the same across a
// retune to another frequency is no level at all (an out-of-tree driver
// freezes its last one). Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "cardbase/signal_level.h"
#include "dvb/helper/frontend/signal_figures.h"

enum LevelSource : uint8_t {
    LevelAsReported,       // not in the table: taken as it comes, watched for a frozen value
    LevelWithoutLock,      // the driver reads its gain control whether locked or not: never "frozen"
    LevelRefreshedEvery,   // the tuner measures only every refreshMs: its age is said
    LevelOnlyWithCarrier,  // none until the demodulator finds a carrier
    LevelNever,            // no strength at all, locked or not
};

struct FrontendLevelTraits {
    const char* nameContains;  // nullptr: not a known frontend
    LevelSource source;
    uint32_t refreshMs;  // for LevelRefreshedEvery
    // FE_READ_SIGNAL_STRENGTH is asked at every reading: it refreshes the
    // strength (ts2020 with dont_poll) or is the level itself (tas2101).
    bool asksOlderStrength = false;
};

// Whether a sweep of the band can see anything with this driver.
bool levelBeforeLock(const FrontendLevelTraits& traits);

extern const FrontendLevelTraits knownFrontendLevels[];
extern const size_t knownFrontendLevelCount;

// The row whose text the frontend's name contains (ASCII case ignored),
// the first that matches; else the default (LevelAsReported).
FrontendLevelTraits frontendLevelTraitsFor(const std::string& frontendName);

// A retune that leaves the value untouched for this long past the tuner's
// own refresh shows it frozen.
constexpr uint32_t frozenLevelAfterMs = 1500;

struct LevelWatch {
    FrontendLevelTraits traits{};
    bool seen = false;  // a value since the frontend was opened
    LevelUnit unit = LevelDbm;
    double value = 0.0;
    uint64_t changedAtMs = 0;
    bool watchingRetune = false;  // a retune to another frequency since the latest value
    uint64_t retunedAtMs = 0;
    bool frozen = false;
};

// The frontend was opened: the watch starts over for this driver.
void levelWatchOpened(LevelWatch& watch, const std::string& frontendName);
// The frontend was tuned to another frequency.
void levelWatchRetuned(LevelWatch& watch, uint64_t nowMs);
// The level of one reading, its strength read by the driver's `scale`
// (strengthLevel); without one, v5 dBm or a relative percentage.
SignalLevel levelOfReading(LevelWatch& watch, const RawFigures& raw, const StrengthScale& scale, uint64_t nowMs);
SignalLevel levelOfReading(LevelWatch& watch, const RawFigures& raw, uint64_t nowMs);
