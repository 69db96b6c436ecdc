#include "dvb/simulated/simulated_lnb.h"

#include <cmath>
#include <cstdlib>

// A C band LNB's oscillator stands above the band it receives.
static constexpr uint32_t mixesFromAboveBelowMHz = 7000;
static constexpr int64_t frequencyToleranceKHz = 4000;
static constexpr double symbolRateTolerance = 0.03;

static uint32_t nominalOscillatorMHz(const SimulatedInstallation& installation, const LnbControl& control)
{
    const bool high = control.toneOn && (control.viaSingleCable || !installation.toneLost);
    return high ? installation.highOscillatorMHz : installation.lowOscillatorMHz;
}

static bool mixesFromAbove(const SimulatedInstallation& installation, const LnbControl& control)
{
    return nominalOscillatorMHz(installation, control) < mixesFromAboveBelowMHz;
}

// The oscillator the tone picks, off as it is now.
static int64_t oscillatorNowKHz(const SimulatedInstallation& installation, const LnbControl& control)
{
    return int64_t{nominalOscillatorMHz(installation, control)} * 1000 + control.oscillatorErrorKHz;
}

int committedCommandPort(const uint8_t* message, size_t length)
{
    if (length < 4 || message[0] != 0xE0 || message[2] != 0x38 || (message[3] & 0xF0) != 0xF0) return -1;
    return ((message[3] >> 2) & 0x01) | ((message[3] >> 3) & 0x01) << 1;
}

int burstPort(int port, bool burstB) { return (port & 2) | (burstB ? 1 : 0); }

bool lnbReception(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                  int64_t* downlinkKHz, bool* horizontal)
{
    if (control.supply == SupplyOff || (installation.deadPorts >> control.switchPort & 1u)) return false;
    *horizontal = control.supply == Supply18 && (control.viaSingleCable || !installation.eighteenLost);
    const int64_t oscillatorKHz = oscillatorNowKHz(installation, control);
    *downlinkKHz =
        mixesFromAbove(installation, control) ? oscillatorKHz - intermediateKHz : oscillatorKHz + intermediateKHz;
    return true;
}

int64_t carrierIntermediateHz(const SimulatedInstallation& installation, const LnbControl& control,
                              const SimulatedCarrier& carrier)
{
    const int64_t difference = (oscillatorNowKHz(installation, control) - int64_t{carrier.frequencyMHz} * 1000) * 1000;
    return mixesFromAbove(installation, control) ? difference : -difference;
}

int carrierReaching(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                    uint32_t symbolsPerSecond)
{
    int64_t downlinkKHz = 0;
    bool horizontal = false;
    if (!lnbReception(installation, control, intermediateKHz, &downlinkKHz, &horizontal)) return -1;
    for (size_t i = 0; i < installation.carriers.size(); ++i) {
        const SimulatedCarrier& carrier = installation.carriers[i];
        const double rate = carrier.symbolRate * 1000.0;
        if (carrier.horizontal == horizontal &&
            std::llabs(downlinkKHz - int64_t{carrier.frequencyMHz} * 1000) <= frequencyToleranceKHz &&
            std::fabs(symbolsPerSecond - rate) <= symbolRateTolerance * rate)
            return static_cast<int>(i);
    }
    return -1;
}

bool carrierLocks(const SimulatedCarrier& carrier)
{
    double needed = 0.0;
    return requiredCarrierToNoiseDb(carrier.modcod, &needed) && carrier.carrierToNoiseMilliDb >= needed * 1000.0;
}
