// Single cable through the BDA bridge: bdacard.ini's line "scr=" read with
// the one reader of cardbase/single_cable.h, and the device's steps (the
// core's data: no tone, 18 V, the command, 13 V, the tune) as BDA steps. A
// BDA driver raises the LNB supply to 18 V for horizontal polarisation and
// lowers it to 13 V for vertical, so 18 V is a tune request with
// horizontal polarisation at the demodulator's frequency, and 13 V the
// measuring tune with vertical polarisation at the same frequency; no tune
// of the sequence sends the tone (the switch frequency lies above the
// carrier). The command goes through the maker's set or IBDA_DiseqCommand;
// the LNB source and the input ranges carry no command, so single cable is
// refused there. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bda/bda_start_steps.h"
#include "cardbase/single_cable.h"

// What bdacard.ini's line "scr=" asks for.
struct BdaSingleCable {
    bool asked = false;  // the file has the line
    SingleCableSetting setting;
    std::string refusal;  // why its value cannot serve; "" when it can
};
BdaSingleCable singleCableFromSettings(const std::string& fileBytes);

// The values of the tune requests through the device: the demodulator's
// frequency above the program's oscillator as the carrier, vertical
// polarisation, the switch frequency above the carrier, no switch port of
// its own; `switchPort` the device's position (0..3), so that a route that
// carries commands is chosen.
BdaTuneValues bdaSingleCableValues(const CardTuning& tuning, const SingleCablePlan& plan);

// Why single cable cannot go this route, or "" where it can.
std::string singleCableRouteRefusal(SwitchRoute route);

// The core's sequences as BDA steps.
enum ScrSequence : uint8_t {
    ScrStartSequence,    // the tuning space's own range back, then the command and the measuring tune
    ScrRetrySequence,    // the command once more after a random pause, and the measuring tune
    ScrReleaseSequence,  // the power-off command; the graph's stop then unpowers the LNB
};
std::vector<BdaStep> bdaSingleCableSteps(ScrSequence sequence, const SingleCablePlan& plan, bool throughMaker,
                                         const LnbOscillators& lnb, uint32_t random = 0);

// Another receiver may have spoken at the same moment: the command goes
// once more where nothing has locked within the driver's time (the first
// modulation's wait) since the start.
struct ScrRetry {
    uint32_t startMs = 0;
    bool locked = false;
    bool done = false;
};
// After a reading: true once, when the command is to go once more.
bool scrRetryDue(ScrRetry& retry, bool locked, uint32_t nowMs, uint32_t waitMs);

// What a single-cable sequence does, for the log: "tune H 10960000 kHz, no tone; 15 ms;
// command E0 10 5A 04 F7; 50 ms; tune V 10960000 kHz, no tone".
std::string bdaStepsText(const std::vector<BdaStep>& steps, int32_t carrierKHz);
