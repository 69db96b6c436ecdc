// How far an LNB's own local oscillator is off its nominal frequency, as a
// tuner that gives back the frequency it found the carrier at shows it:
// the found intermediate frequency against the one asked, the sign naming
// the oscillator's side (an oscillator 2.3 MHz high brings a Ku-band
// carrier 2.3 MHz low: "LNB +2.3 MHz"; a C-band oscillator stands above
// the carrier, which then moves the other way, and the sign still names
// the oscillator); each oscillator's mean and spread over several
// transponders; and the words the card and the page say. What is found
// also holds the transponder's own offset from its listed frequency and
// the driver's step: only the mean over several transponders tells the
// LNB from them. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"

enum LnbErrorState : uint8_t {
    LnbErrorUnlocked,      // no lock: nothing found
    LnbErrorNotGiven,      // the driver gives back the frequency asked, or is not asked
    LnbErrorThroughCable,  // a single-cable device's own oscillator stands between
    LnbErrorKnown,
};

struct LnbError {
    LnbErrorState state = LnbErrorUnlocked;
    int32_t errorKHz = 0;       // above its nominal frequency +, below -
    int32_t oscillatorMHz = 0;  // the nominal one, as the program asked it (9750, 10600, 5150)
};

// A PLL LNB's oscillator stays within this of its nominal frequency; an
// older (DRO) one, or one still warming up, goes further.
constexpr int32_t pllLnbWithinKHz = 500;

// The error from the intermediate frequency asked of the tuner and the one
// the driver says it found the carrier at.
LnbError lnbErrorFound(const CardTuning& tuning, uint32_t askedKHz, uint32_t foundKHz);

// "+2.3 MHz", "-0.4 MHz", "0.0 MHz" (one decimal, rounded half away from zero).
std::string lnbErrorMHzText(int32_t errorKHz);
// Why none is known: "no lock", "the driver does not give back the
// frequency it found", "a single-cable device's own oscillator stands
// between".
std::string lnbErrorUnknownText(LnbErrorState state);
// "lnb error: +2.3 MHz (10600 MHz oscillator)", or "lnb error: unknown (no lock)".
std::string lnbErrorLine(const LnbError& error);
// The page's figure of a known error: "LNB +2.3 MHz (10600 MHz oscillator)".
std::string lnbErrorFigure(const LnbError& error);
// Further off than a PLL LNB goes.
bool lnbErrorBeyondPll(int32_t errorKHz);
// What is said beside it: "a PLL LNB stays within 0.5 MHz; this one drifts
// or is an older type" beyond that, else "a PLL LNB stays within 0.5 MHz;
// this one does".
std::string lnbErrorWord(int32_t errorKHz);

// The known errors of one oscillator; the spread is the highest less the lowest.
struct OscillatorErrors {
    int32_t oscillatorMHz = 0;
    uint32_t count = 0;
    double meanKHz = 0.0;
    int32_t lowestKHz = 0;
    int32_t highestKHz = 0;
};
// Of the known ones among `errors`, each oscillator's, the lowest oscillator first.
std::vector<OscillatorErrors> errorsByOscillator(const std::vector<LnbError>& errors);
// "lnb error: +2.3 MHz mean of 12 transponders, spread 0.2 MHz (10600 MHz oscillator)".
std::string oscillatorErrorsLine(const OscillatorErrors& errors);
