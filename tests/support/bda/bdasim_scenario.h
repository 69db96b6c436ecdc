// What the simulated BDA tuner and the system objects beside it are told to
// do, from the text of the file SIMCARD_SCENARIO names (the same variable
// the simulated card reads, so that the test driver serves both). One word
// group a line:
//   refuse graph       the tuner cannot start (its device is busy)
//   refuse tune        the tuner fails every tune request
//   no quality         the demodulator reports no quality (strength stands in)
//   legacy provider    only the DVB-S network provider exists (before Windows 7)
//   legacy locator     the DVB-S locator has no LNB source (before Windows 7)
//   transponder DVB-S|DVB-S2-QPSK|DVB-S2-8PSK   what the transponder carries
//                      (DVB-S without the line)
//   switch port A|B|C|D  the dish hangs on this port of a committed switch,
//                      whose other ports carry nothing; the switch starts on A
//   fail lock FROM TO  the nodes' lock and presence calls fail from FROM to
//                      TO ms (the other figures still come)
//   stall readings FROM TO  a statistics call made from FROM to TO ms
//                      returns only at TO
//   signal MS locked QUALITY STRENGTH   from MS: locked, with these
//   signal MS unlocked                  percentages, or without lock
// Times count from the latest tune to another transponder (a tune that
// changes only the modulation, pilot or roll-off does not count). Without
// signal lines the tuner locks 300 ms after a tune with 72 % quality and
// 81 % strength. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct BdaSimStep {
    uint32_t fromMs;
    bool locked;
    int32_t quality;
    int32_t strength;
};

enum BdaSimTransponder : uint8_t { SimDvbS, SimDvbS2Qpsk, SimDvbS2Psk8 };

// A span of ms after the tune; empty when toMs <= fromMs.
struct BdaSimSpan {
    uint32_t fromMs = 0;
    uint32_t toMs = 0;
    bool contains(uint32_t ms) const { return ms >= fromMs && ms < toMs; }
};

struct BdaSimScenario {
    bool refuseGraph = false;
    bool refuseTune = false;
    bool noQuality = false;
    bool legacyProvider = false;
    bool legacyLocator = false;
    BdaSimTransponder transponder = SimDvbS;
    int dishPort = -1;  // 0..3 for A..D; -1: every port carries the signal
    BdaSimSpan failLock;
    BdaSimSpan stallReadings;
    std::vector<BdaSimStep> signal;
};

// Unknown lines are listed in *errors, one a line.
BdaSimScenario parseBdaSimScenario(const std::string& text, std::string* errors);

// The signal `msSinceTune` after the latest tune.
BdaSimStep bdaSimSignalAt(const BdaSimScenario& scenario, uint32_t msSinceTune);
