#include "cardbase/card_clock.h"

#include <windows.h>

#include "cardbase/reading_pace.h"

uint32_t cardClockMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counterMilliseconds(static_cast<uint64_t>(counter.QuadPart), static_cast<uint64_t>(frequency.QuadPart));
}
