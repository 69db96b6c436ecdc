// What the simulated BDA tuner and the system objects beside it are told to
// do, from the text of the file SIMCARD_SCENARIO names (the same variable
// the simulated card reads, so that the test driver serves both). One word
// group a line:
//   refuse graph       the tuner cannot start (its device is busy)
//   refuse tune        the tuner fails every tune request
//   no quality         the demodulator reports no quality (strength stands in)
//   legacy provider    only the DVB-S network provider exists (before Windows 7)
//   legacy locator     the DVB-S locator has no LNB source (before Windows 7)
//   no input range     the DVB-S tuning space refuses an input range, and the
//                      network provider leaves the tuner's range alone
//   transponder DVB-S|DVB-S2-QPSK|DVB-S2-8PSK [RATE] [pilot on|off] [rolloff 0.20|0.25|0.35]
//                      what the transponder carries (DVB-S without the line;
//                      DVB-S2 with pilots and roll-off 0.35 unless it says), at
//                      code rate RATE (1/2 2/3 3/4 3/5 4/5 5/6 7/8 8/9 9/10; 3/4
//                      unless it says)
//   demodulator reports  while locked, the demodulator node gives back the
//                      modulation and code rate it locked (the transponder's),
//                      as drivers that read them back do; without the line it
//                      gives back what the tune request put
//   switch port A|B|C|D  the dish hangs on this port of a committed switch,
//                      whose other ports carry nothing; the switch starts on A
//   switch burst A|B   the dish hangs on this input of a simple tone-burst
//                      switch, which hears tone bursts only; it starts on A
//   fail lock FROM TO  the nodes' lock and presence calls fail from FROM to
//                      TO ms (the other figures still come)
//   stall readings FROM TO  a statistics call made from FROM to TO ms
//                      returns only at TO
//   signal MS locked QUALITY STRENGTH   from MS: locked, with these
//   signal MS unlocked [STRENGTH]       percentages, or without lock (the
//                      tuner's strength, before any lock, STRENGTH or 0)
//   carrier MHZ WIDTH STRENGTH  a carrier of the satellite, WIDTH MHz wide
//                      about MHZ (its downlink): a tune there locks as the
//                      signal lines say, its strength STRENGTH; with carrier
//                      lines a tune anywhere else has no lock, the strength of
//                      the signal lines (a band with humps for a sweep)
// Times count from the latest tune to another transponder (a tune that
// changes only the modulation, pilot or roll-off does not count). Without
// signal lines the tuner's strength is 81 % from the tune, and it locks
// 300 ms after it with 72 % quality.
// While locked, the stream carries its PAT and SDT and, where the scenario
// gives one, its NIT actual, every 40 ms (bdasim_stream.h):
//   stream TSID ONID   the stream's own ids in its PAT and SDT (1 and 1
//                      without the line); numbers decimal or 0x hex
//   network ID [NAME]  its NIT: network ID, named NAME (the rest of the line;
//                      without it no name descriptor); no NIT without the line
//   nit entry TSID ONID POSITION|none   an entry of the NIT with the orbital
//                      position (19.2E, 30.0W; 0.0E is written as given) of
//                      its satellite delivery descriptor, or none without one;
//                      two entries to a section
//   nit damaged        each NIT section goes out first with one bit of its
//                      network name changed (its CRC then wrong)
//   sections only MHZ  the stream carries its sections only while the
//                      transponder at MHZ (the carrier) is tuned
//   no demultiplexer   the system has no MPEG-2 demultiplexer
// Behind the tuner, in place of the LNB and switch, a single-cable device
// (cardbase/single_cable_device.h) where the scenario has one:
//   scr-device en50494|en50607 MHZ,MHZ,... [pin N]   its user bands, its PIN
//   scr-neighbour UB every S   another receiver takes user band UB every S
//                      seconds for its own transponder (simNeighbourTransponderKHz)
// and a motorised mount, whose positioner hears the DiSEqC 1.2 and USALS
// commands (cardbase/sky/motor_mount.h); no carrier arrives while it turns:
//   motor [speed S] [limit L] ...   as the practice dish's scenario line
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/network/psi_build.h"
#include "cardbase/single_cable_device.h"
#include "cardbase/sky/motor_mount.h"

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

struct BdaSimStream {
    uint16_t transportStreamId = 1;
    uint16_t originalNetworkId = 1;
    bool hasNetwork = false;
    NitFacts network;  // two entries to a section
    bool damaged = false;
    uint32_t onlyMHz = 0;  // 0: every transponder
};

struct BdaSimCarrier {
    uint32_t frequencyMHz;
    uint32_t widthMHz;
    int32_t strength;
};

struct BdaSimScenario {
    bool refuseGraph = false;
    bool refuseTune = false;
    bool noQuality = false;
    bool legacyProvider = false;
    bool legacyLocator = false;
    bool noInputRange = false;
    BdaSimTransponder transponder = SimDvbS;
    bool pilots = true;            // DVB-S2 only
    int32_t rollOffPercent = 35;   // 20, 25 or 35
    int dishPort = -1;             // 0..3 for A..D; -1: every port carries the signal
    bool toneBurstSwitch = false;  // the dish's switch hears tone bursts (A, B), not commands
    int32_t codeRate = 3;          // BDA_BCC_RATE_3_4
    bool demodulatorReports = false;
    BdaSimSpan failLock;
    BdaSimSpan stallReadings;
    std::vector<BdaSimStep> signal;
    std::vector<BdaSimCarrier> carriers;
    BdaSimStream stream;
    bool noDemultiplexer = false;
    ScrDeviceSetup scr;
    MotorMountSetup motor;
};

// Unknown lines are listed in *errors, one a line.
BdaSimScenario parseBdaSimScenario(const std::string& text, std::string* errors);

// The signal `msSinceTune` after the latest tune.
BdaSimStep bdaSimSignalAt(const BdaSimScenario& scenario, uint32_t msSinceTune);
// The same at the downlink `carrierKHz`, where the scenario has carrier lines.
BdaSimStep bdaSimSignalAtCarrier(const BdaSimScenario& scenario, uint32_t msSinceTune, uint32_t carrierKHz);
