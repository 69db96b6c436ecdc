// Which delivery system the frontend is asked for while no lock comes. The
// kernel returns success for values a driver refuses or ignores, and many
// drivers lock only the system they were set to, so a refusal never comes
// back: the attempts of the tuning sequence take turns, each given the time
// a demodulator needs at that symbol rate, until one locks. A lock holds the
// attempt: lost, the same is sent again after each round's time, as some
// drivers need the tune again to find a carrier that came back. What
// locked a transponder is remembered and tried first at its next start.
// Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dvb/helper/frontend/tuning_sequence.h"

struct DeliverySearch {
    size_t current = 0;    // into the sequence's attempts
    uint64_t sinceMs = 0;  // the latest tune, or the latest reading with lock
    bool locked = false;   // the current attempt has locked since the start
};

void startSearch(DeliverySearch& search, uint64_t nowMs);

// The delivery system the search is on now (the sequence has attempts).
SystemAttempt currentAttempt(const TuningSequence& sequence, const DeliverySearch& search);

// After a reading: true when the attempt now current (the next one, or the
// same again) is to be sent.
bool searchMovesOn(DeliverySearch& search, const TuningSequence& sequence, bool locked, uint64_t nowMs);

// What locked each transponder lately, the most recent first; a few dozen
// at most.
struct TransponderMemory {
    struct Entry {
        TransponderKey key;
        SystemAttempt attempt;
    };
    std::vector<Entry> entries;
};
constexpr size_t rememberedTransponders = 32;

const SystemAttempt* rememberedAttempt(const TransponderMemory& memory, const TransponderKey& key);
void rememberAttempt(TransponderMemory& memory, const TransponderKey& key, SystemAttempt attempt);
