#include "dvb/helper/level_watch.h"

#include <algorithm>

#include "dvb/helper/frontend_traits.h"

FrontendLevelTraits frontendLevelTraitsFor(const std::string& frontendName)
{
    for (size_t i = 0; i < knownFrontendLevelCount; ++i)
        if (frontendNameContains(frontendName, knownFrontendLevels[i].nameContains)) return knownFrontendLevels[i];
    return FrontendLevelTraits{nullptr, LevelAsReported, 0};
}

void levelWatchOpened(LevelWatch& watch, const std::string& frontendName)
{
    watch = LevelWatch();
    watch.traits = frontendLevelTraitsFor(frontendName);
}

void levelWatchRetuned(LevelWatch& watch, uint64_t nowMs)
{
    if (!watch.seen || watch.frozen) return;
    watch.watchingRetune = true;
    watch.retunedAtMs = nowMs;
}

SignalLevel levelOfReading(LevelWatch& watch, const RawFigures& raw, uint64_t nowMs)
{
    SignalLevel level;
    const bool onlyWithCarrier = watch.traits.source == LevelOnlyWithCarrier;
    if (raw.strengthScale == ScaleNone || (onlyWithCarrier && !raw.locked)) {
        if (!raw.locked) level.state = LevelNoneBeforeLock;
        return level;
    }
    if (!watch.seen || raw.strengthScale != watch.scale || raw.strength != watch.value) {
        watch.seen = true;
        watch.scale = raw.strengthScale;
        watch.value = raw.strength;
        watch.changedAtMs = nowMs;
        watch.watchingRetune = watch.frozen = false;
    }
    const uint32_t refreshMs = watch.traits.source == LevelRefreshedEvery ? watch.traits.refreshMs : 0;
    // The bottom of a relative scale is a level too: nothing there, wherever tuned.
    const bool bottom = raw.strengthScale == ScaleRelative && raw.strength == 0;
    if (watch.watchingRetune && !bottom && nowMs - watch.retunedAtMs >= refreshMs + frozenLevelAfterMs) {
        watch.watchingRetune = false;
        watch.frozen = true;
    }
    if (watch.frozen) {
        level.state = LevelFrozen;
        return level;
    }
    if (raw.strengthScale == ScaleDecibel) {
        level.unit = LevelDbm;
        level.value = static_cast<double>(raw.strength) / 1000.0;
    } else {
        level.unit = LevelPercent;
        level.value = percentOfRelative(static_cast<uint32_t>(raw.strength < 0 ? 0 : raw.strength));
    }
    level.state = refreshMs > 0 ? LevelRefreshed : LevelLive;
    level.refreshMs = refreshMs;
    // Unchanged for longer than the refresh, it was measured again and came out the same.
    if (refreshMs > 0) level.ageMs = static_cast<uint32_t>(std::min<uint64_t>(nowMs - watch.changedAtMs, refreshMs));
    return level;
}
