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

static BdaStep command(BdaStepKind kind, const uint8_t bytes[4], bool required)
{
    BdaStep command = step(kind);
    for (int i = 0; i < 4; ++i) command.command[i] = bytes[i];
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
    // A maker's message may carry a burst of its own: the one of the port's position.
    BdaStep first = command(sending, values.switchCommand, true);
    first.burstB = throughMaker && (values.switchPort & 1) != 0;
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
        case BdaStepTune: bound += tuneAllowanceMs; break;
        case BdaStepSettle:
        case BdaStepPause: bound += each.ms; break;
        default: bound += callAllowanceMs; break;
        }
    }
    return bound;
}
