#include "dvb/helper/frontend/tuning_sequence.h"

#include <algorithm>

#include "dvb/helper/frontend/frontend_log.h"
#include "dvb/helper/frontend/remote_tuning.h"

bool operator==(const SystemAttempt& a, const SystemAttempt& b)
{
    return a.dvbs2 == b.dvbs2 && a.modulation == b.modulation && a.codeRate == b.codeRate && a.rolloff == b.rolloff;
}

bool operator!=(const SystemAttempt& a, const SystemAttempt& b) { return !(a == b); }

// Broadcasting on Ku band uses 8PSK 2/3 and 3/4 most, then QPSK 3/4 and
// 8PSK 5/6; QPSK 1/2 and the highest rates are rare.
const SystemAttempt namedDvbS2[namedDvbS2Count] = {
    {true, Psk8Modulation, CodeRate2_3},  {true, Psk8Modulation, CodeRate3_4}, {true, QpskModulation, CodeRate3_4},
    {true, Psk8Modulation, CodeRate5_6},  {true, QpskModulation, CodeRate2_3}, {true, Psk8Modulation, CodeRate3_5},
    {true, QpskModulation, CodeRate5_6},  {true, QpskModulation, CodeRate4_5}, {true, QpskModulation, CodeRate3_5},
    {true, QpskModulation, CodeRate8_9},  {true, Psk8Modulation, CodeRate8_9}, {true, QpskModulation, CodeRate9_10},
    {true, Psk8Modulation, CodeRate9_10}, {true, QpskModulation, CodeRate1_2},
};

bool operator==(const TransponderKey& a, const TransponderKey& b)
{
    return a.intermediateKHz == b.intermediateKHz && a.symbolsPerSecond == b.symbolsPerSecond && a.toneOn == b.toneOn &&
           a.horizontal == b.horizontal && a.switchPort == b.switchPort;
}

TransponderKey transponderKeyOf(const CardTuning& tuning)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    return TransponderKey{plan.intermediateKHz, plan.symbolsPerSecond, plan.toneOn, plan.horizontal, plan.switchPort};
}

static bool within(uint32_t value, uint32_t lowest, uint32_t highest)
{
    // A frontend that gives no upper limit (0) is held to none.
    return value >= lowest && (highest == 0 || value <= highest);
}

static std::string valueRefusal(const CardTuning& tuning)
{
    if (tuning.lnbSelection != 0 && tuning.lnbSelection != 1)
        return "band " + std::to_string(tuning.lnbSelection) + " is neither 0 nor 1";
    const int32_t oscillator = tuning.lnbFrequencyMHz;
    if (oscillator != 5150 && oscillator != 9750 && oscillator != 10600)
        return "oscillator " + std::to_string(oscillator) + " MHz is not 5150, 9750 or 10600";
    if (tuning.polarization != 0 && tuning.polarization != 1 && tuning.polarization != 3)
        return "polarization " + std::to_string(tuning.polarization) + " is not 0, 1 or 3";
    if (tuning.diseqcCode < 0 || tuning.diseqcCode > 6)
        return "DiSEqC code " + std::to_string(tuning.diseqcCode) + " is not 0 to 6";
    if (tuning.frequencyMHz <= 0 || tuning.symbolRate <= 0) return "frequency and symbol rate must be above 0";
    return "";
}

const char remoteSingleCableRefusal[] =
    "single cable needs azimora-dvb at the card: dvbv5-daemon cannot carry the device's steps";

static std::string frequencyRangeRefusal(const FrontendAbilities& abilities)
{
    return "the frontend tunes " + std::to_string(abilities.lowestKHz) + " - " + std::to_string(abilities.highestKHz) +
           " kHz";
}

std::string tuningRefusal(const CardTuning& tuning, const FrontendAbilities& abilities,
                          const SingleCableUse& singleCable)
{
    const std::string value = valueRefusal(tuning);
    if (!value.empty()) return value;
    const FrontendPlan plan = frontendPlanFor(tuning);
    if (!abilities.dvbs && !abilities.dvbs2) return "the frontend offers no satellite system";
    if (!within(plan.symbolsPerSecond, abilities.lowestSymbolRate, abilities.highestSymbolRate))
        return "the frontend takes symbol rates " + std::to_string(abilities.lowestSymbolRate) + " - " +
               std::to_string(abilities.highestSymbolRate);
    if (singleCable.used) {
        if (abilities.remote) return remoteSingleCableRefusal;
        const SingleCablePlan device = singleCablePlanFor(tuning, singleCable.setting);
        if (!device.refusal.empty()) return device.refusal;
        if (!within(device.demodulatorKHz, abilities.lowestKHz, abilities.highestKHz))
            return frequencyRangeRefusal(abilities);
        return "";
    }
    if (abilities.remote) {
        if (remoteTuningFor(plan).frequencyKHz == 0) return "libdvbv5's EXTENDED LNB cannot give this band";
    } else if (!within(plan.intermediateKHz, abilities.lowestKHz, abilities.highestKHz)) {
        return frequencyRangeRefusal(abilities);
    }
    return "";
}

SequenceStep supplyStep(LnbVoltage voltage)
{
    SequenceStep step{};
    step.kind = StepSupply;
    step.voltage = voltage;
    return step;
}

SequenceStep toneStep(bool on)
{
    SequenceStep step{};
    step.kind = StepTone;
    step.on = on;
    return step;
}

SequenceStep pauseStep(uint32_t ms)
{
    SequenceStep step{};
    step.kind = StepPause;
    step.pauseMs = ms;
    return step;
}

SequenceStep switchCommandStep(const uint8_t* command, size_t length)
{
    SequenceStep step{};
    step.kind = StepSwitchCommand;
    step.commandLength = static_cast<uint8_t>(std::min(length, longestCommandBytes));
    std::copy(command, command + step.commandLength, step.command);
    return step;
}

static SequenceStep burstStep(bool b)
{
    SequenceStep step{};
    step.kind = StepBurst;
    step.on = b;
    return step;
}

// Ours: the command twice, and the burst for the letters "A" and "B",
// which on a simple tone-burst switch pick its input.
static std::vector<SequenceStep> localSteps(const FrontendPlan& plan, bool supplyWasOn)
{
    std::vector<SequenceStep> steps{supplyStep(plan.voltage)};
    if (plan.switchPort != noSwitchPort) {
        steps.push_back(pauseStep(supplyWasOn ? diseqcQuietMs : poweredLnbSettleMs));
        steps.push_back(toneStep(false));
        steps.push_back(pauseStep(diseqcQuietMs));
        steps.push_back(switchCommandStep(plan.diseqc, sizeof plan.diseqc));
        steps.push_back(pauseStep(diseqcRepeatMs));
        steps.push_back(switchCommandStep(plan.diseqc, sizeof plan.diseqc));
        steps.push_back(pauseStep(diseqcQuietMs));
        if (plan.toneBurst != NoToneBurst) {
            steps.push_back(burstStep(plan.toneBurst == ToneBurstB));
            steps.push_back(pauseStep(diseqcQuietMs));
        }
    }
    steps.push_back(toneStep(plan.toneOn));
    return steps;
}

// What libdvbv5 on the daemon's side sends for the tune (see remote_tuning.h).
static std::vector<SequenceStep> remoteSteps(const RemoteTuning& remote)
{
    std::vector<SequenceStep> steps{supplyStep(remote.voltage), toneStep(false)};
    if (remote.sendsDiseqc) {
        steps.push_back(switchCommandStep(remote.diseqc, sizeof remote.diseqc));
        if (remote.satelliteNumber < 2) steps.push_back(burstStep(remote.satelliteNumber == 1));
    }
    steps.push_back(toneStep(remote.toneOn));
    return steps;
}

std::vector<SequenceStep> singleCableSequenceSteps(const std::vector<SingleCableStep>& steps,
                                                   const SingleCableCommand& command,
                                                   const SingleCableCommand& powerOff)
{
    std::vector<SequenceStep> out;
    for (const SingleCableStep& step : steps) {
        switch (step.kind) {
        case ScrToneOff: out.push_back(toneStep(false)); break;
        case ScrSupply18: out.push_back(supplyStep(Voltage18)); break;
        case ScrSupply13: out.push_back(supplyStep(Voltage13)); break;
        case ScrSupplyOff: out.push_back(supplyStep(VoltageOff)); break;
        case ScrPause: out.push_back(pauseStep(step.ms)); break;
        case ScrCommand: out.push_back(switchCommandStep(command.bytes, command.length)); break;
        case ScrPowerOff: out.push_back(switchCommandStep(powerOff.bytes, powerOff.length)); break;
        case ScrTune: break;
        }
    }
    return out;
}

// A driver that refuses an automatic roll-off is asked for its DVB-S2
// attempts with 0.35 first (DVB-S2's most common, and what was always
// asked), then all of them again with 0.20, then with 0.25; a known one that
// needs its modulation named but takes an automatic roll-off gets one
// (cx24117 then tries the three itself); any other keeps 0.35. Drivers
// that ignore the roll-off have no attempt with one named to collapse.
static std::vector<SystemAttempt> withRolloffs(const std::vector<SystemAttempt>& attempts, const FrontendTraits& traits)
{
    const auto named = [](const SystemAttempt& attempt) {
        return attempt.dvbs2 && attempt.modulation != AutomaticModulation;
    };
    std::vector<SystemAttempt> out;
    for (SystemAttempt attempt : attempts) {
        if (named(attempt))
            attempt.rolloff = hasTrait(traits, TraitNamesRolloff)      ? Rolloff35
                              : hasTrait(traits, TraitNamesModulation) ? RolloffAutomatic
                                                                       : RolloffImplied;
        out.push_back(attempt);
    }
    if (!hasTrait(traits, TraitNamesRolloff)) return out;
    for (AttemptRolloff rolloff : {Rolloff20, Rolloff25})
        for (SystemAttempt attempt : attempts) {
            if (!named(attempt)) continue;
            attempt.rolloff = rolloff;
            out.push_back(attempt);
        }
    return out;
}

// What the driver can tell apart, each once. Where it takes automatic
// values, DVB-S2 with all of them comes first: a driver that searches both
// systems finds either with it.
static std::vector<SystemAttempt> namedAttemptsFor(const FrontendAbilities& abilities)
{
    const FrontendTraits& traits = abilities.traits;
    if (hasTrait(traits, TraitFindsEitherSystem) && abilities.dvbs2) return {AttemptDvbS2Automatic};
    const bool namesCodeRate = hasTrait(traits, TraitNamesCodeRate);
    const bool namesModulation = namesCodeRate || hasTrait(traits, TraitNamesModulation);
    std::vector<SystemAttempt> attempts;
    if (abilities.dvbs2 && !namesModulation) attempts.push_back(AttemptDvbS2Automatic);
    if (abilities.dvbs) attempts.push_back(AttemptDvbS);
    if (!abilities.dvbs2 || hasTrait(traits, TraitIgnoresModulation)) return attempts;
    if (namesCodeRate) {
        attempts.insert(attempts.end(), namedDvbS2, namedDvbS2 + namedDvbS2Count);
    } else {
        attempts.push_back(AttemptDvbS2Qpsk);
        attempts.push_back(AttemptDvbS2Psk8);
    }
    return attempts;
}

static std::vector<SystemAttempt> attemptsFor(const FrontendAbilities& abilities)
{
    return withRolloffs(namedAttemptsFor(abilities), abilities.traits);
}

TuningSequence buildTuningSequence(const CardTuning& tuning, const FrontendAbilities& abilities, bool supplyWasOn,
                                   const SystemAttempt* remembered, const SingleCableUse& singleCable, uint32_t random)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    TuningSequence sequence;
    sequence.intermediateKHz = plan.intermediateKHz;
    sequence.frequencyKHz = plan.intermediateKHz;
    sequence.symbolsPerSecond = plan.symbolsPerSecond;
    sequence.horizontal = plan.horizontal;
    sequence.key = transponderKeyOf(tuning);
    if (abilities.remote) {
        const RemoteTuning remote = remoteTuningFor(plan);
        sequence.steps = remoteSteps(remote);
        sequence.intermediateKHz = remote.intermediateKHz;
        sequence.frequencyKHz = remote.frequencyKHz;
        sequence.remoteSatellite = remote.satelliteNumber;
    } else if (singleCable.used) {
        const SingleCablePlan device = singleCablePlanFor(tuning, singleCable.setting);
        sequence.singleCable = true;
        sequence.singleCableSetting = singleCable.setting;
        sequence.steps = singleCableSequenceSteps(singleCableTuneSteps(), device.command);
        sequence.retrySteps = singleCableSequenceSteps(singleCableRetrySteps(random), device.command);
        sequence.releaseSteps = singleCableSequenceSteps(singleCableReleaseSteps(), device.command, device.powerOff);
        sequence.intermediateKHz = sequence.frequencyKHz = device.demodulatorKHz;
    } else {
        sequence.steps = localSteps(plan, supplyWasOn);
    }
    sequence.attempts = attemptsFor(abilities);
    if (remembered) {
        const auto found = std::find(sequence.attempts.begin(), sequence.attempts.end(), *remembered);
        if (found != sequence.attempts.end()) std::rotate(sequence.attempts.begin(), found, found + 1);
    }
    const uint32_t share =
        sequence.attempts.empty() ? minimumRoundMs : minimumRoundMs / static_cast<uint32_t>(sequence.attempts.size());
    const uint32_t needed = attemptTimeMs(abilities.traits, plan.symbolsPerSecond);
    sequence.attemptWindowMs = knowsItsTime(abilities.traits) ? needed : std::max(needed, share);
    return sequence;
}

std::string stepLine(const SequenceStep& step)
{
    switch (step.kind) {
    case StepSupply: return voltageLine(step.voltage);
    case StepTone: return toneLine(step.on);
    case StepSwitchCommand: return diseqcLine(step.command, step.commandLength);
    case StepBurst: return step.on ? "burst B" : "burst A";
    case StepPause: break;
    }
    return "";
}

std::string burstLackingLine(const SequenceStep& step)
{
    return stepLine(step) + " left out: the driver has no tone burst, the DiSEqC command selects the input";
}

const char* codeRateText(CodeRate rate)
{
    switch (rate) {
    case AutomaticCodeRate: break;
    case CodeRate1_2: return "1/2";
    case CodeRate3_5: return "3/5";
    case CodeRate2_3: return "2/3";
    case CodeRate3_4: return "3/4";
    case CodeRate4_5: return "4/5";
    case CodeRate5_6: return "5/6";
    case CodeRate8_9: return "8/9";
    case CodeRate9_10: return "9/10";
    }
    return "";
}

static const char* modulationText(AttemptModulation modulation)
{
    return modulation == QpskModulation ? "QPSK" : modulation == Psk8Modulation ? "8PSK" : "";
}

static const char* rolloffText(AttemptRolloff rolloff)
{
    switch (rolloff) {
    case RolloffImplied: break;
    case RolloffAutomatic: return "auto";
    case Rolloff35: return "0.35";
    case Rolloff20: return "0.20";
    case Rolloff25: return "0.25";
    }
    return "";
}

std::string attemptName(SystemAttempt attempt)
{
    if (!attempt.dvbs2) return "system=DVB-S";
    std::string name = "system=DVB-S2";
    if (attempt.modulation != AutomaticModulation)
        name += std::string(" modulation=") + modulationText(attempt.modulation);
    if (attempt.codeRate != AutomaticCodeRate) name += std::string(" code_rate=") + codeRateText(attempt.codeRate);
    if (attempt.rolloff != RolloffImplied) name += std::string(" rolloff=") + rolloffText(attempt.rolloff);
    return name;
}

std::string attemptSystemText(SystemAttempt attempt)
{
    if (!attempt.dvbs2) return "DVB-S";
    std::string text = "DVB-S2";
    if (attempt.modulation != AutomaticModulation) text += std::string(" ") + modulationText(attempt.modulation);
    if (attempt.codeRate != AutomaticCodeRate) text += std::string(" ") + codeRateText(attempt.codeRate);
    return text;
}

std::string attemptLine(const TuningSequence& sequence, SystemAttempt attempt)
{
    return tuneLine(sequence.intermediateKHz, sequence.symbolsPerSecond) + " " + attemptName(attempt);
}

std::string plannedTuneLine(const CardTuning& tuning)
{
    const FrontendPlan plan = frontendPlanFor(tuning);
    return tuneLine(plan.intermediateKHz, plan.symbolsPerSecond);
}

std::string refusedLine(const std::string& what, const std::string& reason)
{
    return "refused " + what + ": " + reason;
}
