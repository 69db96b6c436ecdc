#include "dvb/helper/frontend/level_watch.h"

#include <algorithm>

#include "dvb/helper/frontend/frontend_traits.h"

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

bool levelBeforeLock(const FrontendLevelTraits& traits)
{
    return traits.source != LevelOnlyWithCarrier && traits.source != LevelNever;
}

SignalLevel levelOfReading(LevelWatch& watch, const RawFigures& raw, const StrengthScale& scale, uint64_t nowMs)
{
    SignalLevel level = strengthLevel(scale, raw);
    const bool none = watch.traits.source == LevelNever ||
                      (watch.traits.source == LevelOnlyWithCarrier && !raw.locked) || !levelHasValue(level);
    if (none) {
        SignalLevel nothing;
        if (!raw.locked) nothing.state = LevelNoneBeforeLock;
        return nothing;
    }
    if (!watch.seen || level.unit != watch.unit || level.value != watch.value) {
        watch.seen = true;
        watch.unit = level.unit;
        watch.value = level.value;
        watch.changedAtMs = nowMs;
        watch.watchingRetune = watch.frozen = false;
    }
    const uint32_t refreshMs = watch.traits.source == LevelRefreshedEvery ? watch.traits.refreshMs : 0;
    // The bottom of a relative scale is a level too: nothing there, wherever tuned.
    const bool bottom = level.unit == LevelPercent && level.value == 0.0;
    // A driver known to read its gain control whatever is tuned may read one value along a stretch of its table.
    const bool live = watch.traits.source == LevelWithoutLock;
    if (watch.watchingRetune && !bottom && !live && nowMs - watch.retunedAtMs >= refreshMs + frozenLevelAfterMs) {
        watch.watchingRetune = false;
        watch.frozen = true;
    }
    if (watch.frozen) {
        SignalLevel frozen;
        frozen.state = LevelFrozen;
        return frozen;
    }
    level.state = refreshMs > 0 ? LevelRefreshed : LevelLive;
    level.refreshMs = refreshMs;
    // Unchanged for longer than the refresh, it was measured again and came out the same.
    if (refreshMs > 0) level.ageMs = static_cast<uint32_t>(std::min<uint64_t>(nowMs - watch.changedAtMs, refreshMs));
    return level;
}

SignalLevel levelOfReading(LevelWatch& watch, const RawFigures& raw, uint64_t nowMs)
{
    return levelOfReading(watch, raw, StrengthScale(), nowMs);
}
