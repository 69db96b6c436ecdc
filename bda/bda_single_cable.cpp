#include "bda/bda_single_cable.h"

#include <cstdio>

#include "cardbase/settings_line.h"

BdaSingleCable singleCableFromSettings(const std::string& fileBytes)
{
    BdaSingleCable cable;
    bool inCodePage = false;
    std::string value;
    if (!findSettingLine(settingsFileText(fileBytes, &inCodePage), "scr", &value)) return cable;
    cable.asked = true;
    if (!parseSingleCable(value, &cable.setting, &cable.refusal) && cable.refusal.empty())
        cable.refusal = "\"" + value + "\" is no single-cable setting";
    return cable;
}

BdaTuneValues bdaSingleCableValues(const CardTuning& tuning, const SingleCablePlan& plan)
{
    BdaTuneValues values{};
    const LnbOscillators lnb = lnbOscillatorsFor(tuning);
    values.lnb = lnb;
    values.carrierKHz = lnb.lowKHz + static_cast<int32_t>(plan.demodulatorKHz);
    values.lnb = lnbWithoutTone(values);
    values.symbolRate = tuning.symbolRate;
    values.polarisation = bdaPolarisationVertical;
    values.switchPort = plan.position - 1;
    values.toneBurst = NoToneBurst;
    values.lnbSource = bdaLnbSourceNotSet;
    values.inputRange = bdaRangeNotSet;
    return values;
}

std::string singleCableRouteRefusal(SwitchRoute route) { return commandRouteRefusal(route, "it"); }

// One step of the core's data: 13 V is the measuring tune itself, and
// the LNB goes unpowered with the graph's stop, as at every release.
static void addStep(std::vector<BdaStep>& steps, const SingleCableStep& each, SingleCableStepKind previous,
                    const SingleCablePlan& plan, bool throughMaker, const LnbOscillators& lnb)
{
    const BdaStepKind sending = throughMaker ? BdaStepMakerCommand : BdaStepCommand;
    switch (each.kind) {
    case ScrToneOff: addCommandLead(steps, BdaLeadToneOff, throughMaker, lnb); break;
    case ScrSupply18: addCommandLead(steps, BdaLeadSupply18, throughMaker, lnb); break;
    case ScrPause: addCommandLead(steps, BdaLeadPause, throughMaker, lnb, each.ms, previous == ScrSupply18); break;
    case ScrCommand: steps.push_back(bdaCommandStep(sending, plan.command.bytes, plan.command.length, true)); break;
    case ScrPowerOff: steps.push_back(bdaCommandStep(sending, plan.powerOff.bytes, plan.powerOff.length, false)); break;
    case ScrSupply13: steps.push_back(bdaStepOf(BdaStepTune, lnb)); break;
    case ScrTune:
        if (previous != ScrSupply13) steps.push_back(bdaStepOf(BdaStepTune, lnb));
        break;
    case ScrSupplyOff: break;
    }
}

std::vector<BdaStep> bdaSingleCableSteps(ScrSequence sequence, const SingleCablePlan& plan, bool throughMaker,
                                         const LnbOscillators& lnb, uint32_t random)
{
    std::vector<BdaStep> steps;
    if (sequence == ScrStartSequence) steps.push_back(bdaStepOf(BdaStepSpaceRange));
    // A driver that refuses commands is known before anything is tuned for them.
    if (!throughMaker) steps.push_back(bdaStepOf(BdaStepEnableCommands));
    const std::vector<SingleCableStep> core = sequence == ScrStartSequence   ? singleCableTuneSteps()
                                              : sequence == ScrRetrySequence ? singleCableRetrySteps(random)
                                                                             : singleCableReleaseSteps();
    SingleCableStepKind previous = ScrSupplyOff;
    for (const SingleCableStep& each : core) {
        addStep(steps, each, previous, plan, throughMaker, lnb);
        previous = each.kind;
    }
    return steps;
}

bool scrRetryDue(ScrRetry& retry, bool locked, uint32_t nowMs, uint32_t waitMs)
{
    if (locked) retry.locked = true;
    if (retry.done || retry.locked || nowMs - retry.startMs < waitMs) return false;
    retry.done = true;
    return true;
}

static std::string tuneText(const char* polarisation, const BdaStep& step, int32_t carrierKHz)
{
    const bool tone = carrierKHz >= step.lnb.switchKHz;
    return std::string("tune ") + polarisation + " " + std::to_string(carrierKHz) + " kHz, " +
           (tone ? "tone" : "no tone");
}

static std::string commandText(const BdaStep& step)
{
    std::string text = step.kind == BdaStepMakerCommand ? "set's command" : "command";
    for (size_t i = 0; i < step.commandLength; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", step.command[i]);
        text += hex;
    }
    return text;
}

std::string bdaStepsText(const std::vector<BdaStep>& steps, int32_t carrierKHz)
{
    std::string text;
    for (const BdaStep& step : steps) {
        std::string part;
        switch (step.kind) {
        case BdaStepTune: part = tuneText("V", step, carrierKHz); break;
        case BdaStepRaiseSupply: part = tuneText("H", step, carrierKHz); break;
        case BdaStepSettle:
        case BdaStepPause: part = std::to_string(step.ms) + " ms"; break;
        case BdaStepCommand:
        case BdaStepMakerCommand: part = commandText(step); break;
        case BdaStepMakerTone: part = step.toneOn ? "set's tone on" : "set's tone off"; break;
        default: break;
        }
        if (part.empty()) continue;
        if (!text.empty()) text += "; ";
        text += part;
    }
    return text;
}
