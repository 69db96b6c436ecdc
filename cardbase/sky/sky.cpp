#include "cardbase/sky/sky.h"

#include <cmath>
#include <cstdlib>

#include "cardbase/sky/link_budget.h"
#include "cardbase/sweep/carrier_spectrum.h"

// A small fixed hash, so that every run sees the same sky.
static uint32_t mix(uint32_t a, uint32_t b)
{
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// Up to 1 dB above and 2 dB below the typical power, so satellites differ.
static double eirpFor(double longitudeDeg, int32_t frequencyMHz)
{
    const uint32_t position = static_cast<uint32_t>(std::lround(longitudeDeg * 10 + 1800));
    const uint32_t h = mix(position, static_cast<uint32_t>(frequencyMHz));
    return typicalEirpDbw(frequencyMHz) + 1.0 - 3.0 * (h % 301) / 300.0;
}

Modcod plausibleModcod(int32_t frequencyMHz, int32_t symbolRate, double longitudeDeg)
{
    const uint32_t h = mix(static_cast<uint32_t>(std::lround(longitudeDeg * 10 + 1800)),
                           static_cast<uint32_t>(frequencyMHz) * 7u + static_cast<uint32_t>(symbolRate));
    if (isCBand(frequencyMHz)) return h % 3 == 0 ? Modcod{ModDvbS, ModQpsk, 2, 3} : Modcod{ModDvbS, ModQpsk, 3, 4};
    if (symbolRate >= 29000) return h % 2 == 0 ? Modcod{ModDvbS2, Mod8psk, 3, 4} : Modcod{ModDvbS2, Mod8psk, 2, 3};
    static const Modcod ku[] = {{ModDvbS, ModQpsk, 3, 4},  {ModDvbS, ModQpsk, 5, 6}, {ModDvbS2, Mod8psk, 3, 4},
                                {ModDvbS2, ModQpsk, 3, 4}, {ModDvbS, ModQpsk, 2, 3}, {ModDvbS2, Mod8psk, 3, 5}};
    return ku[(h >> 4) % (sizeof ku / sizeof ku[0])];
}

uint16_t transportStreamIdOf(double longitudeDeg, int32_t frequencyMHz, int32_t polarization)
{
    // Frequency and polarization alone tell a satellite's transponders apart;
    // the position's part sets satellites apart.
    const uint32_t position = static_cast<uint32_t>(std::lround(longitudeDeg * 10 + 1800));
    const uint32_t own = static_cast<uint32_t>(frequencyMHz) * 2u + (polarization == 0 ? 0u : 1u);
    return static_cast<uint16_t>(own ^ (position << 5));
}

double rolloffOf(const Transponder& transponder)
{
    return transponder.modcod.system == ModDvbS2 ? dvbs2Rolloff : dvbsRolloff;
}

bool lnbCovers(int32_t frequencyMHz)
{
    return (frequencyMHz >= 3400 && frequencyMHz <= 4200) || (frequencyMHz >= 10700 && frequencyMHz <= 12750);
}

static bool coFrequencyPlan(const Satellite& satellite)
{
    for (double position : coFrequencyPositionsDeg)
        if (std::fabs(position - satellite.longitudeDeg) < 0.05) return true;
    return false;
}

// Transponders interleave: the next channel up or down, about 19 MHz away in
// Ku band and 20 MHz in C band, has the other polarization. A satellite whose
// plan puts both polarizations on each frequency has its channels of one
// polarization twice as far apart, and the other's on the same frequencies.
static void addNeighbours(Satellite& satellite, const Transponder& listed)
{
    static const int32_t kuRates[] = {27500, 22000, 27500, 29900, 30000, 28000, 27500, 24500};
    static const int32_t cRates[] = {27500, 4167, 28000, 6111, 13330, 26000, 3000, 27500};
    const bool cBand = isCBand(listed.frequencyMHz);
    const bool coFrequency = coFrequencyPlan(satellite);
    const int32_t spacing = coFrequency ? (cBand ? 44 : 42) : cBand ? 20 : 19;
    const size_t first = satellite.transponders.size();
    for (int step = -3; step <= 3; ++step) {
        if (step == 0) continue;
        const uint32_t h = mix(static_cast<uint32_t>(listed.frequencyMHz),
                               static_cast<uint32_t>(step + 8) * 977u +
                                   static_cast<uint32_t>(std::lround(std::fabs(satellite.longitudeDeg) * 10)));
        Transponder neighbour;
        neighbour.frequencyMHz =
            listed.frequencyMHz + step * spacing + (coFrequency ? 0 : static_cast<int32_t>(h % 5) - 2);
        neighbour.polarization = step % 2 == 0 || coFrequency ? listed.polarization : 1 - listed.polarization;
        neighbour.symbolRate = (cBand ? cRates : kuRates)[(h >> 8) % 8];
        neighbour.eirpDbw = eirpFor(satellite.longitudeDeg, neighbour.frequencyMHz);
        neighbour.modcod = plausibleModcod(neighbour.frequencyMHz, neighbour.symbolRate, satellite.longitudeDeg);
        neighbour.streamId =
            transportStreamIdOf(satellite.longitudeDeg, neighbour.frequencyMHz, neighbour.polarization);
        if (lnbCovers(neighbour.frequencyMHz) && listed.polarization != 3) satellite.transponders.push_back(neighbour);
    }
    if (!coFrequency || (listed.polarization != 0 && listed.polarization != 1)) return;
    // The other polarization on each of these frequencies, the listed one's first.
    const size_t last = satellite.transponders.size();
    for (size_t i = first - 1; i < last; ++i) {
        Transponder other = satellite.transponders[i];
        other.polarization = 1 - other.polarization;
        other.eirpDbw = eirpFor(satellite.longitudeDeg, other.frequencyMHz + 1);
        other.modcod = plausibleModcod(other.frequencyMHz + 1, other.symbolRate, satellite.longitudeDeg);
        other.streamId = transportStreamIdOf(satellite.longitudeDeg, other.frequencyMHz, other.polarization);
        satellite.transponders.push_back(other);
    }
}

std::vector<Satellite> skyFromCatalogue(const std::string& catalogueText)
{
    std::vector<Satellite> sky;
    for (const CatalogueLine& line : catalogueLines(catalogueText)) {
        if (!line.hasPosition) continue;
        Transponder listed;
        listed.frequencyMHz = line.frequencyMHz;
        listed.polarization = line.polarization;
        listed.symbolRate = line.symbolRate;
        listed.eirpDbw = eirpFor(line.longitudeDeg, listed.frequencyMHz);
        listed.modcod = plausibleModcod(listed.frequencyMHz, listed.symbolRate, line.longitudeDeg);
        listed.streamId = transportStreamIdOf(line.longitudeDeg, listed.frequencyMHz, listed.polarization);

        Satellite* satellite = nullptr;
        for (Satellite& known : sky)
            if (std::fabs(known.longitudeDeg - line.longitudeDeg) < 0.05) satellite = &known;
        if (!satellite) {
            sky.push_back(Satellite{line.name, line.longitudeDeg, {}});
            satellite = &sky.back();
        }
        satellite->transponders.push_back(listed);
        addNeighbours(*satellite, listed);
    }
    return sky;
}

bool transponderMatches(const Transponder& transponder, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate)
{
    if (polarization != 0 && polarization != 1) return false;  // "neither" finds no carrier
    return polarization == transponder.polarization &&
           std::abs(static_cast<int64_t>(frequencyMHz) - transponder.frequencyMHz) <= frequencyToleranceMHz &&
           std::fabs(static_cast<double>(symbolRate) - transponder.symbolRate) <=
               symbolRateTolerance * transponder.symbolRate;
}

int findTransponder(const Satellite& satellite, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate,
                    bool ownOnly)
{
    for (size_t i = 0; i < satellite.transponders.size(); ++i)
        if (transponderMatches(satellite.transponders[i], frequencyMHz, polarization, symbolRate) &&
            !(ownOnly && satellite.transponders[i].lookalike))
            return static_cast<int>(i);
    return -1;
}

LinkPath linkPathTo(const Transponder& transponder, const LookAngles& angles, const DishPointing& pointing,
                    double diameterM)
{
    LinkPath path;
    path.frequencyMHz = transponder.frequencyMHz;
    path.symbolRate = transponder.symbolRate;
    path.eirpDbw = transponder.eirpDbw;
    path.rangeKm = angles.rangeKm;
    path.elevationDeg = angles.direction.elevationDeg;
    path.offAxisDeg = pointingErrorDeg(pointing, angles.direction);
    path.skewErrorDeg = skewErrorDeg(pointing.skewDeg, angles.direction.skewDeg);
    path.diameterM = diameterM;
    return path;
}
