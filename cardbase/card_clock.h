// The card substitutes' clock. Win32.
#pragma once
#include <cstdint>

// Milliseconds from the performance counter (wrapping at 2^32): the tick
// count can lag behind and catch up in a jump on a busy machine, which would
// let two readings follow each other at once or a search give up early.
uint32_t cardClockMs();
