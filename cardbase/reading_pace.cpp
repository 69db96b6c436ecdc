#include "cardbase/reading_pace.h"

uint32_t readingWaitMs(uint32_t nowMs, uint32_t previousReadingMs)
{
    const uint32_t elapsed = nowMs - previousReadingMs;
    return elapsed >= readingIntervalMs ? 0 : readingIntervalMs - elapsed;
}

uint32_t nextReadingWaitMs(ReadingPace& pace, uint32_t nowMs)
{
    const uint32_t next = pace.dueMs + readingIntervalMs;
    const int32_t ahead = static_cast<int32_t>(next - nowMs);
    if (!pace.started || ahead <= 0) {
        pace.started = true;
        pace.dueMs = nowMs;
        return 0;
    }
    pace.dueMs = next;
    return static_cast<uint32_t>(ahead);
}

uint32_t counterMilliseconds(uint64_t counter, uint64_t frequency)
{
    if (frequency == 0) return 0;
    const uint64_t seconds = counter / frequency;
    const uint64_t rest = counter % frequency;
    return static_cast<uint32_t>(seconds * 1000 + rest * 1000 / frequency);
}
