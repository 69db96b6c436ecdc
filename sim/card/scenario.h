// What the simulated card is told to do: failures, latencies and the signal
// over time, read from a small text file. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/margin/modcod.h"
#include "cardbase/network/network_identity.h"
#include "cardbase/signal_scale.h"
#include "cardbase/sky/sky.h"
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

// The modulation and code rate of a transponder, or of every one.
struct ModcodLine {
    bool everyTransponder;
    int32_t frequencyMHz;
    int32_t polarization;
    int32_t symbolRate;
    Modcod modcod;
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
    // What the card reports, while locked, of the modulation and code rate.
    bool reportsModcod = true;
    std::vector<ModcodLine> modcods;

    Scenario();
};

// A card's bus transaction takes a few milliseconds, so a polling loop
// never spins.
constexpr int32_t defaultLatencyMs = 3;

// Reads the scenario text. Besides "fail", "latency", "signal" and
// "resources" (log the process's open handles and GDI objects at every tune,
// for watching a long run for leaks), "network POSITION|unknown ID NAME"
// (the network table the locked transponder carries: "network 19.2e 0x0001
// Astra", read once locked a little while), "modcod [ENTRY] MODCOD" (the
// modulation and code rate of the transponder ENTRY, such as 10723h29900, or
// without it of every one: "modcod S2-8PSK-3/4"; the card reports them
// while locked), "modcod none" (the card reports none, as a tuner without a
// read-back), "refresh MS" (how often the card measures its figures, 20 ..
// 10000 ms: the dish's C/N then lags its pointing by as much), the dish
// words: "dish", "window", "site LAT LON", "diameter METRES",
// "point AZ EL [SKEW]", "aim POSITION" (such as 13.0e), "lnb [CODE...]
// [OSCILLATOR...] [error KHZ [drift KHZ_PER_MIN]]" (the DiSEqC codes 0 to
// 6 that reach the LNB, its oscillators 5150, 9750 and 10600, and what
// they are off by, cardbase/sky/lnb_drift.h) and the installation's faults:
// "fault no-tone" (the 22 kHz tone never reaches the LNB, which stays on its
// low band), "fault no-18v" (the LNB never sees 18 V and stays vertical),
// "fault port LETTERS" (the switch's port A, B, AA, BA, AB or BB leads
// nowhere, whichever letters pick it), and a single-cable device between
// the LNB and the card: "scr-device en50494|en50607 MHZ,MHZ,... [pin N]"
// (its user bands' centres, in order) and "scr-neighbour UB every S"
// (another receiver on its cable takes user band UB every S seconds), and
// a motorised mount, "motor declination D elevation E azimuth A zero Z
// speed S limit L at H" (any of the pairs; cardbase/sky/motor_mount.h).
// Any of them lets the dish answer;
// "window" also shows its steering window. Degrees north and east positive.
// Unknown lines are reported in `errors` (one line each, with the reason
// where a single-cable line gives one) and otherwise ignored.
Scenario parseScenario(const std::string& text, std::string* errors);

// Gives the sky's transponders the modulation and code rate the scenario
// names, the later line winning.
void applyScenarioModcods(const Scenario& scenario, std::vector<Satellite>& sky);

// What the card without a dish reports of the modulation and code rate: the
// latest line for every transponder, or nothing.
bool scenarioModcod(const Scenario& scenario, Modcod* modcod);

// The reading `sinceTuneMs` after the latest tune: the latest line whose
// time has passed; no lock before the first one or before any tune.
SignalReading scenarioSignal(const Scenario& scenario, bool tuned, uint32_t sinceTuneMs);
