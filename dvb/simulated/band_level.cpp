#include "dvb/simulated/band_level.h"

#include <cmath>

#include "cardbase/sweep/carrier_spectrum.h"

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
    return static_cast<int32_t>(std::lround(10000.0 * std::log10(milliwatts)));
}
