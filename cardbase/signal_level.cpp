#include "cardbase/signal_level.h"

#include <cstring>

bool levelHasValue(const SignalLevel& level) { return level.state == LevelLive || level.state == LevelRefreshed; }

const char* levelUnitName(LevelUnit unit) { return unit == LevelPercent ? "%" : unit == LevelDecibel ? "dB" : "dBm"; }

const char* levelUnitWord(LevelUnit unit)
{
    return unit == LevelPercent ? "percent" : unit == LevelDecibel ? "db" : "dbm";
}

bool levelUnitFromWord(const std::string& word, LevelUnit* unit)
{
    for (LevelUnit each : {LevelDbm, LevelPercent, LevelDecibel}) {
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
