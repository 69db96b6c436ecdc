#include "cardbase/lnb_error.h"

#include <algorithm>
#include <cmath>
#include <map>

LnbError lnbErrorFound(const CardTuning& tuning, uint32_t askedKHz, uint32_t foundKHz)
{
    const int64_t moved = int64_t{foundKHz} - int64_t{askedKHz};
    // Below the carrier (Ku band) a high oscillator brings the carrier
    // low; above it (C band), high.
    const bool oscillatorAbove = tuning.lnbFrequencyMHz > tuning.frequencyMHz;
    LnbError error;
    error.state = LnbErrorKnown;
    error.errorKHz = static_cast<int32_t>(oscillatorAbove ? moved : -moved);
    error.oscillatorMHz = tuning.lnbFrequencyMHz;
    return error;
}

// A signed figure says its sign ("+2.3"), but none at zero.
static std::string tenthsText(int64_t tenths, bool withSign = true)
{
    const int64_t size = tenths < 0 ? -tenths : tenths;
    const std::string figure = std::to_string(size / 10) + "." + std::to_string(size % 10);
    if (tenths == 0 || !withSign) return figure;
    return (tenths < 0 ? "-" : "+") + figure;
}

static int64_t roundedTenths(double kiloHertz) { return std::llround(kiloHertz / 100.0); }

std::string lnbErrorMHzText(int32_t errorKHz) { return tenthsText(roundedTenths(errorKHz)) + " MHz"; }

std::string lnbErrorUnknownText(LnbErrorState state)
{
    switch (state) {
    case LnbErrorUnlocked: return "no lock";
    case LnbErrorNotGiven: return "the driver does not give back the frequency it found";
    case LnbErrorThroughCable: return "a single-cable device's own oscillator stands between";
    case LnbErrorKnown: break;
    }
    return "";
}

static std::string oscillatorText(int32_t oscillatorMHz) { return std::to_string(oscillatorMHz) + " MHz oscillator"; }

std::string lnbErrorLine(const LnbError& error)
{
    if (error.state != LnbErrorKnown) return "lnb error: unknown (" + lnbErrorUnknownText(error.state) + ")";
    return "lnb error: " + lnbErrorMHzText(error.errorKHz) + " (" + oscillatorText(error.oscillatorMHz) + ")";
}

std::string lnbErrorFigure(const LnbError& error)
{
    return "LNB " + lnbErrorMHzText(error.errorKHz) + " (" + oscillatorText(error.oscillatorMHz) + ")";
}

bool lnbErrorBeyondPll(int32_t errorKHz) { return std::abs(errorKHz) > pllLnbWithinKHz; }

std::string lnbErrorWord(int32_t errorKHz)
{
    return std::string("a PLL LNB stays within 0.5 MHz; ") +
           (lnbErrorBeyondPll(errorKHz) ? "this one drifts or is an older type" : "this one does");
}

std::vector<OscillatorErrors> errorsByOscillator(const std::vector<LnbError>& errors)
{
    std::map<int32_t, OscillatorErrors> each;
    std::map<int32_t, int64_t> sums;
    for (const LnbError& error : errors) {
        if (error.state != LnbErrorKnown) continue;
        OscillatorErrors& of = each[error.oscillatorMHz];
        if (of.count == 0) {
            of.oscillatorMHz = error.oscillatorMHz;
            of.lowestKHz = of.highestKHz = error.errorKHz;
        }
        ++of.count;
        of.lowestKHz = std::min(of.lowestKHz, error.errorKHz);
        of.highestKHz = std::max(of.highestKHz, error.errorKHz);
        sums[error.oscillatorMHz] += error.errorKHz;
    }
    std::vector<OscillatorErrors> list;
    for (auto& entry : each) {
        entry.second.meanKHz = static_cast<double>(sums[entry.first]) / entry.second.count;
        list.push_back(entry.second);
    }
    return list;
}

std::string oscillatorErrorsLine(const OscillatorErrors& errors)
{
    const int64_t spread = roundedTenths(errors.highestKHz - errors.lowestKHz);
    return "lnb error: " + tenthsText(roundedTenths(errors.meanKHz)) + " MHz mean of " + std::to_string(errors.count) +
           (errors.count == 1 ? " transponder" : " transponders") + ", spread " + tenthsText(spread, false) + " MHz (" +
           oscillatorText(errors.oscillatorMHz) + ")";
}
