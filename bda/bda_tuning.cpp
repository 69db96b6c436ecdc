#include "bda/bda_tuning.h"

#include "cardbase/frontend_plan.h"

static constexpr int32_t bandBoundaryKHz = 11700000;
// How far above the carrier the switch frequency goes for a tune without tone.
static constexpr int32_t toneOffMarginKHz = 1000;

static int32_t kiloHertz(int32_t megaHertz)
{
    if (megaHertz <= 0) return 0;
    if (megaHertz > INT32_MAX / 1000) return INT32_MAX;
    return megaHertz * 1000;
}

LnbOscillators lnbOscillatorsFor(const CardTuning& tuning)
{
    const int32_t oscillator = kiloHertz(tuning.lnbFrequencyMHz);
    return LnbOscillators{oscillator, oscillator, bandBoundaryKHz};
}

LnbOscillators lnbWithoutTone(const BdaTuneValues& values)
{
    LnbOscillators lnb = values.lnb;
    if (values.carrierKHz >= lnb.switchKHz)
        lnb.switchKHz =
            values.carrierKHz > INT32_MAX - toneOffMarginKHz ? INT32_MAX : values.carrierKHz + toneOffMarginKHz;
    return lnb;
}

int32_t oscillatorForCarrierKHz(const LnbOscillators& lnb, int32_t carrierKHz)
{
    return carrierKHz >= lnb.switchKHz ? lnb.highKHz : lnb.lowKHz;
}

BdaTuneValues bdaTuneValuesFor(const CardTuning& tuning)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    BdaTuneValues values{};
    values.lnb = lnbOscillatorsFor(tuning);
    values.carrierKHz = kiloHertz(tuning.frequencyMHz);
    values.symbolRate = tuning.symbolRate;
    values.polarisation = plan.horizontal ? bdaPolarisationHorizontal : bdaPolarisationVertical;
    values.switchPort = plan.switchPort;
    for (int i = 0; i < 4; ++i) values.switchCommand[i] = plan.diseqc[i];
    values.toneBurst = plan.switchPort == noSwitchPort ? NoToneBurst : plan.toneBurst;
    const bool port = plan.switchPort != noSwitchPort;
    values.lnbSource = port ? bdaLnbSourceA + plan.switchPort : bdaLnbSourceNotSet;
    values.inputRange = port ? 1 + plan.switchPort : bdaRangeNotSet;
    return values;
}

static bool offered(SwitchRoute route, const SwitchMeans& means)
{
    switch (route) {
    case SwitchByMaker: return means.maker;
    case SwitchByCommand: return means.commands;
    case SwitchByLnbSource: return means.lnbSource;
    case SwitchBySpaceRange: return means.spaceRange;
    case SwitchByRangeProperty: return means.rangeProperty;
    default: return false;
    }
}

static bool chosen(SwitchRoute route, SwitchChoice choice)
{
    switch (choice) {
    case SwitchOnlyCommand: return route == SwitchByCommand;
    case SwitchOnlyMaker: return route == SwitchByMaker;
    case SwitchOnlyLnbSource: return route == SwitchByLnbSource;
    case SwitchOnlyRange: return route == SwitchBySpaceRange || route == SwitchByRangeProperty;
    case SwitchAuto: break;
    }
    return true;
}

SwitchRoute switchRouteAfter(int switchPort, SwitchRoute failed, const SwitchMeans& means, SwitchChoice choice)
{
    if (switchPort == noSwitchPort) return NoSwitchAsked;
    // Nothing tells whether a driver acted on the LNB source: it is never followed by another route.
    if (failed == SwitchByLnbSource || failed == SwitchUnreachable) return SwitchUnreachable;
    for (int route = failed + 1; route < SwitchUnreachable; ++route) {
        const SwitchRoute each = static_cast<SwitchRoute>(route);
        if (chosen(each, choice) && offered(each, means)) return each;
    }
    return SwitchUnreachable;
}

int32_t lnbSourceFor(const BdaTuneValues& values, SwitchRoute route)
{
    return route == SwitchByLnbSource ? values.lnbSource : bdaLnbSourceNotSet;
}

std::string switchRouteText(SwitchRoute route, BdaMaker maker)
{
    switch (route) {
    case SwitchByMaker: return std::string(makerName(maker)) + "'s property set";
    case SwitchByCommand: return "DiSEqC command";
    case SwitchByLnbSource: return "LNB source";
    case SwitchBySpaceRange: return "input range";
    case SwitchByRangeProperty: return "RF tuner's range";
    default: return "";
    }
}

std::string bdaCardLine(const std::string& card, const BdaCardFacts& facts)
{
    if (!facts.refusal.empty()) return card + "; single cable refused: " + facts.refusal;
    const std::string route = switchRouteText(facts.served, facts.maker);
    if (route.empty()) return card;
    std::string line = card + (facts.singleCable ? "; single cable by " : "; switch: ") + route;
    if (facts.served == SwitchByMaker && !facts.otherMaker.empty())
        line += "; the tuner's name fits " + facts.otherMaker + ", not " + makerName(facts.maker);
    return line;
}
