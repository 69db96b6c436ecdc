#include "cardbase/sweep/sweep_plan.h"

#include <algorithm>
#include <sstream>

#include "app/number_text.h"

static const char* const switchLetters[] = {"", "A", "B", "AA", "BA", "AB", "BB"};
static const int32_t switchCodeCount = 7;
// Below this an oscillator is a C-band LNB's, above the downlink.
static const int32_t cBandOscillatorBelowMHz = 7000;

SweepPlan planSweep(const SweepRequest& request)
{
    SweepPlan plan;
    plan.request = request;
    const int32_t step = request.stepMHz < 1                     ? 1
                         : request.stepMHz > largestSweepStepMHz ? largestSweepStepMHz
                                                                 : request.stepMHz;
    plan.request.stepMHz = step;
    int32_t first = 0, last = 0;
    if (request.oscillatorMHz == 0) {
        const bool high = request.band == SweepHighBand;
        plan.toneOn = high;
        plan.oscillatorMHz = high ? universalHighMHz : universalLowMHz;
        // Each band up to where the other begins, as the program picks the band.
        first = high ? universalSplitMHz : universalLowMHz + lowestIntermediateMHz;
        last = high ? universalHighMHz + highestIntermediateMHz : universalSplitMHz - 1;
    } else {
        plan.oscillatorMHz = request.oscillatorMHz;
        plan.oscillatorAbove = request.oscillatorMHz < cBandOscillatorBelowMHz;
        first = plan.oscillatorAbove ? request.oscillatorMHz - highestIntermediateMHz
                                     : request.oscillatorMHz + lowestIntermediateMHz;
        last = plan.oscillatorAbove ? request.oscillatorMHz - lowestIntermediateMHz
                                    : request.oscillatorMHz + highestIntermediateMHz;
    }
    for (int32_t f = first; f <= last; f += step) plan.frequenciesMHz.push_back(f);
    // A channel filter about a step wide (a roll-off of 0.35 on the symbol rate).
    plan.symbolRate = step * 1000 * 20 / 27;
    plan.coarseStride = std::max<int32_t>(1, coarseSweepSpacingMHz / step);
    return plan;
}

int32_t intermediateMHzOf(const SweepPlan& plan, int32_t downlinkMHz)
{
    return plan.oscillatorAbove ? plan.oscillatorMHz - downlinkMHz : downlinkMHz - plan.oscillatorMHz;
}

static std::string lowered(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool parseSweepBand(const std::string& text, SweepBand* band, std::string* problem)
{
    const std::string word = lowered(text);
    if (word == "low" || word == "high") {
        *band = word == "low" ? SweepLowBand : SweepHighBand;
        return true;
    }
    *problem = "the band is low or high, not \"" + text + "\"";
    return false;
}

bool parseSweepPolarization(const std::string& text, int32_t* polarization, std::string* problem)
{
    const std::string word = lowered(text);
    if (word == "h" || word == "v") {
        *polarization = word == "h" ? 0 : 1;
        return true;
    }
    *problem = "the polarisation is H or V, not \"" + text + "\"";
    return false;
}

bool parseSweepSwitch(const std::string& text, int32_t* diseqcCode, std::string* problem)
{
    std::string word = text;
    for (char& c : word)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (int32_t code = 0; code < switchCodeCount; ++code) {
        if (word != switchLetters[code]) continue;
        *diseqcCode = code;
        return true;
    }
    *problem = "the switch is one of A, B, AA, BA, AB, BB (or nothing), not \"" + text + "\"";
    return false;
}

// A small whole number as the user types it.
static bool smallWhole(const std::string& text, int32_t most, int32_t* value)
{
    return readWholeNumber(text, WholeForm{0, most, 5, true}, value);
}

bool parseSweepLnb(const std::string& text, int32_t* oscillatorMHz, std::string* problem)
{
    int32_t value = 0;
    if (lowered(text) == "universal") {
        *oscillatorMHz = 0;
        return true;
    }
    if (smallWhole(text, 99999, &value) && value >= 3000 && value <= 12000) {
        *oscillatorMHz = value;
        return true;
    }
    *problem = "the LNB is \"universal\" or its local oscillator in MHz (5150, 9750, 10750 ...), not \"" + text + "\"";
    return false;
}

bool parseSweepStep(const std::string& text, int32_t* stepMHz, std::string* problem)
{
    int32_t value = 0;
    if (smallWhole(text, largestSweepStepMHz, &value) && value >= 1) {
        *stepMHz = value;
        return true;
    }
    *problem = "the step is 1 to " + std::to_string(largestSweepStepMHz) + " MHz, not \"" + text + "\"";
    return false;
}

std::string sweepRequestWords(const SweepRequest& request)
{
    const int32_t code = request.diseqcCode >= 0 && request.diseqcCode < switchCodeCount ? request.diseqcCode : 0;
    return std::string("band=") + (request.band == SweepHighBand ? "high" : "low") +
           " pol=" + (request.polarization == 1 ? "V" : "H") + " switch=" + switchLetters[code] +
           " lnb=" + (request.oscillatorMHz ? std::to_string(request.oscillatorMHz) : std::string("universal")) +
           " step=" + std::to_string(request.stepMHz) + " try=" + (request.tryPeaks ? "1" : "0");
}

bool parseSweepRequestWords(const std::string& text, char separator, SweepRequest* request, std::string* problem)
{
    SweepRequest parsed;
    std::istringstream stream(text);
    for (std::string pair; std::getline(stream, pair, separator);) {
        if (pair.empty()) continue;
        const size_t equals = pair.find('=');
        const std::string key = pair.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
        bool ok = equals != std::string::npos;
        if (!ok) *problem = "\"" + pair + "\" is no KEY=VALUE";
        else if (key == "band") ok = parseSweepBand(value, &parsed.band, problem);
        else if (key == "pol") ok = parseSweepPolarization(value, &parsed.polarization, problem);
        else if (key == "switch") ok = parseSweepSwitch(value, &parsed.diseqcCode, problem);
        else if (key == "lnb") ok = parseSweepLnb(value, &parsed.oscillatorMHz, problem);
        else if (key == "step") ok = parseSweepStep(value, &parsed.stepMHz, problem);
        else if (key == "try" && (value == "0" || value == "1")) parsed.tryPeaks = value == "1";
        else {
            ok = false;
            *problem = "unknown sweep setting \"" + pair + "\"";
        }
        if (!ok) return false;
    }
    *request = parsed;
    return true;
}

CardTuning sweepStepTuning(const SweepPlan& plan, int32_t frequencyMHz, int32_t symbolRate)
{
    CardTuning tuning;
    tuning.lnbSelection = plan.toneOn ? 1 : 0;
    tuning.lnbFrequencyMHz = plan.oscillatorMHz;
    tuning.polarization = plan.request.polarization;
    tuning.symbolRate = symbolRate;
    tuning.frequencyMHz = frequencyMHz;
    tuning.diseqcCode = plan.request.diseqcCode;
    tuning.tuned = true;
    return tuning;
}

std::string sweepTitle(const SweepPlan& plan)
{
    std::string title;
    if (!plan.frequenciesMHz.empty())
        title =
            std::to_string(plan.frequenciesMHz.front()) + "-" + std::to_string(plan.frequenciesMHz.back()) + " MHz ";
    // A plan of the cable's own frequencies (no oscillator) has no LNB to speak of.
    if (plan.oscillatorMHz == 0) return title + "on the cable";
    title += plan.request.polarization == 1 ? "V" : "H";
    if (plan.request.oscillatorMHz == 0) title += plan.request.band == SweepHighBand ? ", high band" : ", low band";
    else title += ", LNB " + std::to_string(plan.oscillatorMHz) + " MHz";
    const int32_t code = plan.request.diseqcCode;
    if (code > 0 && code < switchCodeCount) title += std::string(", switch ") + switchLetters[code];
    return title;
}
