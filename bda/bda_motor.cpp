#include "bda/bda_motor.h"

#include "cardbase/settings_line.h"

// A transponder to raise the supply with where nothing was tuned yet.
static const int32_t supplyFrequencyMHz = 10714;

MotorSettings bdaMotorSettings(const std::string& fileBytes)
{
    bool inCodePage = false;
    return motorSettingsFrom(settingsFileText(fileBytes, &inCodePage));
}

SwitchRoute bdaMotorRoute(const SwitchMeans& means, SwitchChoice choice, SwitchRoute failed)
{
    return switchRouteAfter(0, failed, means, choice);
}

std::string motorRouteRefusal(SwitchRoute route)
{
    switch (route) {
    case SwitchByMaker:
    case SwitchByCommand: return "";
    case SwitchByLnbSource: return "the motor needs a DiSEqC command, which the LNB source cannot carry";
    case SwitchBySpaceRange:
    case SwitchByRangeProperty: return "the motor needs a DiSEqC command, which the input range cannot carry";
    default:
        return "the motor needs a DiSEqC command, which this tuner takes neither through its maker's set nor its node";
    }
}

BdaTuneValues bdaMotorSupplyValues(const CardTuning& tuning, bool tuned)
{
    CardTuning supply = tuning;
    if (!tuned) {
        supply = CardTuning();
        supply.frequencyMHz = supplyFrequencyMHz;
        supply.lnbSelection = 0;
        supply.lnbFrequencyMHz = 9750;
        supply.symbolRate = 27500;
    }
    supply.polarization = 0;
    supply.diseqcCode = 0;
    BdaTuneValues values = bdaTuneValuesFor(supply);
    values.lnb = lnbWithoutTone(values);
    return values;
}

static BdaStep stepOf(BdaStepKind kind, const LnbOscillators& lnb = LnbOscillators{}, uint32_t ms = 0)
{
    BdaStep step{};
    step.kind = kind;
    step.lnb = lnb;
    step.ms = ms;
    return step;
}

std::vector<BdaStep> bdaMotorSteps(const std::vector<MotorStep>& core, const MotorCommand& command, bool throughMaker,
                                   const LnbOscillators& lnb)
{
    std::vector<BdaStep> steps;
    // A driver that refuses commands is known before anything is tuned for them.
    if (!throughMaker) steps.push_back(stepOf(BdaStepEnableCommands));
    MotorStepKind previous = MotorTune;
    for (const MotorStep& each : core) {
        switch (each.kind) {
        case MotorToneOff:
            if (throughMaker) steps.push_back(stepOf(BdaStepMakerTone));
            break;
        case MotorSupply18:
            steps.push_back(stepOf(BdaStepRaiseSupply, lnb));
            // The tune's changes may have switched the node's commands off.
            if (!throughMaker) steps.push_back(stepOf(BdaStepEnableCommands));
            break;
        case MotorPause:
            steps.push_back(stepOf(previous == MotorSupply18 ? BdaStepSettle : BdaStepPause, lnb, each.ms));
            break;
        case MotorSend:
            steps.push_back(bdaCommandStep(throughMaker ? BdaStepMakerCommand : BdaStepCommand, command.bytes,
                                           command.length, true));
            break;
        case MotorHoldUntilThere:
        case MotorTune: break;
        }
        previous = each.kind;
    }
    return steps;
}
