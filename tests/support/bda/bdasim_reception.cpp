#include "tests/support/bda/bdasim_reception.h"

#include "tests/support/bda/bdasim_stream.h"

static constexpr ULONG cBandLnbKHz = 5150000;
static constexpr ULONG lowBandLnbKHz = 9750000;
static constexpr ULONG highBandLnbKHz = 10600000;
static constexpr ULONG cBandTopKHz = 5000000;

static ULONG distance(ULONG a, ULONG b) { return a > b ? a - b : b - a; }

ULONG tunedIntermediateKHz(const TunerSettings& settings, const SimDriverTraits& traits)
{
    const ULONG oscillator = settings.highBand() && !traits.lowOscillatorOnly ? settings.highKHz : settings.lowKHz;
    return distance(settings.carrierKHz(), oscillator);
}

int portFromLnbSource(const TunerSettings& settings, const SimDriverTraits& traits)
{
    if (traits.ignoresLnbSource || traits.noDiseqc || !settings.diseqc) return -1;
    return settings.source <= 3 ? static_cast<int>(settings.source) : -1;
}

int portFromCommand(const BYTE* command, ULONG length)
{
    // Framing E0 (or E1, a repeat), any address, "write port group 0".
    if (!command || length != 4 || (command[0] & 0xFE) != 0xE0 || command[2] != 0x38) return -1;
    const int position = command[3] >> 2 & 1;
    const int option = command[3] >> 3 & 1;
    return position | option << 1;
}

bool carrierArrives(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario,
                    int switchPort)
{
    const ULONG carrier = settings.carrierKHz();
    const ULONG lnb = carrier < cBandTopKHz ? cBandLnbKHz : settings.highBand() ? highBandLnbKHz : lowBandLnbKHz;
    const ULONG delivered = distance(carrier, lnb);
    const ULONG tuned = tunedIntermediateKHz(settings, traits);
    const bool polarised =
        settings.polarisation == BDA_POLARISATION_LINEAR_H || settings.polarisation == BDA_POLARISATION_LINEAR_V;
    return tuned == delivered && tuned >= 950000 && tuned <= 2150000 && settings.symbolRate >= 1000 &&
           settings.symbolRate <= 45000 && polarised && (scenario.dishPort < 0 || scenario.dishPort == switchPort);
}

ULONG scrTransponderKHz(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario,
                        const ScrDevice& device)
{
    ScrSource source;
    const bool polarised =
        settings.polarisation == BDA_POLARISATION_LINEAR_H || settings.polarisation == BDA_POLARISATION_LINEAR_V;
    if (!polarised || settings.symbolRate < 1000 || settings.symbolRate > 45000 ||
        !scrCableSource(device, tunedIntermediateKHz(settings, traits), &source))
        return 0;
    if (source.content->byNeighbour) return simNeighbourTransponderKHz;
    if (scenario.dishPort >= 0 && scenario.dishPort != source.content->position - 1) return 0;
    return (source.content->highBand ? highBandLnbKHz : lowBandLnbKHz) + source.lnbIfKHz;
}

int portFromRange(const TunerSettings& settings, const SimDriverTraits& traits)
{
    if (!traits.switchesByRange) return -1;
    return settings.range >= 1 && settings.range <= 4 ? static_cast<int>(settings.range) - 1 : 0;
}

static bool nbcModulation(ModulationType modulation)
{
    return modulation == BDA_MOD_NBC_QPSK || modulation == BDA_MOD_NBC_8PSK;
}

bool refusesModulation(const TunerSettings& settings, const SimDriverTraits& traits)
{
    return traits.plainEightPsk && nbcModulation(settings.modulation);
}

static bool systemLocks(ModulationType modulation, const SimDriverTraits& traits, BdaSimTransponder transponder)
{
    if (traits.plainEightPsk) {
        // QPSK finds either system; 8PSK is DVB-S2's.
        if (transponder == SimDvbS2Psk8) return modulation == BDA_MOD_8PSK;
        return modulation == BDA_MOD_NOT_SET || modulation == BDA_MOD_QPSK;
    }
    if (!traits.nbcOnly) return true;
    switch (transponder) {
    case SimDvbS2Qpsk: return modulation == BDA_MOD_NBC_QPSK;
    case SimDvbS2Psk8: return modulation == BDA_MOD_NBC_8PSK;
    case SimDvbS: break;
    }
    return modulation == BDA_MOD_NOT_SET || modulation == BDA_MOD_QPSK;
}

static RollOff rollOffOf(int32_t percent)
{
    return percent == 20 ? BDA_ROLL_OFF_20 : percent == 25 ? BDA_ROLL_OFF_25 : BDA_ROLL_OFF_35;
}

bool modulationLocks(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario)
{
    if (!systemLocks(settings.modulation, traits, scenario.transponder)) return false;
    if (!traits.needsPilotRollOff || scenario.transponder == SimDvbS) return true;
    return settings.pilot == (scenario.pilots ? BDA_PILOT_ON : BDA_PILOT_OFF) &&
           settings.rollOff == rollOffOf(scenario.rollOffPercent);
}

bool sameTransponder(const TunerSettings& a, const TunerSettings& b)
{
    return a.carrierKHz() == b.carrierKHz() && a.polarisation == b.polarisation && a.symbolRate == b.symbolRate &&
           a.lowKHz == b.lowKHz && a.highKHz == b.highKHz && a.switchKHz == b.switchKHz && a.diseqc == b.diseqc &&
           a.source == b.source;
}

bool sameTuneAsideFromRange(const TunerSettings& a, const TunerSettings& b)
{
    return a.frequency == b.frequency && a.multiplier == b.multiplier && a.polarisation == b.polarisation &&
           a.bandwidth == b.bandwidth && a.lowKHz == b.lowKHz && a.highKHz == b.highKHz && a.switchKHz == b.switchKHz &&
           a.diseqc == b.diseqc && a.source == b.source && a.modulation == b.modulation && a.pilot == b.pilot &&
           a.rollOff == b.rollOff && a.fec == b.fec && a.fecRate == b.fecRate && a.symbolRate == b.symbolRate &&
           a.inversion == b.inversion;
}

static std::string modulationText(ModulationType modulation)
{
    switch (modulation) {
    case BDA_MOD_NOT_SET: return "none";
    case BDA_MOD_QPSK: return "qpsk";
    case BDA_MOD_8PSK: return "8psk";
    case BDA_MOD_NBC_QPSK: return "nbc-qpsk";
    case BDA_MOD_NBC_8PSK: return "nbc-8psk";
    default: return std::to_string(static_cast<int>(modulation));
    }
}

static std::string settingText(int value) { return value == -1 ? "auto" : std::to_string(value); }

std::string tuneText(const TunerSettings& s, const SimDriverTraits& traits)
{
    const char* polarisation = s.polarisation == BDA_POLARISATION_LINEAR_H   ? "H"
                               : s.polarisation == BDA_POLARISATION_LINEAR_V ? "V"
                                                                             : "-";
    const std::string source = s.diseqc && s.source <= 3 ? std::string(1, static_cast<char>('A' + s.source)) : "none";
    return "frequency=" + std::to_string(s.carrierKHz()) + " symbolRate=" + std::to_string(s.symbolRate) +
           " polarisation=" + polarisation + " modulation=" + modulationText(s.modulation) +
           " pilot=" + settingText(s.pilot) + " rolloff=" + settingText(s.rollOff) +
           " low=" + std::to_string(s.lowKHz) + " high=" + std::to_string(s.highKHz) +
           " switch=" + std::to_string(s.switchKHz) + " source=" + source + " band=" + (s.highBand() ? "high" : "low") +
           " if=" + std::to_string(tunedIntermediateKHz(s, traits)) +
           (traits.switchesByRange ? " range=" + std::to_string(static_cast<LONG>(s.range)) : std::string());
}

LONG millidBBelowNominal(LONG strengthPercent)
{
    const LONG percent = strengthPercent < 0 ? 0 : strengthPercent > 100 ? 100 : strengthPercent;
    return (100 - percent) * 150;
}
