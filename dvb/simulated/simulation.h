// What a simulated frontend does, read from the file given to
// `azimora-dvb --simulate FILE`: the signal over time after each tune and
// the failures to stage. Platform-neutral.
//
// Lines (blank lines and lines starting with # are ignored):
//   T lock CN_DB     from T ms after the latest tune: locked at a C/N of CN_DB dB
//   T nolock         from T ms after the latest tune: no lock
//   fail open        the device cannot be opened: another program has it
//   fail tune        the frontend refuses every tune
//   systems NAME...  the delivery systems it offers (DVB-S, DVB-S2, DVB-T, DVB-C;
//                    DVB-S and DVB-S2 unless told)
//   transponder NAME the transponder is DVB-S or DVB-S2: a tune as the other
//                    system does not lock it, except DVB-S2 with automatic
//                    modulation, with which the frontend finds either (unless
//                    told, every tune locks)
//   modulation explicit  the driver refuses DVB-S2 with automatic modulation
//                    and wants QPSK or 8PSK named
//   statistics KIND  how it reports C/N and strength: decibel (v5 statistics in
//                    0.001 dB, the default), relative (v5 statistics, 0..65535),
//                    legacy (no v5 statistics, 16-bit relative figures) or none
// The latest timed line whose T has passed applies; before the first one
// there is no lock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum SimulatedSystem : uint8_t { SimDvbS, SimDvbS2, SimDvbT, SimDvbC };
enum SimulatedStatistics : uint8_t { StatisticsDecibel, StatisticsRelative, StatisticsLegacy, StatisticsNone };

struct SimulatedMoment {
    uint32_t fromMs;
    bool locked;
    int32_t carrierToNoiseMilliDb;
};

struct Simulation {
    std::vector<SimulatedMoment> timeline;  // in file order
    bool failOpen = false;
    bool failTune = false;
    std::vector<SimulatedSystem> systems{SimDvbS, SimDvbS2};
    bool anyTransponder = true;  // locks whichever satellite system is tuned
    SimulatedSystem transponder = SimDvbS;
    bool explicitModulation = false;
    SimulatedStatistics statistics = StatisticsDecibel;
};

struct SimulatedSignal {
    bool locked;
    int32_t carrierToNoiseMilliDb;
};

// Reads the file's text. False with `error` set to "line N: ..." at the
// first line that is not one of the forms above.
bool parseSimulation(const std::string& text, Simulation* simulation, std::string* error);

// The signal `sinceTuneMs` after the latest tune.
SimulatedSignal simulatedSignalAt(const Simulation& simulation, uint32_t sinceTuneMs);
