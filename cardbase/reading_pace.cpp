#include "cardbase/reading_pace.h"

uint32_t readingWaitMs(uint32_t nowMs, uint32_t previousReadingMs)
{
    const uint32_t elapsed = nowMs - previousReadingMs;
    return elapsed >= readingIntervalMs ? 0 : readingIntervalMs - elapsed;
}
