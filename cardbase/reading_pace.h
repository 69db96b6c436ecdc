// How often a card substitute reads its card: a driver refreshes its
// statistics some tens of times a second at most, and the program's monitor
// loop asks again at once, so each status query waits until the previous
// reading is this old. Shared by every card substitute. Platform-neutral.
#pragma once
#include <cstdint>

constexpr uint32_t readingIntervalMs = 100;

// How long to wait before the next reading, given the times in ms (they may
// wrap) now and at the previous reading.
uint32_t readingWaitMs(uint32_t nowMs, uint32_t previousReadingMs);

// The pace of one card's readings. Each reading is due one interval after
// the previous one was due, so that a sleep that overshoots (by a timer
// tick of 10 to 16 ms on Windows) does not slow the readings down; after a
// pause (no measurement running) the next reading is due at once.
struct ReadingPace {
    bool started = false;
    uint32_t dueMs = 0;
};

// How long to wait now for the next reading; it is then taken as due.
uint32_t nextReadingWaitMs(ReadingPace& pace, uint32_t nowMs);

// A performance counter's value in milliseconds (wrapping at 2^32), without
// overflowing however fast the counter runs or however long the machine has.
uint32_t counterMilliseconds(uint64_t counter, uint64_t frequency);
