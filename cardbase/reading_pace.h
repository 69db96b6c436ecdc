// How often a bridge to a real tuner reads it: each reading waits for the
// driver, which refreshes its statistics a few times a second, and the
// program's monitor loop asks again at once, so each status query waits
// until the previous reading is this old: about ten readings a second.
// Shared by every bridge. Platform-neutral.
#pragma once
#include <cstdint>

constexpr uint32_t readingIntervalMs = 100;

// How long to wait before the next reading, given the times in ms (they may
// wrap) now and at the previous reading.
uint32_t readingWaitMs(uint32_t nowMs, uint32_t previousReadingMs);
