#include "dvb/simulated/band_level.h"

#include <cmath>

#include "cardbase/sweep/carrier_spectrum.h"

// A tuner's gain control never reads a channel twice the same to the
// last hundredth: up to a tenth of a dB either way, the same for the same tune.
static double wanderDb(uint32_t intermediateKHz, uint32_t symbolsPerSecond)
{
    uint32_t h = intermediateKHz * 0x9E3779B1u ^ (symbolsPerSecond + 0x7F4A7C15u);
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return ((static_cast<int>(h % 201) - 100) / 1000.0);
}

int32_t installationLevelMilliDbm(const SimulatedInstallation& installation, const LnbControl& control,
                                  uint32_t intermediateKHz, uint32_t symbolsPerSecond)
{
    const double width = channelWidthMHz(symbolsPerSecond / 1000.0);
    int64_t downlinkKHz = 0;
    bool horizontal = false;
    double milliwatts = 0.0;
    if (!lnbReception(installation, control, intermediateKHz, &downlinkKHz, &horizontal)) {
        milliwatts = std::pow(10.0, tunerNoiseDbmPerMHz / 10.0) * width;
    } else {
        const double density = std::pow(10.0, lnbNoiseDbmPerMHz / 10.0);  // mW per MHz
        milliwatts = density * width;
        const double centre = static_cast<double>(downlinkKHz) / 1000.0;
        for (const SimulatedCarrier& carrier : installation.carriers) {
            if (carrier.horizontal != horizontal) continue;
            const double rate = carrier.symbolRate / 1000.0;
            const double offset = centre - carrier.frequencyMHz;
            const double share = carrierShareWithin(offset - width / 2.0, offset + width / 2.0, rate,
                                                    carrier.modcod.system == ModDvbS2 ? dvbs2Rolloff : dvbsRolloff);
            // Its C/N counts over the noise of its own bandwidth.
            milliwatts += share * density * rate * std::pow(10.0, carrier.carrierToNoiseMilliDb / 10000.0);
        }
    }
    return static_cast<int32_t>(
        std::lround(1000.0 * (10.0 * std::log10(milliwatts) + wanderDb(intermediateKHz, symbolsPerSecond))));
}
