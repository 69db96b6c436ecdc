#include "cardbase/signal_level.h"

#include <cstring>

bool levelHasValue(const SignalLevel& level) { return level.state == LevelLive || level.state == LevelRefreshed; }

static const LevelUnit everyUnit[] = {LevelDbm, LevelPercent, LevelDecibel, LevelGain};
static const char* const unitNames[] = {"dBm", "%", "dB", "dB gain"};
static const char* const unitWords[] = {"dbm", "percent", "db", "gain"};

const char* levelUnitName(LevelUnit unit) { return unit <= LevelGain ? unitNames[unit] : unitNames[LevelDbm]; }

const char* levelUnitWord(LevelUnit unit) { return unit <= LevelGain ? unitWords[unit] : unitWords[LevelDbm]; }

bool levelUnitFromWord(const std::string& word, LevelUnit* unit)
{
    for (LevelUnit each : everyUnit) {
        if (word != levelUnitWord(each)) continue;
        *unit = each;
        return true;
    }
    return false;
}

bool levelInDecibels(LevelUnit unit) { return unit != LevelPercent; }

static const char* const stateWords[] = {"unknown", "live", "refreshed", "none-before-lock", "frozen"};

const char* levelStateWord(LevelState state)
{
    return state < sizeof stateWords / sizeof stateWords[0] ? stateWords[state] : stateWords[LevelUnknown];
}

bool levelStateFromWord(const char* word, LevelState* state)
{
    for (size_t i = 0; i < sizeof stateWords / sizeof stateWords[0]; ++i) {
        if (std::strcmp(word, stateWords[i]) != 0) continue;
        *state = static_cast<LevelState>(i);
        return true;
    }
    return false;
}

const char* levelBoundWord(LevelBound bound)
{
    return bound == LevelOrLess ? "or-less" : bound == LevelOrMore ? "or-more" : "";
}

bool levelBoundFromWord(const std::string& word, LevelBound* bound)
{
    for (LevelBound each : {LevelOrLess, LevelOrMore}) {
        if (word != levelBoundWord(each)) continue;
        *bound = each;
        return true;
    }
    return false;
}
