#include "bda/bda_start_steps.h"

static BdaStep step(BdaStepKind kind)
{
    BdaStep step{};
    step.kind = kind;
    return step;
}

static BdaStep tune(const LnbOscillators& lnb)
{
    BdaStep tune = step(BdaStepTune);
    tune.lnb = lnb;
    return tune;
}

static BdaStep wait(BdaStepKind kind, uint32_t ms)
{
    BdaStep wait = step(kind);
    wait.ms = ms;
    return wait;
}

BdaStep bdaStepOf(BdaStepKind kind, const LnbOscillators& lnb, uint32_t ms)
{
    BdaStep each = step(kind);
    each.lnb = lnb;
    each.ms = ms;
    return each;
}

void addCommandLead(std::vector<BdaStep>& steps, BdaCommandLead lead, bool throughMaker, const LnbOscillators& lnb,
                    uint32_t ms, bool afterSupply)
{
    switch (lead) {
    case BdaLeadToneOff:
        // Every tune of the sequence is without tone; a maker's set may have been told otherwise.
        if (throughMaker) steps.push_back(step(BdaStepMakerTone));
        break;
    case BdaLeadSupply18:
        steps.push_back(bdaStepOf(BdaStepRaiseSupply, lnb));
        // The tune's changes may have switched the node's commands off.
        if (!throughMaker) steps.push_back(step(BdaStepEnableCommands));
        break;
    case BdaLeadPause: steps.push_back(bdaStepOf(afterSupply ? BdaStepSettle : BdaStepPause, lnb, ms)); break;
    }
}

std::string commandRouteRefusal(SwitchRoute route, const std::string& needer)
{
    switch (route) {
    case SwitchByMaker:
    case SwitchByCommand: return "";
    case SwitchByLnbSource: return needer + " needs a DiSEqC command, which the LNB source cannot carry";
    case SwitchBySpaceRange:
    case SwitchByRangeProperty: return needer + " needs a DiSEqC command, which the input range cannot carry";
    default:
        return needer + " needs a DiSEqC command, which this tuner takes neither through its maker's set nor its node";
    }
}

BdaStep bdaCommandStep(BdaStepKind kind, const uint8_t* bytes, size_t length, bool required)
{
    BdaStep command = step(kind);
    if (length > maxBdaCommandBytes) length = maxBdaCommandBytes;
    for (size_t i = 0; i < length; ++i) command.command[i] = bytes[i];
    command.commandLength = static_cast<uint8_t>(length);
    command.required = required;
    return command;
}

static void addCommandSteps(std::vector<BdaStep>& steps, const BdaTuneValues& values, bool throughMaker)
{
    const BdaStepKind sending = throughMaker ? BdaStepMakerCommand : BdaStepCommand;
    // A driver that refuses commands is known before anything is tuned for
    // them; they are enabled again after the tune, whose changes may have
    // switched them off. A maker's set needs neither.
    if (!throughMaker) steps.push_back(step(BdaStepEnableCommands));
    steps.push_back(tune(lnbWithoutTone(values)));
    steps.push_back(wait(BdaStepSettle, poweredLnbSettleMs));
    if (!throughMaker) steps.push_back(step(BdaStepEnableCommands));
    // The repeat is for a switch that missed the first one while it woke
    // up; the first having gone out, the repeat's own result does not matter.
    const BdaStep first = bdaCommandStep(sending, values.switchCommand, sizeof values.switchCommand, true);
    BdaStep repeat = first;
    repeat.required = false;
    steps.push_back(first);
    steps.push_back(wait(BdaStepPause, diseqcRepeatMs));
    steps.push_back(repeat);
    steps.push_back(wait(BdaStepPause, diseqcQuietMs));
    if (values.toneBurst != NoToneBurst) {
        BdaStep burst = step(throughMaker ? BdaStepMakerBurst : BdaStepToneBurst);
        burst.burstB = values.toneBurst == ToneBurstB;
        steps.push_back(burst);
        steps.push_back(wait(BdaStepPause, diseqcQuietMs));
        // TurboSight's drivers leave the tone as the burst left it until told.
        if (throughMaker) {
            BdaStep tone = step(BdaStepMakerTone);
            tone.toneOn = values.carrierKHz >= values.lnb.switchKHz;
            steps.push_back(tone);
        }
    }
}

std::vector<BdaStep> bdaStartSteps(const BdaTuneValues& values, SwitchRoute route, const InputRangeForms& forms)
{
    std::vector<BdaStep> steps;
    if (route == SwitchUnreachable) return steps;
    BdaStep space = step(BdaStepSpaceRange);
    space.required = route == SwitchBySpaceRange;
    if (space.required) space.rangeText = forms.port[values.switchPort & 3];
    steps.push_back(space);
    if (route == SwitchByCommand || route == SwitchByMaker) addCommandSteps(steps, values, route == SwitchByMaker);
    if (route == SwitchByRangeProperty) {
        BdaStep range = step(BdaStepRangeProperty);
        range.range = values.inputRange;
        steps.push_back(range);
    }
    steps.push_back(tune(values.lnb));
    return steps;
}

uint32_t bdaStepsBoundMs(const std::vector<BdaStep>& steps)
{
    uint32_t bound = 0;
    for (const BdaStep& each : steps) {
        switch (each.kind) {
        case BdaStepTune:
        case BdaStepRaiseSupply: bound += tuneAllowanceMs; break;
        case BdaStepSettle:
        case BdaStepPause: bound += each.ms; break;
        default: bound += callAllowanceMs; break;
        }
    }
    return bound;
}
