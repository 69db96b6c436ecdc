#include "dvb/helper/frontend/delivery_search.h"

#include <algorithm>

void startSearch(DeliverySearch& search, uint64_t nowMs)
{
    search = DeliverySearch();
    search.sinceMs = nowMs;
}

SystemAttempt currentAttempt(const TuningSequence& sequence, const DeliverySearch& search)
{
    return sequence.attempts[search.current % sequence.attempts.size()];
}

bool searchMovesOn(DeliverySearch& search, const TuningSequence& sequence, bool locked, uint64_t nowMs)
{
    if (locked || sequence.attempts.empty()) {
        search.locked = search.locked || locked;
        search.sinceMs = nowMs;
        return false;
    }
    const uint64_t wait =
        search.locked ? std::max<uint64_t>(sequence.attemptWindowMs, minimumRoundMs) : sequence.attemptWindowMs;
    if (nowMs - search.sinceMs < wait) return false;
    if (!search.locked) search.current = (search.current + 1) % sequence.attempts.size();
    search.sinceMs = nowMs;
    return true;
}

const SystemAttempt* rememberedAttempt(const TransponderMemory& memory, const TransponderKey& key)
{
    for (const TransponderMemory::Entry& entry : memory.entries)
        if (entry.key == key) return &entry.attempt;
    return nullptr;
}

void rememberAttempt(TransponderMemory& memory, const TransponderKey& key, SystemAttempt attempt)
{
    for (size_t i = 0; i < memory.entries.size(); ++i) {
        if (memory.entries[i].key == key) {
            memory.entries.erase(memory.entries.begin() + static_cast<long>(i));
            break;
        }
    }
    memory.entries.insert(memory.entries.begin(), TransponderMemory::Entry{key, attempt});
    if (memory.entries.size() > rememberedTransponders) memory.entries.pop_back();
}
