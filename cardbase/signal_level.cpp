#include "cardbase/signal_level.h"

#include <cstring>

bool levelHasValue(const SignalLevel& level) { return level.state == LevelLive || level.state == LevelRefreshed; }

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
