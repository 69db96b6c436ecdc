// What one measurement start sends to a satellite frontend, built once from
// the plan as data: the LNB supply, the pause an LNB needs after being
// powered, the tone off for the switch command, the command twice, the
// tone burst for a simple A/B switch, the band's tone, and then the
// delivery systems to try in turn. Through a single-cable device, the
// device's own steps instead (cardbase/single_cable.h): no tone, 18 V for
// its command alone, the tune at its user band, and the steps that say the
// command again and free the band later. The frontend worker carries out
// these steps and the frontend log writes them, both from this data, so the
// log cannot disagree with the frontend. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/frontend_plan.h"
#include "cardbase/single_cable.h"
#include "dvb/helper/frontend/frontend_traits.h"

enum StepKind : uint8_t { StepSupply, StepTone, StepSwitchCommand, StepBurst, StepPause };

// A DiSEqC message: a committed switch's four bytes, a single-cable device's up to six.
constexpr size_t longestCommandBytes = 6;

struct SequenceStep {
    StepKind kind;
    LnbVoltage voltage;                    // StepSupply
    bool on;                               // StepTone: on; StepBurst: burst B (else A)
    uint8_t command[longestCommandBytes];  // StepSwitchCommand
    uint8_t commandLength;
    uint32_t pauseMs;  // StepPause
};

// A tune through a single-cable device, or none.
struct SingleCableUse {
    bool used = false;
    SingleCableSetting setting;
};

// One way of asking for the transponder. DVB-S goes with its explicit
// values (QPSK, roll-off 0.35); DVB-S2 with everything automatic, or with
// the modulation named for drivers that refuse automatic values without
// saying so (roll-off 0.35, or automatic where a known driver takes it), and
// with a code rate too for drivers that have no automatic one; a driver that
// refuses an automatic roll-off is asked with 0.35, 0.20 and 0.25 in turn.
enum AttemptModulation : uint8_t { AutomaticModulation, QpskModulation, Psk8Modulation };
enum CodeRate : uint8_t {
    AutomaticCodeRate,
    CodeRate1_2,
    CodeRate3_5,
    CodeRate2_3,
    CodeRate3_4,
    CodeRate4_5,
    CodeRate5_6,
    CodeRate8_9,
    CodeRate9_10,
};
// RolloffImplied: 0.35 for DVB-S and a named DVB-S2 modulation, automatic
// for an automatic one; the others are sent as they say.
enum AttemptRolloff : uint8_t { RolloffImplied, RolloffAutomatic, Rolloff35, Rolloff20, Rolloff25 };
struct SystemAttempt {
    bool dvbs2;
    AttemptModulation modulation;
    CodeRate codeRate;
    AttemptRolloff rolloff = RolloffImplied;
};
bool operator==(const SystemAttempt& a, const SystemAttempt& b);
bool operator!=(const SystemAttempt& a, const SystemAttempt& b);
constexpr SystemAttempt AttemptDvbS{false, QpskModulation, AutomaticCodeRate};
constexpr SystemAttempt AttemptDvbS2Automatic{true, AutomaticModulation, AutomaticCodeRate};
constexpr SystemAttempt AttemptDvbS2Qpsk{true, QpskModulation, AutomaticCodeRate};
constexpr SystemAttempt AttemptDvbS2Psk8{true, Psk8Modulation, AutomaticCodeRate};

// DVB-S2's modulations and code rates in the order a driver that needs the
// code rate named is asked for them: the most common on the air first.
constexpr size_t namedDvbS2Count = 14;
extern const SystemAttempt namedDvbS2[namedDvbS2Count];

// What the frontend said about itself when it was opened.
struct FrontendAbilities {
    bool dvbs = true;
    bool dvbs2 = true;
    uint32_t lowestKHz = 950000;  // the intermediate frequencies it tunes
    uint32_t highestKHz = 2150000;
    uint32_t lowestSymbolRate = 1000000;
    uint32_t highestSymbolRate = 45000000;
    bool remote = false;             // behind dvbv5-daemon: its libdvbv5 drives the LNB
    FrontendTraits traits{};         // what its driver does, by its name: none known
    bool scaleParameterSet = false;  // the driver's scale parameter reads 1 (FrontendTraits)
    std::string name;                // as the driver gives it (FE_GET_INFO)
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
    // Through a single-cable device: the command said once more where no
    // lock came in the driver's time, and the power-off that frees the user
    // band (then the LNB unpowered) when the frontend is let go.
    bool singleCable = false;
    SingleCableSetting singleCableSetting;
    std::vector<SequenceStep> retrySteps;
    std::vector<SequenceStep> releaseSteps;
};

// Before anything reaches the frontend: "" when it can take the program's
// values, else why not, in words for the program and the log. Only the
// values the program sends are taken (band 0 or 1, oscillator 5150, 9750 or
// 10600 MHz, polarization 0, 1 or 3, DiSEqC code 0 to 6), and only an
// intermediate frequency and a symbol rate within the frontend's ranges;
// through a single-cable device, only what the device serves, on a local
// frontend (dvbv5-daemon's libdvbv5 drives the LNB its own way).
std::string tuningRefusal(const CardTuning& tuning, const FrontendAbilities& abilities,
                          const SingleCableUse& singleCable = SingleCableUse());
extern const char remoteSingleCableRefusal[];

// Each attempt gets the time its frontend needs (attemptTimeMs); where the
// table of known frontends does not give that time, at least its share of
// minimumRoundMs: a round of attempts (a re-sent tune when there is only
// one) then takes at least that. A lock lost is asked for again after the
// longer of the two.
constexpr uint32_t minimumRoundMs = 2000;

// `supplyWasOn`: whether the LNB had its supply before this start;
// `remembered`: the attempt that locked this transponder before, tried
// first; `random` picks the pause before a single-cable command is said again.
TuningSequence buildTuningSequence(const CardTuning& tuning, const FrontendAbilities& abilities, bool supplyWasOn,
                                   const SystemAttempt* remembered,
                                   const SingleCableUse& singleCable = SingleCableUse(), uint32_t random = 0);

// One step each, for whoever builds a sequence: a command longer than a
// step holds is cut to longestCommandBytes.
SequenceStep supplyStep(LnbVoltage voltage);
SequenceStep toneStep(bool on);
SequenceStep pauseStep(uint32_t ms);
SequenceStep switchCommandStep(const uint8_t* command, size_t length);

// A single-cable device's steps as the worker carries them out: its tune
// step is the attempt that follows, and is left out here.
std::vector<SequenceStep> singleCableSequenceSteps(const std::vector<SingleCableStep>& steps,
                                                   const SingleCableCommand& command,
                                                   const SingleCableCommand& powerOff = SingleCableCommand());

// The log's line for a step ("voltage 18", "tone off", "diseqc E0 10 38 FB",
// "burst A"); "" for a pause, which reaches no frontend.
std::string stepLine(const SequenceStep& step);
// "tune if_khz=1645000 symbol_rate=27500000 system=DVB-S2 modulation=8PSK",
// with " code_rate=3/4" where the attempt names one and " rolloff=0.20"
// (or 0.35, 0.25, auto) where it names its roll-off.
std::string attemptLine(const TuningSequence& sequence, SystemAttempt attempt);
// The tune the values ask for, without a system: for a refusal before any attempt.
std::string plannedTuneLine(const CardTuning& tuning);
// Said once when the driver has no tone burst: "burst A left out: the
// driver has no tone burst, the DiSEqC command selects the input".
std::string burstLackingLine(const SequenceStep& step);
// "refused voltage 18: Input/output error"
std::string refusedLine(const std::string& what, const std::string& reason);
// "system=DVB-S2 modulation=8PSK code_rate=3/4 rolloff=0.20"
std::string attemptName(SystemAttempt attempt);
// "DVB-S2 8PSK 3/4", "DVB-S2", "DVB-S": the system as --status prints it.
std::string attemptSystemText(SystemAttempt attempt);
// "3/4"; "" for an automatic one.
const char* codeRateText(CodeRate rate);
