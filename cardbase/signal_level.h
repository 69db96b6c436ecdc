// The signal's level as a tuner's gain control measures it: there before
// any lock, so that a dish can be steered towards a satellite while the
// demodulator still searches. Drivers differ in whether they give one
// without a lock, in its unit and in how fresh it is; the level says which.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

enum LevelState : uint8_t {
    LevelUnknown,         // nothing is known of a level (not tuned, or not asked)
    LevelLive,            // read now
    LevelRefreshed,       // the tuner refreshes it only every refreshMs: it is ageMs old
    LevelNoneBeforeLock,  // the driver gives none until its demodulator finds a carrier
    LevelFrozen,          // it stayed exactly the same across a retune: no level at all
};

enum LevelUnit : uint8_t {
    LevelDbm,      // dBm at the tuner's input
    LevelPercent,  // 0 .. 100 of the driver's own scale
    LevelDecibel,  // dB about a reference of the driver's own (BDA's mdB about the nominal level)
    LevelGain,     // dB of the tuner's own gain, negated (ts2020's "strength"): it rises with the signal, no dBm
};

// Where the driver's own arithmetic stops: the true level is the value or
// below it, or the value or above it.
enum LevelBound : uint8_t { LevelExact, LevelOrLess, LevelOrMore };

struct SignalLevel {
    LevelState state = LevelUnknown;
    LevelUnit unit = LevelDbm;
    double value = 0.0;      // for a live or refreshed level
    uint32_t ageMs = 0;      // how long ago the tuner measured it
    uint32_t refreshMs = 0;  // how often the tuner measures it; 0 where not known
    int8_t present = -1;     // the driver's own "signal present": 1, 0, or -1 where it has none
    LevelBound bound = LevelExact;
    // A stretch the driver reads as one value: the true level lies anywhere
    // from `value` to `rangeTo` (stv090x's "-60 to -70 dBm").
    bool ranged = false;
    double rangeTo = 0.0;
};

// "dBm", "%", "dB", "dB gain": as the level is shown; "dbm", "percent",
// "db", "gain": as it travels.
const char* levelUnitName(LevelUnit unit);
const char* levelUnitWord(LevelUnit unit);
bool levelUnitFromWord(const std::string& word, LevelUnit* unit);
// Whether the level counts in decibels (dBm, dB or a gain), so that power adds up in milliwatts.
bool levelInDecibels(LevelUnit unit);

// Live or refreshed: the value means something.
bool levelHasValue(const SignalLevel& level);

// "live", "refreshed", "none-before-lock", "frozen", "unknown": how the
// level's state travels and is shown.
const char* levelStateWord(LevelState state);
bool levelStateFromWord(const char* word, LevelState* state);

// "or-less", "or-more" as the bound travels; "" for an exact level.
const char* levelBoundWord(LevelBound bound);
bool levelBoundFromWord(const std::string& word, LevelBound* bound);
