// What the simulated card is told to do: failures, latencies and the signal
// over time, read from a small text file. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/network/network_identity.h"
#include "cardbase/signal_scale.h"
#include "sim/dish/dish_setup.h"

enum SimMethod : int {
    SimSetTransponderFrequency,
    SimSetSymbolRate,
    SimSetLnbFrequency,
    SimSetFec,
    SimSetPolarity,
    SimSetLnbSelection,
    SimSetDiseqc,
    SimInitialize,
    SimQuerySignalStatus,
    SimRefreshSignalReadings,
    SimGetSignalNoiseRatio,
    SimGetSignalQuality,
    SimReserved,
    simMethodCount
};

const char* simMethodName(SimMethod method);

struct SignalLine {
    uint32_t fromMs;  // after the latest tune
    bool locked;
    int32_t quality;
    float snr;
};

struct Scenario {
    bool failCreate = false;
    bool failQuery = false;
    bool oddQuery = false;  // answer the tuner control query with S_FALSE, interface and all
    bool failMethod[simMethodCount] = {};
    int32_t latencyMs[simMethodCount];
    std::vector<SignalLine> signal;
    DishSetup dish;               // when enabled, the dish's readings replace the signal lines
    bool countResources = false;  // log the process's handles and GDI objects at each tune
    bool hasNetwork = false;      // the network table the transponder carries, read while locked
    NetworkIdentity network;

    Scenario();
};

// A card's bus transaction takes a few milliseconds, so a polling loop
// never spins.
constexpr int32_t defaultLatencyMs = 3;

// Reads the scenario text. Besides "fail", "latency", "signal" and
// "resources" (log the process's open handles and GDI objects at every tune,
// for watching a long run for leaks), "network POSITION|unknown ID NAME"
// (the network table the locked transponder carries: "network 19.2e 0x0001
// Astra", read once locked a little while), the dish
// words: "dish", "window", "site LAT LON", "diameter METRES",
// "point AZ EL [SKEW]", "aim POSITION" (such as 13.0e) and "lnb CODE..."
// (the DiSEqC codes that reach the LNB). Any of them lets the dish answer;
// "window" also shows its steering window. Degrees north and east positive.
// Unknown lines are reported in `errors` (one line each) and otherwise
// ignored.
Scenario parseScenario(const std::string& text, std::string* errors);

// The reading `sinceTuneMs` after the latest tune: the latest line whose
// time has passed; no lock before the first one or before any tune.
SignalReading scenarioSignal(const Scenario& scenario, bool tuned, uint32_t sinceTuneMs);
