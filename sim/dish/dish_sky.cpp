#include "sim/dish/dish_sky.h"

#include <cmath>
#include <cstdlib>

#include "sim/dish/dish_link.h"

bool orbitalPosition(const std::string& name, double* longitudeDeg)
{
    const size_t end = name.find_last_not_of(' ');
    if (end == std::string::npos) return false;
    const size_t start = name.find_last_of(' ', end) + 1;  // npos + 1 is 0
    const std::string word = name.substr(start, end + 1 - start);
    const char side = word.empty() ? '\0' : word.back();
    if (side != 'e' && side != 'w' && side != 'E' && side != 'W') return false;
    const std::string number = word.substr(0, word.size() - 1);
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos) return false;
    char* stop = nullptr;
    const double degrees = std::strtod(number.c_str(), &stop);
    if (*stop != '\0' || degrees > 180.0) return false;
    *longitudeDeg = side == 'e' || side == 'E' ? degrees : -degrees;
    return true;
}

static bool readDigits(const std::string& text, size_t* at, int32_t* value)
{
    const size_t start = *at;
    int64_t number = 0;
    while (*at < text.size() && *at - start < 6 && text[*at] >= '0' && text[*at] <= '9')
        number = number * 10 + (text[(*at)++] - '0');
    *value = static_cast<int32_t>(number);
    return *at > start;
}

// "10723h29900" -> frequency, polarization, symbol rate.
static bool readParameters(const std::string& text, Transponder* transponder)
{
    size_t at = 0;
    if (!readDigits(text, &at, &transponder->frequencyMHz) || at >= text.size()) return false;
    const char letter = text[at++];
    transponder->polarization = letter == 'h' || letter == 'H' ? 0 : letter == 'v' || letter == 'V' ? 1 : 3;
    return readDigits(text, &at, &transponder->symbolRate) && transponder->symbolRate > 0;
}

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

bool lnbCovers(int32_t frequencyMHz)
{
    return (frequencyMHz >= 3400 && frequencyMHz <= 4200) || (frequencyMHz >= 10700 && frequencyMHz <= 12750);
}

// Transponders interleave: the next channel up or down, about 19 MHz away in
// Ku band and 20 MHz in C band, has the other polarization.
static void addNeighbours(Satellite& satellite, const Transponder& listed)
{
    static const int32_t kuRates[] = {27500, 22000, 27500, 29900, 30000, 28000, 27500, 24500};
    static const int32_t cRates[] = {27500, 4167, 28000, 6111, 13330, 26000, 3000, 27500};
    const bool cBand = isCBand(listed.frequencyMHz);
    const int32_t spacing = cBand ? 20 : 19;
    for (int step = -3; step <= 3; ++step) {
        if (step == 0) continue;
        const uint32_t h = mix(static_cast<uint32_t>(listed.frequencyMHz),
                               static_cast<uint32_t>(step + 8) * 977u +
                                   static_cast<uint32_t>(std::lround(std::fabs(satellite.longitudeDeg) * 10)));
        Transponder neighbour;
        neighbour.frequencyMHz = listed.frequencyMHz + step * spacing + static_cast<int32_t>(h % 5) - 2;
        neighbour.polarization = step % 2 == 0 ? listed.polarization : 1 - listed.polarization;
        neighbour.symbolRate = (cBand ? cRates : kuRates)[(h >> 8) % 8];
        neighbour.eirpDbw = eirpFor(satellite.longitudeDeg, neighbour.frequencyMHz);
        if (lnbCovers(neighbour.frequencyMHz) && listed.polarization != 3) satellite.transponders.push_back(neighbour);
    }
}

std::vector<Satellite> skyFromCatalogue(const std::string& catalogueText)
{
    std::vector<Satellite> sky;
    size_t at = 0;
    for (;;) {
        const size_t open = catalogueText.find('[', at);
        if (open == std::string::npos) break;
        const size_t close = catalogueText.find(']', open);
        const size_t end = catalogueText.find(';', open);
        if (close == std::string::npos || end == std::string::npos || close > end) break;
        at = end + 1;
        const std::string name = catalogueText.substr(open + 1, close - open - 1);
        Transponder listed;
        double longitude;
        if (close + 1 >= end || catalogueText[close + 1] != '=' || !orbitalPosition(name, &longitude) ||
            !readParameters(catalogueText.substr(close + 2, end - close - 2), &listed))
            continue;
        listed.eirpDbw = eirpFor(longitude, listed.frequencyMHz);

        Satellite* satellite = nullptr;
        for (Satellite& known : sky)
            if (std::fabs(known.longitudeDeg - longitude) < 0.05) satellite = &known;
        if (!satellite) {
            sky.push_back(Satellite{name, longitude, {}});
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

int findTransponder(const Satellite& satellite, int32_t frequencyMHz, int32_t polarization, int32_t symbolRate)
{
    for (size_t i = 0; i < satellite.transponders.size(); ++i)
        if (transponderMatches(satellite.transponders[i], frequencyMHz, polarization, symbolRate))
            return static_cast<int>(i);
    return -1;
}
