// Which modulation a tune request asks for. Many drivers take an unset
// modulation as DVB-S and never lock a DVB-S2 transponder, so the bridge
// finds the system as a receiver does: it tries the transponder as DVB-S
// (QPSK), then as DVB-S2 with BDA's NBC QPSK, then NBC 8PSK, moving on when
// lock has not come within a time that fits the symbol rate, and remembers
// per transponder what locked, to try it first the next time. A driver
// that refuses NBC 8PSK is asked for plain 8PSK in its place. bdacard.ini
// may fix the modulation, or the order, for a tuner that needs another,
// and name the pilots and roll-off of DVB-S2 for a tuner that cannot find
// them itself. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/card_tuning.h"

// The numbers of BDA's ModulationType enumeration that the search uses.
constexpr int32_t bdaModulationNotSet = -1;   // BDA_MOD_NOT_SET
constexpr int32_t bdaModulationQpsk = 20;     // BDA_MOD_QPSK: DVB-S
constexpr int32_t bdaModulation8psk = 27;     // BDA_MOD_8PSK: DVB-S2 8PSK for some drivers
constexpr int32_t bdaModulation16apsk = 29;   // BDA_MOD_16APSK
constexpr int32_t bdaModulation32apsk = 30;   // BDA_MOD_32APSK
constexpr int32_t bdaModulationNbcQpsk = 31;  // BDA_MOD_NBC_QPSK: DVB-S2 QPSK
constexpr int32_t bdaModulationNbc8psk = 32;  // BDA_MOD_NBC_8PSK: DVB-S2 8PSK
constexpr int32_t bdaModulationLast = 35;     // the highest value BDA defines

constexpr int maxModulations = 8;

struct ModulationOrder {
    int32_t values[maxModulations];
    int count;
};

// DVB-S, DVB-S2 QPSK, DVB-S2 8PSK.
ModulationOrder defaultModulationOrder();

// The value that stands in for one a driver refuses: plain 8PSK for NBC
// 8PSK; bdaModulationNotSet for the others.
int32_t standInModulation(int32_t modulation);

// Whether BDA's value asks for DVB-S2 (the NBC values, 8PSK, 16APSK, 32APSK).
bool isDvbS2Modulation(int32_t modulation);

// BDA's Pilot and RollOff numbers.
constexpr int32_t bdaPilotNotSet = -1;  // BDA_PILOT_NOT_SET
constexpr int32_t bdaPilotOff = 1;      // BDA_PILOT_OFF
constexpr int32_t bdaPilotOn = 2;       // BDA_PILOT_ON
constexpr int32_t bdaRollOffNotSet = -1;
constexpr int32_t bdaRollOff20 = 1;  // BDA_ROLL_OFF_20; 25 and 35 follow
constexpr int32_t bdaRollOff35 = 3;

// The pilots and roll-off a tune request names.
struct SignalShape {
    int32_t pilot = bdaPilotNotSet;
    int32_t rollOff = bdaRollOffNotSet;
};
// A request for DVB-S2 names what the settings give; any other names
// nothing (DVB-S has no pilots, and its roll-off is always 0.35).
SignalShape signalShapeFor(int32_t modulation, const SignalShape& settings);

// How long a demodulator may take to lock at this symbol rate (kS/s):
// about 0.5 s above 16 MS/s, growing as the rate falls, to 4 s at 2 MS/s
// and below.
uint32_t lockWaitMs(int32_t symbolRate);

// What locked, per transponder (frequency, polarization, symbol rate and
// switch port), for the latest transponders used.
constexpr int modulationMemorySize = 16;
struct ModulationMemory {
    struct Entry {
        int32_t frequencyMHz;
        int32_t polarization;
        int32_t symbolRate;
        int32_t switchPort;
        int32_t modulation;
    };
    Entry entries[modulationMemorySize];
    int used = 0;
    int next = 0;  // the entry a new transponder takes once all are used
};
// bdaModulationNotSet when nothing locked on the transponder yet.
int32_t rememberedModulation(const ModulationMemory& memory, const CardTuning& tuning);
void rememberModulation(ModulationMemory& memory, const CardTuning& tuning, int32_t modulation);

struct ModulationSearch {
    ModulationOrder order;            // with each stand-in right after the value it stands in for
    int standsInFor[maxModulations];  // the index of that value, or -1
    bool refused[maxModulations];
    int current;
    int lockedAt;      // the attempt that has locked on this transponder, or -1
    uint32_t waitMs;   // for each attempt
    uint32_t holdMs;   // for the one that has locked, after its lock went
    uint32_t sinceMs;  // the latest tune, or the latest reading with lock
};

// A search over `order` (with stand-ins added where there is room) for a
// transponder at this symbol rate, begun at `nowMs` with the tune of its
// first attempt: the remembered modulation, if the order has it, else the
// order's first. A stand-in takes its turn only once its value was refused.
ModulationSearch startModulationSearch(const ModulationOrder& order, int32_t remembered, int32_t symbolRate,
                                       uint32_t nowMs);
int32_t currentModulation(const ModulationSearch& search);

// After a reading: true when the search has moved on to the next attempt,
// which is then to be tuned. The attempt that locked keeps its turn for
// holdMs after its lock went, any other for waitMs after its tune.
bool modulationSearchMovesOn(ModulationSearch& search, bool locked, uint32_t nowMs);

// The driver refused the current attempt's tune request: it is not tried
// again, and the search moves to the next one. False when none is left.
bool modulationRefused(ModulationSearch& search, uint32_t nowMs);
