#include "sim/dish/dish_network.h"

#include <cmath>

#include "sim/dish/dish_view.h"

void addLookalikeTransponders(std::vector<Satellite>& sky)
{
    std::vector<Transponder> listed;
    for (const Satellite& satellite : sky) listed.push_back(satellite.transponders.front());
    for (size_t i = 0; i < sky.size(); ++i) {
        for (size_t j = 0; j < sky.size(); ++j) {
            const double apart = std::fabs(sky[i].longitudeDeg - sky[j].longitudeDeg);
            if (i == j || apart > lookalikeSpanDeg || listed[j].polarization == 3) continue;
            Transponder copy = listed[j];
            copy.eirpDbw = listed[i].eirpDbw;  // as strong as this satellite's own
            copy.lookalike = true;
            copy.streamId = transportStreamIdOf(sky[i].longitudeDeg, copy.frequencyMHz, copy.polarization);
            sky[i].transponders.push_back(copy);
        }
    }
}

NetworkIdentity satelliteNetwork(const Satellite& satellite)
{
    NetworkIdentity identity;
    identity.known = true;
    std::string name = shortSatelliteName(satellite.name, 64);
    const size_t lastWord = name.find_last_of(' ');
    if (lastWord != std::string::npos) name.erase(lastWord);
    identity.networkName = name;
    identity.position = static_cast<PositionTenths>(std::lround(satellite.longitudeDeg * 10));
    identity.networkId = static_cast<uint16_t>(0x1000 + identity.position + 1800);
    identity.certainty = PositionOfStream;
    // Its table lists every transponder the satellite carries.
    identity.listed = true;
    for (const Transponder& transponder : satellite.transponders) {
        NitTransportStream stream{};
        stream.transportStreamId = transponder.streamId;
        stream.originalNetworkId = identity.networkId;
        stream.hasPosition = true;
        stream.position = identity.position;
        stream.frequencyKHz = static_cast<uint32_t>(transponder.frequencyMHz) * 1000u;
        stream.hasDeliveryDescriptor = true;
        stream.polarization = static_cast<uint8_t>(transponder.polarization);
        stream.symbolsPerSecond = static_cast<uint32_t>(transponder.symbolRate) * 1000u;
        identity.streams.push_back(stream);
    }
    return identity;
}
