#include "sim/dish/dish_cable.h"

#include <cmath>
#include <vector>

#include "cardbase/sky/link_budget.h"
#include "sim/dish/dish_setup.h"
#include "tuner/lnb_rules.h"

DishCable newDishCable(const ScrDeviceSetup& setup)
{
    DishCable cable;
    resetScrDevice(cable.device, setup);
    return cable;
}

static std::string heard(DishCable& cable, const char* name, const SingleCableCommand& command, bool supplyLost,
                         uint32_t nowMs)
{
    cable.lastCommand = singleCableCommandText(command);
    const std::string line = std::string(name) + " " + cable.lastCommand + " -> ";
    if (!cable.device.setup.present) {
        cable.lastHeard = ScrNotForIt;
        return line + "no device";
    }
    cable.lastHeard =
        scrDeviceHears(cable.device, command.bytes, command.length, cable.supply18 && !supplyLost, cable.toneOn, nowMs);
    return line + scrHeardName(cable.lastHeard);
}

std::string cableStep(DishCable& cable, const SingleCableStep& step, const SingleCablePlan& plan, bool supplyLost,
                      uint32_t nowMs)
{
    switch (step.kind) {
    case ScrToneOff: cable.toneOn = false; return "ScrTone off";
    case ScrSupply18: cable.supply18 = true; return "ScrSupply 18";
    case ScrSupply13: cable.supply18 = false; return "ScrSupply 13";
    case ScrSupplyOff: cable.supply18 = false; return "ScrSupply off";
    case ScrPause: return "ScrPause " + std::to_string(step.ms);
    case ScrCommand: return heard(cable, "ScrCommand", plan.command, supplyLost, nowMs);
    case ScrPowerOff: return heard(cable, "ScrPowerOff", plan.powerOff, supplyLost, nowMs);
    case ScrTune:
        cable.demodulatorKHz = plan.demodulatorKHz;
        return "ScrTune " + std::to_string(plan.demodulatorKHz) + " kHz";
    }
    return "";
}

bool sameCarrier(const Transponder& transponder, const CardTuning& tuning)
{
    return transponderMatches(transponder, tuning.frequencyMHz, tuning.polarization, tuning.symbolRate);
}

bool cableNeighbourTurn(DishCable& cable, const Satellite& satellite, const CardTuning& ours, uint32_t nowMs)
{
    const ScrDeviceSetup& setup = cable.device.setup;
    if (!setup.present || setup.neighbourBand < 1) return false;
    std::vector<const Transponder*> followed, others;
    for (const Transponder& transponder : satellite.transponders) {
        if (isCBand(transponder.frequencyMHz) || !lnbCovers(transponder.frequencyMHz)) continue;
        if (transponder.polarization != 0 && transponder.polarization != 1) continue;
        if (sameCarrier(transponder, ours)) continue;
        const bool follows = std::fabs(static_cast<double>(ours.symbolRate) - transponder.symbolRate) <=
                             symbolRateTolerance * transponder.symbolRate;
        (follows ? followed : others).push_back(&transponder);
    }
    const std::vector<const Transponder*>& pool = followed.empty() ? others : followed;
    if (pool.empty()) return false;
    const Transponder& asked = *pool[cable.neighbourTurns % pool.size()];
    const int32_t oscillator = lnbFrequencyFor(asked.frequencyMHz);
    const uint32_t intermediateKHz = static_cast<uint32_t>(asked.frequencyMHz - oscillator) * 1000;
    if (!scrNeighbourAdvance(cable.device, nowMs, intermediateKHz, asked.polarization == 0,
                             lnbSelectionFor(asked.frequencyMHz) == 1))
        return false;
    ++cable.neighbourTurns;
    return true;
}

bool cableTuningAtLnb(const DishCable& cable, const CardTuning& programTuning, CardTuning* reached, int* position)
{
    ScrSource source;
    if (!cable.device.setup.present || !scrCableSource(cable.device, cable.demodulatorKHz, &source)) return false;
    const ScrBandContent& content = *source.content;
    CardTuning at = programTuning;
    at.lnbSelection = content.highBand ? 1 : 0;
    at.lnbFrequencyMHz = content.highBand ? highBandLnbMHz : lowBandLnbMHz;
    at.polarization = content.horizontal ? 0 : 1;
    at.frequencyMHz = static_cast<int32_t>((source.lnbIfKHz + 500) / 1000) + at.lnbFrequencyMHz;
    *reached = at;
    *position = content.position;
    return true;
}

bool lnbAtPosition(uint32_t lnbPorts, int position)
{
    for (int32_t code = 0; code <= 6; ++code)
        if (singleCablePosition(code) == position && (lnbPorts & diseqcPortBit(code))) return true;
    return false;
}
