// What one measurement start sends to a satellite frontend, built once from
// the plan as data: the LNB supply, the pause an LNB needs after being
// powered, the tone off for the switch command, the command twice, the
// tone burst for a simple A/B switch, the band's tone, and then the
// delivery systems to try in turn. The frontend worker carries out these
// steps and the frontend log writes them, both from this data, so the log
// cannot disagree with the frontend. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/frontend_plan.h"

enum StepKind : uint8_t { StepSupply, StepTone, StepSwitchCommand, StepBurst, StepPause };

struct SequenceStep {
    StepKind kind;
    LnbVoltage voltage;  // StepSupply
    bool on;             // StepTone: on; StepBurst: burst B (else A)
    uint8_t command[4];  // StepSwitchCommand
    uint32_t pauseMs;    // StepPause
};

// One way of asking for the transponder. DVB-S goes with its explicit
// values (QPSK, roll-off 0.35); DVB-S2 with everything automatic, or with
// the modulation named and roll-off 0.35 for drivers that refuse automatic
// values without saying so.
enum SystemAttempt : uint8_t { AttemptDvbS, AttemptDvbS2Automatic, AttemptDvbS2Qpsk, AttemptDvbS2Psk8 };

// What the frontend said about itself when it was opened.
struct FrontendAbilities {
    bool dvbs = true;
    bool dvbs2 = true;
    uint32_t lowestKHz = 950000;  // the intermediate frequencies it tunes
    uint32_t highestKHz = 2150000;
    uint32_t lowestSymbolRate = 1000000;
    uint32_t highestSymbolRate = 45000000;
    bool remote = false;  // behind dvbv5-daemon: its libdvbv5 drives the LNB
};

// A transponder as the frontend sees it, to remember what locked it.
struct TransponderKey {
    uint32_t intermediateKHz;
    uint32_t symbolsPerSecond;
    bool toneOn;
    bool horizontal;
    int switchPort;
};
bool operator==(const TransponderKey& a, const TransponderKey& b);
TransponderKey transponderKeyOf(const CardTuning& tuning);

struct TuningSequence {
    std::vector<SequenceStep> steps;
    std::vector<SystemAttempt> attempts;  // in the order tried, taking turns
    uint32_t attemptWindowMs = 0;         // each attempt's time to lock
    uint32_t intermediateKHz = 0;         // as logged
    uint32_t frequencyKHz = 0;            // as given to the frontend (remote: to libdvbv5)
    uint32_t symbolsPerSecond = 0;
    bool horizontal = false;
    int remoteSatellite = -1;  // remote: libdvbv5's satellite number
    TransponderKey key{};
};

// Before anything reaches the frontend: "" when it can take the program's
// values, else why not, in words for the program and the log. Only the
// values the program sends are taken (band 0 or 1, oscillator 5150, 9750 or
// 10600 MHz, polarization 0, 1 or 3, DiSEqC code 0 to 6), and only an
// intermediate frequency and a symbol rate within the frontend's ranges.
std::string tuningRefusal(const CardTuning& tuning, const FrontendAbilities& abilities);

// A demodulator finds a carrier in about 0.4 s above 20 MS/s and in up to
// about 4 s at 2 MS/s and below: the time grows as the symbol rate falls.
uint32_t lockWindowMs(uint32_t symbolsPerSecond);
// Each attempt's share, so that one round of attempts (a re-sent tune when
// there is only one) takes at least minimumRoundMs.
constexpr uint32_t minimumRoundMs = 2000;

// `supplyWasOn`: whether the LNB had its supply before this start;
// `remembered`: the attempt that locked this transponder before, tried first.
TuningSequence buildTuningSequence(const CardTuning& tuning, const FrontendAbilities& abilities, bool supplyWasOn,
                                   const SystemAttempt* remembered);

// The log's line for a step ("voltage 18", "tone off", "diseqc E0 10 38 FB",
// "burst A"); "" for a pause, which reaches no frontend.
std::string stepLine(const SequenceStep& step);
// "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK"
std::string attemptLine(const TuningSequence& sequence, SystemAttempt attempt);
// The tune the values ask for, without a system: for a refusal before any attempt.
std::string plannedTuneLine(const CardTuning& tuning);
// "refused voltage 18: Input/output error"
std::string refusedLine(const std::string& what, const std::string& reason);
const char* attemptName(SystemAttempt attempt);
