// What one start sends to a BDA tuner on one switch route, built once as
// data and carried out step by step on the driver thread (bda_session.cpp).
// Every start first gives the tuning space its input range: the port's on
// the input range's route, the space's own on every other, so that no
// earlier start's range is left for the network provider to put.
// Through the tuner's own DiSEqC interface, once the driver has enabled
// commands, or through its maker's property set, the switch command goes
// out after a tune request, since a driver may power the LNB only for a
// tune: that tune is made without the 22 kHz tone (which would drown the
// command), the command waits until the supply has settled, counted from
// the tune, and is said again at DiSEqC's own pace; for the letters "A" and
// "B" the tone burst follows (through TurboSight's set with the tone, on or
// off as the band has it, put explicitly after it), and then the tune with
// the band's tone.
// Through the LNB source the driver does all of it in one tune; through
// the RF tuner's range property the tuner is told its input before the tune.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bda/bda_tuning.h"

enum BdaStepKind : uint8_t {
    BdaStepTune,            // the search's current attempt, the tuning space holding `lnb`
    BdaStepRaiseSupply,     // the same carrier with horizontal polarisation (18 V), the space holding `lnb`
    BdaStepSettle,          // until `ms` after the latest tune
    BdaStepPause,           // `ms`
    BdaStepEnableCommands,  // the route fails when the driver refuses
    BdaStepCommand,         // in a change of its own; the route fails when the driver refuses a `required` one
    BdaStepToneBurst,       // burst B when `burstB`, else A; a refusal does not matter
    BdaStepMakerCommand,    // through the maker's set; the route fails when the driver refuses a `required` one
    BdaStepMakerBurst,      // as BdaStepToneBurst, through the maker's set
    BdaStepMakerTone,       // the 22 kHz tone on when `toneOn`, else off, through the maker's set (where it has one)
    BdaStepSpaceRange,      // the tuning space's input range `rangeText` ("" its own); fails the route if `required`
    BdaStepRangeProperty,   // the RF tuner's range `range`; the route fails when the driver refuses
};

struct BdaStep {
    BdaStepKind kind;
    uint32_t ms;
    LnbOscillators lnb;
    bool required;
    uint8_t command[maxBdaCommandBytes];
    uint8_t commandLength;
    bool burstB;
    bool toneOn;
    int32_t range;
    std::string rangeText;
};

std::vector<BdaStep> bdaStartSteps(const BdaTuneValues& values, SwitchRoute route,
                                   const InputRangeForms& forms = InputRangeForms());

// A step that sends these bytes (at most maxBdaCommandBytes) through the node or the maker's set.
BdaStep bdaCommandStep(BdaStepKind kind, const uint8_t* bytes, size_t length, bool required);
BdaStep bdaStepOf(BdaStepKind kind, const LnbOscillators& lnb = LnbOscillators{}, uint32_t ms = 0);

// What leads up to a command of its own (a single-cable device's, a
// positioner's), the same on both: the tone off, 18 V, the supply's wait.
enum BdaCommandLead : uint8_t { BdaLeadToneOff, BdaLeadSupply18, BdaLeadPause };
// `afterSupply`: the pause counts from the tune that raised the supply.
void addCommandLead(std::vector<BdaStep>& steps, BdaCommandLead lead, bool throughMaker, const LnbOscillators& lnb,
                    uint32_t ms = 0, bool afterSupply = false);
// Why `needer` ("it", "the motor") cannot have its command sent this route, or "" where it can.
std::string commandRouteRefusal(SwitchRoute route, const std::string& needer);

// What each call into the driver may take before the start is given up:
// a tune (which may be refused and retried with the next modulation), and
// any other call.
constexpr uint32_t tuneAllowanceMs = 5000;
constexpr uint32_t callAllowanceMs = 1000;

// The bound of the whole sequence: its waits and each call's allowance.
uint32_t bdaStepsBoundMs(const std::vector<BdaStep>& steps);
