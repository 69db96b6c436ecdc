#include "tests/support/bda/bdasim_reception.h"

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

bool modulationLocks(const TunerSettings& settings, const SimDriverTraits& traits, BdaSimTransponder transponder)
{
    if (!traits.nbcOnly) return true;
    switch (transponder) {
    case SimDvbS2Qpsk: return settings.modulation == BDA_MOD_NBC_QPSK;
    case SimDvbS2Psk8: return settings.modulation == BDA_MOD_NBC_8PSK;
    case SimDvbS: break;
    }
    return settings.modulation == BDA_MOD_NOT_SET || settings.modulation == BDA_MOD_QPSK;
}

bool sameTransponder(const TunerSettings& a, const TunerSettings& b)
{
    return a.carrierKHz() == b.carrierKHz() && a.polarisation == b.polarisation && a.symbolRate == b.symbolRate &&
           a.lowKHz == b.lowKHz && a.highKHz == b.highKHz && a.switchKHz == b.switchKHz && a.diseqc == b.diseqc &&
           a.source == b.source;
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
           " if=" + std::to_string(tunedIntermediateKHz(s, traits));
}

LONG millidBBelowNominal(LONG strengthPercent)
{
    const LONG percent = strengthPercent < 0 ? 0 : strengthPercent > 100 ? 100 : strengthPercent;
    return (100 - percent) * 150;
}
