// What a sweep found: the level at each step, the band's floor, and its
// peaks, each a carrier's hump with its middle and width, and, where the
// sweep tried them, what locked there and what its network said; and how a
// sweep under way stands.
// Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/margin/modcod.h"
#include "cardbase/network/network_identity.h"
#include "cardbase/signal_level.h"
#include "cardbase/sweep/sweep_plan.h"

struct SweepPoint {
    int32_t frequencyMHz;
    bool measured;  // the tuner gave a level there
    double level;   // in the sweep's unit
};

struct SweepPeak {
    int32_t frequencyMHz = 0;  // the hump's middle, between its half-power edges
    double level = 0.0;        // at its top
    double aboveFloor = 0.0;   // dB, or points of a relative scale
    double widthMHz = 0.0;     // between its half-power edges: about the symbol rate in MS/s
    // Where the sweep tried it:
    bool tried = false;
    bool locked = false;
    int32_t symbolRate = 0;  // kS/s, the one that locked
    bool hasModcod = false;
    Modcod modcod;
    NetworkIdentity network;  // known once the network's table was read there
};

struct SweepResult {
    LevelUnit unit = LevelDbm;
    std::vector<SweepPoint> points;
    double floor = 0.0;  // the band's noise floor
    std::vector<SweepPeak> peaks;
};

// A sweep as it goes: what it covers, how far it has come, its steps so
// far and, once done, its peaks; or why it could not be made.
enum SweepState : uint8_t { SweepNone, SweepRunning, SweepDone, SweepFailed };
struct SweepStatus {
    SweepState state = SweepNone;
    uint32_t stepsDone = 0;
    uint32_t steps = 0;
    std::string problem;  // why it failed, in words for the user
    SweepPlan plan;
    SweepResult result;
};

// A sweep of `plan` just begun: running, none of its steps done.
SweepStatus sweepBegun(const SweepPlan& plan);

// A hump counts from this far over the floor: 3 dB, or 6 points of a
// driver's own 0 .. 100 scale.
double smallestPeakRise(LevelUnit unit);

// The floor (the level most steps stay near: a fifth of them lie lower)
// and the humps that stand out of it, each split from its neighbour where
// the level between them falls at least 2 dB (or 4 points) below the lower
// of the two tops; the middles and widths come from the half-power edges
// (where the carrier over the floor has half its top's power, or half-way
// down to the floor of a relative scale), interpolated in power between
// steps.
void findSweepPeaks(SweepResult& result);

// A hump as that search finds it among the measured steps: its top and, on
// each side, the steps inside and outside its half-power edge (indices into
// the result's points; none where the edge runs into the band's end or a
// neighbour's valley), and that edge's level.
struct SweepHump {
    static constexpr size_t none = static_cast<size_t>(-1);
    size_t top;
    size_t leftInside;
    size_t leftOutside;
    size_t rightInside;
    size_t rightOutside;
    double edgeLevel;
};
std::vector<SweepHump> findSweepHumps(const SweepResult& result);

// The symbol rates worth trying on a peak, the likeliest first: the common
// ones within 4 % of what its width suggests, that estimate itself and 3 %
// either side of it (a demodulator finds a rate that close), then the
// other common ones within a fifth of it, nearest first; at most six.
std::vector<int32_t> symbolRatesToTry(const SweepPeak& peak);
