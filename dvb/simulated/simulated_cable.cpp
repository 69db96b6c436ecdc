#include "dvb/simulated/simulated_cable.h"

#include <cmath>
#include <string>

#include "cardbase/sweep/carrier_spectrum.h"
#include "dvb/simulated/band_level.h"

// The device powers the LNB itself: the polarization and band of the
// transponder asked, and its position as the switch port.
static LnbControl deviceControl(const ScrBandContent& content)
{
    LnbControl control;
    control.supply = content.horizontal ? Supply18 : Supply13;
    control.toneOn = content.highBand;
    control.switchPort = content.position - 1;
    control.viaSingleCable = true;
    return control;
}

// Nothing comes from an unpowered device.
static bool devicePowered(const SimulatedFrontend& frontend) { return frontend.lnb.supply != SupplyOff; }

int scrCarrierReaching(const SimulatedFrontend& frontend, uint32_t cableKHz, uint32_t symbolsPerSecond)
{
    ScrSource source;
    if (!devicePowered(frontend) || !scrCableSource(frontend.scr, cableKHz, &source)) return -1;
    return carrierReaching(frontend.simulation.installation, deviceControl(*source.content), source.lnbIfKHz,
                           symbolsPerSecond);
}

int32_t scrLevelMilliDbm(const SimulatedFrontend& frontend, uint32_t cableKHz, uint32_t symbolsPerSecond)
{
    const SimulatedInstallation& installation = frontend.simulation.installation;
    ScrSource source;
    LnbControl unlit;  // the tuner's own noise where the device puts nothing
    const bool lit = devicePowered(frontend) && scrCableSource(frontend.scr, cableKHz, &source);
    const int32_t level =
        lit ? installationLevelMilliDbm(installation, deviceControl(*source.content), source.lnbIfKHz, symbolsPerSecond)
            : installationLevelMilliDbm(installation, unlit, cableKHz, symbolsPerSecond);
    if (!devicePowered(frontend) || !frontend.scr.tonesOn) return level;
    // Each tone as a carrier far narrower than the channel: full where the
    // channel holds it, half at its very edge.
    const double halfWidthMHz = channelWidthMHz(symbolsPerSecond / 1000.0) / 2.0;
    double milliwatts = std::pow(10.0, level / 10000.0);
    for (uint32_t centreMHz : frontend.scr.setup.bandsMHz) {
        const double offsetMHz = (static_cast<double>(cableKHz) - centreMHz * 1000.0) / 1000.0;
        milliwatts += std::pow(10.0, scrToneDbm / 10.0) *
                      carrierShareWithin(offsetMHz - halfWidthMHz, offsetMHz + halfWidthMHz, scrToneWidthMHz, 0.35);
    }
    return static_cast<int32_t>(std::lround(10000.0 * std::log10(milliwatts)));
}

static std::string afterText(uint64_t laterMs, uint64_t earlierMs)
{
    return std::to_string(laterMs - earlierMs) + " ms after ";
}

void scrMessage(SimulatedFrontend& frontend, const uint8_t* message, size_t length, uint64_t nowMs)
{
    const bool eighteen = frontend.lnb.supply == Supply18 && !frontend.simulation.installation.eighteenLost;
    const ScrHeard heard =
        scrDeviceHears(frontend.scr, message, length, eighteen, frontend.lnb.toneOn, static_cast<uint32_t>(nowMs));
    if (heard == ScrNotForIt) return;
    std::string line = std::string("scr-device: ") + scrHeardName(heard);
    if (eighteen) line += ", " + afterText(nowMs, frontend.scrSupply18AtMs) + "18 V";
    frontend.trace.push_back(line);
    frontend.scrCommandPending = eighteen;
    frontend.scrCommandAtMs = nowMs;
}

void scrSupplySet(SimulatedFrontend& frontend, SimulatedSupply before, uint64_t nowMs)
{
    if (!frontend.scr.setup.present || frontend.lnb.supply == before) return;
    if (frontend.lnb.supply == Supply18) frontend.scrSupply18AtMs = nowMs;
    if (before == Supply18 && frontend.scrCommandPending) {
        const char* now = frontend.lnb.supply == Supply13 ? "13 V " : "supply off ";
        frontend.trace.push_back(std::string("scr-device: ") + now + afterText(nowMs, frontend.scrCommandAtMs) +
                                 "the command");
    }
    frontend.scrCommandPending = false;
}

// The other receiver asks, each time, for one carrier of the installation:
// not the one on its band when it first speaks, and of the same symbol rate
// where there is one, so that a demodulator locked there stays locked, on
// another stream.
static int neighboursCarrier(const SimulatedFrontend& frontend)
{
    const SimulatedInstallation& installation = frontend.simulation.installation;
    const ScrDevice& device = frontend.scr;
    const size_t band = static_cast<size_t>(device.setup.neighbourBand - 1);
    int now = -1;
    for (size_t i = 0; band < device.bands.size() && device.bands[band].asked && i < installation.carriers.size();
         ++i) {
        const ScrBandContent& content = device.bands[band];
        if (carrierReaching(installation, deviceControl(content), content.askedIfKHz,
                            installation.carriers[i].symbolRate * 1000) == static_cast<int>(i)) {
            now = static_cast<int>(i);
            break;
        }
    }
    int other = -1;
    for (size_t i = 0; i < installation.carriers.size(); ++i) {
        if (static_cast<int>(i) == now) continue;
        const bool sameRate = now >= 0 && installation.carriers[i].symbolRate ==
                                              installation.carriers[static_cast<size_t>(now)].symbolRate;
        if (other < 0 || sameRate) other = static_cast<int>(i);
        if (sameRate) break;
    }
    return other;
}

void scrNeighbourActs(SimulatedFrontend& frontend, uint64_t nowMs)
{
    ScrDevice& device = frontend.scr;
    if (!device.setup.present || device.setup.neighbourBand < 1 || !device.started) return;
    if (frontend.scrNeighbourCarrier < 0) frontend.scrNeighbourCarrier = neighboursCarrier(frontend);
    if (frontend.scrNeighbourCarrier < 0) return;
    const SimulatedInstallation& installation = frontend.simulation.installation;
    const SimulatedCarrier& asked = installation.carriers[static_cast<size_t>(frontend.scrNeighbourCarrier)];
    const bool high = asked.frequencyMHz >= 11700 && installation.highOscillatorMHz != installation.lowOscillatorMHz;
    const uint32_t oscillator = high ? installation.highOscillatorMHz : installation.lowOscillatorMHz;
    if (asked.frequencyMHz <= oscillator) return;
    if (scrNeighbourAdvance(device, static_cast<uint32_t>(nowMs), (asked.frequencyMHz - oscillator) * 1000,
                            asked.horizontal, high))
        frontend.trace.push_back("scr-device: another receiver took user band " +
                                 std::to_string(device.setup.neighbourBand));
}
