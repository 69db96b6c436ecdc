#include "dvb/simulated/sky_frontend.h"

#include <cmath>

#include "cardbase/margin/link_margin.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/network/psi_build.h"
#include "dvb/simulated/band_level.h"

std::shared_ptr<SkyFrontend> newSkyFrontend(const SimulatedSky& setup, const std::string& catalogueText, uint64_t nowMs)
{
    std::shared_ptr<SkyFrontend> sky = std::make_shared<SkyFrontend>();
    sky->setup = setup;
    sky->dish = simulatedMotorSky(setup, catalogueText);
    sky->startMs = nowMs;
    return sky;
}

bool sameSky(const SkyFrontend& sky, const SimulatedSky& setup)
{
    const SimulatedSky& kept = sky.setup;
    return kept.clock == setup.clock && kept.diameterM == setup.diameterM &&
           kept.site.latitudeDeg == setup.site.latitudeDeg && kept.site.longitudeDeg == setup.site.longitudeDeg &&
           motorMountWords(kept.mount) == motorMountWords(setup.mount) && kept.mount.startDeg == setup.mount.startDeg;
}

static uint32_t skyNow(const SkyFrontend& sky, uint64_t nowMs) { return skyTimeMs(sky.setup, sky.startMs, nowMs); }

double skyMotorAngle(const SkyFrontend& sky, uint64_t nowMs)
{
    return motorMountAngle(sky.dish.mount, skyNow(sky, nowMs));
}

SimulatedSignal skySignalNow(const SimulatedFrontend& frontend, uint64_t nowMs)
{
    SkyFrontend& sky = *frontend.sky;
    SimulatedSignal signal{false, 0};
    signal.hasLevel = true;
    sky.satellite = sky.transponder = -1;
    int64_t downlinkKHz = 0;
    bool horizontal = false;
    if (!frontend.tuned || !lnbReception(frontend.simulation.installation, frontend.lnb, frontend.tunedFrequencyKHz,
                                         &downlinkKHz, &horizontal)) {
        // Nothing from the LNB: the tuner's own noise.
        signal.levelMilliDbm = installationLevelMilliDbm(SimulatedInstallation(), LnbControl(),
                                                         frontend.tunedFrequencyKHz, frontend.tunedSymbolRate);
        return signal;
    }
    MotorSky& dish = sky.dish;
    const int32_t frequencyMHz = static_cast<int32_t>(std::lround(static_cast<double>(downlinkKHz) / 1000.0));
    const int32_t polarization = horizontal ? 0 : 1;
    const int32_t symbolRate = static_cast<int32_t>(frontend.tunedSymbolRate / 1000);
    if (!dish.tuned || dish.frequencyMHz != frequencyMHz || dish.polarization != polarization ||
        dish.symbolRate != symbolRate)
        motorSkyTune(dish, frequencyMHz, polarization, symbolRate);
    const MotorSkyReading reading = readMotorSky(dish, skyNow(sky, nowMs));
    signal.levelMilliDbm = static_cast<int32_t>(std::lround(reading.levelDbm * 1000.0));
    if (!reading.locked) return signal;
    signal.locked = true;
    signal.carrierToNoiseMilliDb = static_cast<int32_t>(std::lround(reading.carrierToNoiseDb * 1000.0));
    sky.satellite = reading.satellite;
    sky.transponder =
        findTransponder(dish.sky[static_cast<size_t>(reading.satellite)], frequencyMHz, polarization, symbolRate);
    return signal;
}

void skyHearsMessage(SimulatedFrontend& frontend, const uint8_t* bytes, size_t length, uint64_t nowMs)
{
    SkyFrontend& sky = *frontend.sky;
    // An unpowered positioner hears nothing.
    if (frontend.lnb.supply == SupplyOff) return;
    const bool supply18 = frontend.lnb.supply == Supply18 && !frontend.simulation.installation.eighteenLost;
    const MotorHeard heard =
        motorMountHears(sky.dish.mount, bytes, length, supply18, frontend.lnb.toneOn, skyNow(sky, nowMs));
    if (heard != MotorNotForIt) frontend.trace.push_back(std::string("motor ") + motorHeardName(heard));
}

void skyUnpowered(SimulatedFrontend& frontend, uint64_t nowMs)
{
    SkyFrontend& sky = *frontend.sky;
    const MotorCommand halt = motorHalt();
    motorMountHears(sky.dish.mount, halt.bytes, halt.length, true, false, skyNow(sky, nowMs));
}

std::vector<SimulatedSection> skySections(const SkyFrontend& sky)
{
    if (sky.satellite < 0 || sky.transponder < 0) return {};
    const Satellite& satellite = sky.dish.sky[static_cast<size_t>(sky.satellite)];
    const Transponder& carried = satellite.transponders[static_cast<size_t>(sky.transponder)];
    const PositionTenths position = static_cast<PositionTenths>(std::lround(satellite.longitudeDeg * 10));
    // An id of the satellite's own network, its name the catalogue's without the position.
    const uint16_t networkId = static_cast<uint16_t>(0x1000 + position + 1800);
    NitFacts facts;
    facts.networkId = networkId;
    facts.networkName = satellite.name.substr(0, satellite.name.find_last_of(' '));
    NitStreamFacts own;
    own.transportStreamId = carried.streamId;
    own.originalNetworkId = networkId;
    own.withSatelliteDescriptor = true;
    own.position = position;
    own.frequencyKHz = static_cast<uint32_t>(carried.frequencyMHz) * 1000u;
    own.polarization = static_cast<uint8_t>(carried.polarization);
    own.symbolsPerSecond = static_cast<uint32_t>(carried.symbolRate) * 1000u;
    descriptorFields(carried.modcod, &own.modulationSystem, &own.modulationType, &own.fecInner);
    facts.streams.push_back(own);
    std::vector<SimulatedSection> sections{{patPid, buildPatSection(carried.streamId, 0)},
                                           {sdtPid, buildSdtSection(carried.streamId, networkId, 0)}};
    for (const SectionBytes& bytes : buildNitSections(facts)) sections.push_back(SimulatedSection{nitPid, bytes});
    return sections;
}

void followSky(SimulatedDemux& demux, const SkyFrontend& sky)
{
    const int key = sky.satellite < 0 ? -1 : sky.satellite * 1000 + sky.transponder;
    if (key == demux.carrier) return;
    demux.carrier = key;
    demux.sections = skySections(sky);
    demux.next = 0;
}
