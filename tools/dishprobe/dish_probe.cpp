// azimora-dish-probe: the practice dish's model answering questions on
// stdin, one a line, in simulated time, so that a script can steer it as a
// person at the dish would (the aligner measurement, tests/browser/aligner.js):
//   site LAT LON             where the dish stands (degrees, north and east positive)
//   aim LONGITUDE            points exactly at the satellite there: "AZ EL SKEW"
//   look LONGITUDE           where the satellite there is, without pointing: "AZ EL SKEW"
//   point AZ EL SKEW         points the dish
//   tune FREQ POL SR         the program's six calls for a transponder (POL 0 H, 1 V)
//   poll MS                  the card's reading at MS: "LOCKED QUALITY SNR STATE LEVEL PRESENT SATELLITE"
//                            (LEVEL in dBm, PRESENT 1, 0 or -1, SATELLITE the longitude
//                            locked to, or "-")
// Each answer is one line; a line not understood gets "error: " and why.
// The first argument is the catalogue (resources/satellite.ini). Exit code
// 0, 2 for wrong use.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "sim/dish/dish_model.h"
#include "sim/dish/dish_network.h"
#include "tuner/lnb_rules.h"

static std::string answer(DishModel& model, const std::string& line)
{
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    char text[160];
    if (verb == "site") {
        if (!(words >> model.site.latitudeDeg >> model.site.longitudeDeg)) return "error: site LAT LON";
        return "ok";
    }
    if (verb == "aim" || verb == "look") {
        double longitude = 0;
        if (!(words >> longitude)) return "error: " + verb + " LONGITUDE";
        DishModel looking = model;
        pointDish(looking, lookAngles(model.site, longitude).direction);
        if (verb == "aim") model.pointing = looking.pointing;
        std::snprintf(text, sizeof text, "%.2f %.2f %.2f", looking.pointing.azimuthDeg, looking.pointing.elevationDeg,
                      looking.pointing.skewDeg);
        return text;
    }
    if (verb == "point") {
        DishPointing p{};
        if (!(words >> p.azimuthDeg >> p.elevationDeg >> p.skewDeg)) return "error: point AZ EL SKEW";
        pointDish(model, p);
        return "ok";
    }
    if (verb == "tune") {
        int32_t frequency = 0, polarization = 0, symbolRate = 0;
        if (!(words >> frequency >> polarization >> symbolRate)) return "error: tune FREQ POL SR";
        recordTuning(model, SetLnbSelectionCall, lnbSelectionFor(frequency));
        recordTuning(model, SetLnbFrequencyCall, lnbFrequencyFor(frequency));
        recordTuning(model, SetPolarityCall, polarization);
        recordTuning(model, SetSymbolRateCall, symbolRate);
        recordTuning(model, SetTransponderFrequencyCall, frequency);
        recordTuning(model, SetDiseqcCall, 0);
        return "ok";
    }
    if (verb == "poll") {
        uint32_t nowMs = 0;
        if (!(words >> nowMs)) return "error: poll MS";
        const SignalReading reading = pollDish(model, nowMs);
        const DishSignal signal = dishSignal(model, nowMs);
        std::string satellite = "-";
        if (reading.locked && signal.satellite >= 0) {
            std::snprintf(text, sizeof text, "%.1f", model.sky[static_cast<size_t>(signal.satellite)].longitudeDeg);
            satellite = text;
        }
        std::snprintf(text, sizeof text, "%d %d %.1f %s %.2f %d %s", reading.locked ? 1 : 0,
                      static_cast<int>(reading.quality), static_cast<double>(reading.snr),
                      levelStateWord(reading.level.state), reading.level.value, static_cast<int>(reading.level.present),
                      satellite.c_str());
        return text;
    }
    return "error: unknown question \"" + verb + "\"";
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: azimora-dish-probe CATALOGUE < QUESTIONS\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::stringstream catalogue;
    catalogue << file.rdbuf();
    std::vector<Satellite> sky = skyFromCatalogue(catalogue.str());
    if (sky.empty()) {
        std::fprintf(stderr, "azimora-dish-probe: no satellite in %s\n", argv[1]);
        return 2;
    }
    addLookalikeTransponders(sky);
    DishModel model = newDishModel(DishSetup(), std::move(sky));
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::cout << answer(model, line) << '\n' << std::flush;
    }
    return 0;
}
