#include "dvb/helper/frontend/remote_tuning.h"

const char remoteLnbName[] = "EXTENDED";

// libdvbv5's EXTENDED LNB, in kHz: the low band up to and including the
// switch frequency, the high band above it.
static constexpr uint32_t lowOscillator = 9750000;
static constexpr uint32_t highOscillator = 10600000;
static constexpr uint32_t lowestInput = 10700000;
static constexpr uint32_t switchInput = 11700000;
static constexpr uint32_t highestInput = 12750000;

RemoteTuning remoteTuningFor(const FrontendPlan& plan)
{
    RemoteTuning remote{};
    remote.satelliteNumber = plan.switchPort;
    remote.horizontal = plan.horizontal;
    const uint64_t oscillator = plan.toneOn ? highOscillator : lowOscillator;
    uint64_t input = oscillator + plan.intermediateKHz;
    if (plan.toneOn && input == switchInput) ++input;
    const bool reachable =
        plan.toneOn ? input > switchInput && input <= highestInput : input >= lowestInput && input <= switchInput;
    remote.frequencyKHz = reachable ? static_cast<uint32_t>(input) : 0;
    remote.intermediateKHz = reachable ? static_cast<uint32_t>(input - oscillator) : 0;
    const bool ownRules = remote.satelliteNumber < 2;
    remote.voltage = ownRules ? plan.voltage : Voltage13;
    remote.toneOn = ownRules && plan.toneOn;
    remote.sendsDiseqc = plan.switchPort != noSwitchPort;
    if (remote.sendsDiseqc) committedSwitchCommand(plan.switchPort, plan.horizontal, plan.toneOn, remote.diseqc);
    return remote;
}
