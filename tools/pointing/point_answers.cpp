// azimora-point: reads queries of the phone page's /point, one a line
// ("site=55.75,37.62&satellite=13.0E&t=1750496400000&zone=180"), and
// prints for each the JSON the page would get, or "error: " and the
// problem. The satellite is a position here: no catalogue is read. A line
// "field LAT LON HEIGHT_KM DECIMAL_YEAR" gives the magnetic model's field
// there instead ({"declination", "inclination", "north", "east", "down"}),
// whether the model covers that year or not; "crossings LAT LON FROM_MS
// TO_MS AZIMUTH" the moments the sun passes that azimuth ([[ms,
// elevation], ...]), for azimuths no satellite has.
// Exit code 0, 2 for wrong use.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "cardbase/phone/phone_point.h"
#include "cardbase/pointing/magnetic_model.h"
#include "cardbase/pointing/sun_hour.h"

static std::string fieldAnswer(const std::string& line)
{
    std::istringstream words(line.substr(6));
    double latitude = 0, longitude = 0, heightKm = 0, year = 0;
    MagneticField field;
    if (!(words >> latitude >> longitude >> heightKm >> year) ||
        !magneticFieldAt(wmm2025, latitude, longitude, heightKm, year, &field))
        return "error: give field LAT LON HEIGHT_KM DECIMAL_YEAR, off the poles";
    char text[256];
    std::snprintf(text, sizeof text,
                  "{\"declination\":%.4f,\"inclination\":%.4f,\"north\":%.2f,\"east\":%.2f,\"down\":%.2f}",
                  field.declinationDeg, field.inclinationDeg, field.northNt, field.eastNt, field.downNt);
    return text;
}

static std::string crossingsAnswer(const std::string& line)
{
    std::istringstream words(line.substr(10));
    DishSite site{};
    long long from = 0, to = 0;
    double azimuth = 0;
    if (!(words >> site.latitudeDeg >> site.longitudeDeg >> from >> to >> azimuth) || to - from > 7 * 86400000LL)
        return "error: give crossings LAT LON FROM_MS TO_MS AZIMUTH, at most a week apart";
    std::string out;
    for (const SunCrossing& crossing : sunAtAzimuth(site, azimuth, from, to)) {
        char text[64];
        std::snprintf(text, sizeof text, "[%lld,%.4f]", static_cast<long long>(crossing.atMs), crossing.elevationDeg);
        out += (out.empty() ? "" : ",") + std::string(text);
    }
    return "[" + out + "]";
}

int main(int argc, char**)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: azimora-point < QUERIES\n");
        return 2;
    }
    const PhonePlace place;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.compare(0, 6, "field ") == 0) {
            std::cout << fieldAnswer(line) << "\n";
            continue;
        }
        if (line.compare(0, 10, "crossings ") == 0) {
            std::cout << crossingsAnswer(line) << "\n";
            continue;
        }
        PointingQuestion question;
        std::string problem;
        if (readPointingQuery(line, place, &question, &problem))
            std::cout << pointingJson(pointingFigures(question)) << "\n";
        else std::cout << "error: " << problem << "\n";
    }
    return 0;
}
