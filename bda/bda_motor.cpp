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

std::string motorRouteRefusal(SwitchRoute route) { return commandRouteRefusal(route, "the motor"); }

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

std::vector<BdaStep> bdaMotorSteps(const std::vector<MotorStep>& core, const MotorCommand& command, bool throughMaker,
                                   const LnbOscillators& lnb)
{
    std::vector<BdaStep> steps;
    // A driver that refuses commands is known before anything is tuned for them.
    if (!throughMaker) steps.push_back(bdaStepOf(BdaStepEnableCommands));
    MotorStepKind previous = MotorTune;
    for (const MotorStep& each : core) {
        switch (each.kind) {
        case MotorToneOff: addCommandLead(steps, BdaLeadToneOff, throughMaker, lnb); break;
        case MotorSupply18: addCommandLead(steps, BdaLeadSupply18, throughMaker, lnb); break;
        case MotorPause:
            addCommandLead(steps, BdaLeadPause, throughMaker, lnb, each.ms, previous == MotorSupply18);
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
