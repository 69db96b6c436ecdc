#include "cardbase/margin/link_margin.h"

#include <cmath>
#include <cstdio>

ModcodWord knownWord(const Modcod& modcod)
{
    ModcodWord word;
    word.known = true;
    word.modcod = modcod;
    word.gap = GapNone;
    return word;
}

ModcodWord missingWord(ModcodGap gap)
{
    ModcodWord word;
    word.gap = gap;
    return word;
}

static bool sameFields(const TunerModcodFields& a, const TunerModcodFields& b)
{
    if (a.systemState != b.systemState || a.modulationState != b.modulationState || a.rateState != b.rateState)
        return false;
    return (a.systemState != FieldDefinite || a.system == b.system) &&
           (a.modulationState != FieldDefinite || a.modulation == b.modulation) &&
           (a.rateState != FieldDefinite ||
            (a.rateNumerator == b.rateNumerator && a.rateDenominator == b.rateDenominator));
}

ModcodWord tunerWord(const TunerModcodFields& readBack, const TunerModcodFields& asked)
{
    if (sameFields(readBack, asked)) return missingWord(GapEcho);
    const FieldState states[] = {readBack.systemState, readBack.modulationState, readBack.rateState};
    for (FieldState state : states)
        if (state == FieldAutomatic) return missingWord(GapAutomatic);
    for (FieldState state : states)
        if (state == FieldOther) return missingWord(GapTunerOutside);
    const Modcod modcod{readBack.system, readBack.modulation, readBack.rateNumerator, readBack.rateDenominator};
    return hasThreshold(modcod) ? knownWord(modcod) : missingWord(GapTunerOutside);
}

struct DescriptorRate {
    uint8_t numerator, denominator;
};
// By the descriptor's FEC inner code; 0 is not defined, 15 is no convolutional coding.
static const DescriptorRate descriptorRates[] = {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {5, 6},
                                                 {7, 8}, {8, 9}, {3, 5}, {4, 5}, {9, 10}};
static const size_t descriptorRateCount = sizeof descriptorRates / sizeof descriptorRates[0];

ModcodWord networkWord(uint8_t modulationSystem, uint8_t modulationType, uint8_t fecInner)
{
    const DescriptorRate* rates = descriptorRates;
    const bool rateGiven = fecInner >= 1 && fecInner < descriptorRateCount;
    if (modulationSystem > 1 || modulationType == 0 || modulationType > 3 || !rateGiven)
        return missingWord(GapDescriptorVague);
    if (modulationType == 3) return missingWord(GapNetworkOutside);  // 16-QAM: no satellite system of ours
    const Modcod modcod{modulationSystem == 1 ? ModDvbS2 : ModDvbS, modulationType == 2 ? Mod8psk : ModQpsk,
                        rates[fecInner].numerator, rates[fecInner].denominator};
    return hasThreshold(modcod) ? knownWord(modcod) : missingWord(GapNetworkOutside);
}

bool descriptorFields(const Modcod& modcod, uint8_t* modulationSystem, uint8_t* modulationType, uint8_t* fecInner)
{
    if (!hasThreshold(modcod) || (modcod.modulation != ModQpsk && modcod.modulation != Mod8psk)) return false;
    for (size_t code = 1; code < descriptorRateCount; ++code) {
        if (descriptorRates[code].numerator != modcod.rateNumerator ||
            descriptorRates[code].denominator != modcod.rateDenominator)
            continue;
        *modulationSystem = modcod.system == ModDvbS2 ? 1 : 0;
        *modulationType = modcod.modulation == Mod8psk ? 2 : 1;
        *fecInner = static_cast<uint8_t>(code);
        return true;
    }
    return false;
}

ModcodChoice chooseModcod(const ModcodWord& tuner, const ModcodWord& network, const ModcodWord& user)
{
    const ModcodWord* words[] = {&tuner, &network, &user};
    const ModcodSource sources[] = {SourceTuner, SourceNetwork, SourceUser};
    ModcodChoice choice;
    for (int i = 0; i < 3; ++i) {
        if (!words[i]->known || !hasThreshold(words[i]->modcod)) continue;
        choice.source = sources[i];
        choice.modcod = words[i]->modcod;
        break;
    }
    return choice;
}

// To a tenth of a dB, never "-0.0".
static double shownMargin(double marginDb) { return std::round(marginDb * 10.0) / 10.0 + 0.0; }

MarginVerdict judgeMargin(double marginDb)
{
    const double shown = shownMargin(marginDb);
    if (shown >= goodMarginDb) return MarginGood;
    return shown >= 0.0 ? MarginMarginal : MarginFailing;
}

LinkMargin linkMargin(const MarginInputs& inputs)
{
    LinkMargin margin;
    if (!inputs.locked) return margin;
    margin.tunerGap = inputs.tuner.known ? GapNone : inputs.tuner.gap;
    margin.networkGap = inputs.network.known ? GapNone : inputs.network.gap;
    margin.choice = chooseModcod(inputs.tuner, inputs.network, inputs.user);
    if (margin.choice.source != SourceUnknown) requiredCarrierToNoiseDb(margin.choice.modcod, &margin.thresholdDb);
    if (!inputs.carrierToNoiseInDecibels || !std::isfinite(inputs.carrierToNoiseDb)) {
        margin.state = MarginNoDecibels;
    } else if (margin.choice.source == SourceUnknown) {
        margin.state = MarginNoModcod;
    } else {
        margin.state = MarginKnown;
        margin.marginDb = shownMargin(inputs.carrierToNoiseDb - margin.thresholdDb);
        margin.atLeast = inputs.carrierToNoiseAtLeast;
        margin.atMost = inputs.carrierToNoiseAtMost && !margin.atLeast;
        margin.verdict = judgeMargin(margin.marginDb);
    }
    return margin;
}

const char* sourceWord(ModcodSource source)
{
    switch (source) {
    case SourceTuner: return "tuner";
    case SourceNetwork: return "network";
    case SourceUser: return "user";
    case SourceUnknown: break;
    }
    return "unknown";
}

const char* verdictWord(MarginVerdict verdict)
{
    switch (verdict) {
    case MarginGood: return "good";
    case MarginMarginal: return "marginal";
    case MarginFailing: break;
    }
    return "failing";
}

const char* gapText(ModcodGap gap)
{
    switch (gap) {
    case GapNone: return "";
    case GapNotAsked: return "the tuner is not asked";
    case GapNotReported: return "the tuner does not report them";
    case GapAutomatic: return "the tuner reports automatic values";
    case GapEcho: return "the tuner gives back only what it was asked";
    case GapTunerOutside: return "the tuner reports values without a threshold here";
    case GapNetworkReading: return "the network's table is not read yet";
    case GapNoNetworkTable: return "no network information";
    case GapNoOwnEntry: return "the network's table has no entry for this stream";
    case GapNoDescriptor: return "this stream's entry has no satellite delivery system descriptor";
    case GapDescriptorVague: return "this stream's satellite delivery system descriptor gives no definite values";
    case GapNetworkOutside: return "the network gives values without a threshold here";
    case GapNotChosen: return "none chosen";
    case GapNotTunedHere: return "not tuned by azimora-dvb";
    case GapSystemUntold: return "the tuner's modulation and code rate do not tell DVB-S from DVB-S2";
    }
    return "";
}

std::string marginDecibelsText(double marginDb)
{
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f dB", shownMargin(marginDb));
    return text;
}

std::string marginFigureText(const LinkMargin& margin)
{
    return marginDecibelsText(margin.marginDb) + (margin.atLeast ? " or more" : margin.atMost ? " or less" : "");
}

std::string marginUnknownText(const LinkMargin& margin)
{
    switch (margin.state) {
    case MarginNoLock: return "no lock";
    case MarginNoDecibels: return "the tuner gives no C/N in dB";
    case MarginNoModcod: return "modulation and code rate unknown";
    case MarginKnown: break;
    }
    return "";
}

std::string modcodGapsText(const LinkMargin& margin)
{
    std::string text;
    for (ModcodGap gap : {margin.tunerGap, margin.networkGap}) {
        if (gap == GapNone) continue;
        if (!text.empty()) text += "; ";
        text += gapText(gap);
    }
    return text;
}

std::string modulationLine(const LinkMargin& margin)
{
    if (margin.state == MarginNoLock) return "modulation: unknown (no lock)";
    if (margin.choice.source == SourceUnknown) return "modulation: unknown (" + modcodGapsText(margin) + ")";
    return "modulation: " + modcodName(margin.choice.modcod) + " (" + sourceWord(margin.choice.source) + ")";
}

std::string marginLine(const LinkMargin& margin)
{
    if (margin.state != MarginKnown) return "margin: unknown (" + marginUnknownText(margin) + ")";
    return "margin: " + marginFigureText(margin) + " (" + verdictWord(margin.verdict) + ")";
}
