#include "bda/bda_search.h"

#include "cardbase/frontend_plan.h"

ModulationOrder defaultModulationOrder()
{
    ModulationOrder order{};
    order.values[0] = bdaModulationQpsk;
    order.values[1] = bdaModulationNbcQpsk;
    order.values[2] = bdaModulationNbc8psk;
    order.count = 3;
    return order;
}

int32_t standInModulation(int32_t modulation)
{
    return modulation == bdaModulationNbc8psk ? bdaModulation8psk : bdaModulationNotSet;
}

bool isDvbS2Modulation(int32_t modulation)
{
    return modulation == bdaModulationNbcQpsk || modulation == bdaModulationNbc8psk ||
           modulation == bdaModulation8psk || modulation == bdaModulation16apsk || modulation == bdaModulation32apsk;
}

SignalShape signalShapeFor(int32_t modulation, const SignalShape& settings)
{
    return isDvbS2Modulation(modulation) ? settings : SignalShape();
}

uint32_t lockWaitMs(int32_t symbolRate)
{
    constexpr uint32_t shortest = 500;
    constexpr uint32_t longest = 4000;
    if (symbolRate <= 2000) return longest;
    const uint32_t wait = 8000000u / static_cast<uint32_t>(symbolRate);
    return wait < shortest ? shortest : wait > longest ? longest : wait;
}

static bool sameTransponder(const ModulationMemory::Entry& entry, const CardTuning& tuning)
{
    return entry.frequencyMHz == tuning.frequencyMHz && entry.polarization == tuning.polarization &&
           entry.symbolRate == tuning.symbolRate && entry.switchPort == switchPortFor(tuning.diseqcCode);
}

int32_t rememberedModulation(const ModulationMemory& memory, const CardTuning& tuning)
{
    for (int i = 0; i < memory.used; ++i)
        if (sameTransponder(memory.entries[i], tuning)) return memory.entries[i].modulation;
    return bdaModulationNotSet;
}

void rememberModulation(ModulationMemory& memory, const CardTuning& tuning, int32_t modulation)
{
    for (int i = 0; i < memory.used; ++i) {
        if (sameTransponder(memory.entries[i], tuning)) {
            memory.entries[i].modulation = modulation;
            return;
        }
    }
    int slot = memory.used;
    if (memory.used < modulationMemorySize) {
        ++memory.used;
    } else {
        slot = memory.next;
        memory.next = (memory.next + 1) % modulationMemorySize;
    }
    memory.entries[slot] = ModulationMemory::Entry{tuning.frequencyMHz, tuning.polarization, tuning.symbolRate,
                                                   switchPortFor(tuning.diseqcCode), modulation};
}

static bool listed(const ModulationOrder& order, int32_t modulation)
{
    for (int i = 0; i < order.count; ++i)
        if (order.values[i] == modulation) return true;
    return false;
}

// The order with each stand-in after the value it stands in for, where there is room.
static void addStandIns(ModulationSearch& search)
{
    const ModulationOrder given = search.order;
    search.order.count = 0;
    for (int i = 0; i < given.count; ++i) {
        const int at = search.order.count;
        search.order.values[search.order.count] = given.values[i];
        search.standsInFor[search.order.count++] = -1;
        const int32_t standIn = standInModulation(given.values[i]);
        const int room = maxModulations - (given.count - i - 1);
        if (standIn != bdaModulationNotSet && !listed(given, standIn) && search.order.count < room) {
            search.order.values[search.order.count] = standIn;
            search.standsInFor[search.order.count++] = at;
        }
    }
}

ModulationSearch startModulationSearch(const ModulationOrder& order, int32_t remembered, int32_t symbolRate,
                                       uint32_t nowMs)
{
    ModulationSearch search{};
    search.order = order;
    if (search.order.count < 1) search.order = defaultModulationOrder();
    if (search.order.count > maxModulations) search.order.count = maxModulations;
    addStandIns(search);
    search.current = 0;
    search.lockedAt = -1;
    for (int i = 0; i < search.order.count; ++i) {
        if (search.order.values[i] == remembered && remembered != bdaModulationNotSet) {
            search.current = i;
            search.lockedAt = i;
            break;
        }
    }
    search.waitMs = lockWaitMs(symbolRate);
    search.holdMs = search.waitMs * 3 < 8000 ? search.waitMs * 3 : 8000;
    search.sinceMs = nowMs;
    return search;
}

int32_t currentModulation(const ModulationSearch& search) { return search.order.values[search.current]; }

static bool hasTurn(const ModulationSearch& search, int index)
{
    const int principal = search.standsInFor[index];
    return !search.refused[index] && (principal < 0 || search.refused[principal]);
}

// The next attempt that has its turn after the current one (the current
// one itself when it is the only one left), or -1.
static int nextAttempt(const ModulationSearch& search)
{
    for (int step = 1; step <= search.order.count; ++step) {
        const int index = (search.current + step) % search.order.count;
        if (hasTurn(search, index)) return index;
    }
    return -1;
}

bool modulationSearchMovesOn(ModulationSearch& search, bool locked, uint32_t nowMs)
{
    if (locked) {
        search.lockedAt = search.current;
        search.sinceMs = nowMs;
        return false;
    }
    const uint32_t turn = search.current == search.lockedAt ? search.holdMs : search.waitMs;
    if (nowMs - search.sinceMs < turn) return false;
    const int next = nextAttempt(search);
    search.sinceMs = nowMs;
    if (next < 0 || next == search.current) return false;
    search.current = next;
    return true;
}

bool modulationRefused(ModulationSearch& search, uint32_t nowMs)
{
    search.refused[search.current] = true;
    if (search.lockedAt == search.current) search.lockedAt = -1;
    const int next = nextAttempt(search);
    search.sinceMs = nowMs;
    if (next < 0) return false;
    search.current = next;
    return true;
}
