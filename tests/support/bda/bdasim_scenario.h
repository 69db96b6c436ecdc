// What the simulated BDA tuner and the system objects beside it are told to
// do, from the text of the file SIMCARD_SCENARIO names (the same variable
// the simulated card reads, so that the test driver serves both). One word
// group a line:
//   refuse graph       the tuner cannot start (its device is busy)
//   refuse tune        the tuner fails every tune request
//   no quality         the demodulator reports no quality (strength stands in)
//   legacy provider    only the DVB-S network provider exists (before Windows 7)
//   legacy locator     the DVB-S locator has no LNB source (before Windows 7)
//   signal MS locked QUALITY STRENGTH   from MS after each tune: locked, with
//   signal MS unlocked                  these percentages, or without lock
// Without signal lines the tuner locks 300 ms after a tune with 72 % quality
// and 81 % strength. Platform-neutral.
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

struct BdaSimScenario {
    bool refuseGraph = false;
    bool refuseTune = false;
    bool noQuality = false;
    bool legacyProvider = false;
    bool legacyLocator = false;
    std::vector<BdaSimStep> signal;
};

// Unknown lines are listed in *errors, one a line.
BdaSimScenario parseBdaSimScenario(const std::string& text, std::string* errors);

// The signal `msSinceTune` after the latest tune.
BdaSimStep bdaSimSignalAt(const BdaSimScenario& scenario, uint32_t msSinceTune);
