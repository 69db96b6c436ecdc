// The one sweep-and-try loop every card's sweep runs: the band's steps in
// the order sweep_refine.h gives them, the peaks found, and with the plan's
// try each peak tuned as a start would be at its likeliest symbol rates
// until one locks and its network has spoken. The card carries each part
// out through its calls, the loop decides; platform-neutral, so that the
// helper, the BDA card and the practice dish sweep alike, and a sweep for
// narrow tones (coarseStride 1) steps through it too.
//
// The one rule for being interrupted: the card answers `interrupted` (the
// program has called, or the card is ending) before every step, every tune
// and every reading, and a card whose calls tune or read under a lock the
// program's calls share checks it there too, in the same hold as the tune
// (SweepCallInterrupted). Once interrupted, nothing more is tuned or read:
// the loop ends at once, the sweep failed with the card's words.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "cardbase/sweep/sweep_result.h"

enum SweepCall : uint8_t { SweepCallOk, SweepCallInterrupted, SweepCallFailed };

// What a try at a peak sees at one reading.
struct TryReading {
    bool locked = false;
    bool settled = false;  // the network's word is in, or none will come
    bool hasModcod = false;
    Modcod modcod;
    NetworkIdentity network;  // known once its table was read
};

struct SweepCard {
    // The sweep's start: the LNB's supply, tone and switch as a start sets them.
    std::function<SweepCall(std::string* problem)> begin;
    // One step: a bare tune of the plan's channel at `frequencyMHz`, the
    // tuner settled, its level (a level without a value: none there).
    std::function<SweepCall(int32_t frequencyMHz, SignalLevel* level, std::string* problem)> measure;
    // A try: a start's tune at `symbolRate`, and how long its lock may take
    // (SweepCallFailed: the tuner refused it, the peak is left).
    std::function<SweepCall(int32_t frequencyMHz, int32_t symbolRate, uint32_t* lockWaitMs)> tune;
    std::function<SweepCall(TryReading* reading)> read;
    // Waits `ms`; false once interrupted meanwhile.
    std::function<bool(uint32_t ms)> pause;
    std::function<bool()> interrupted;
    // Each status as it goes; false when the card is ending.
    std::function<bool(const SweepStatus& status)> report;
    std::function<uint64_t()> nowMs;
    uint32_t networkWaitMs = 0;  // how long a locked try waits for the network's word
    // A level that never comes, or never moves, over the first steps is no
    // level: a driver the card cannot vouch for.
    bool probeLevel = false;
    std::string interruptedProblem = "interrupted";
};

// The first steps that show whether a level comes and moves.
constexpr size_t sweepProbeSteps = 8;

SweepStatus runSweepLoop(const SweepPlan& plan, const SweepCard& card);
