#include "dvb/common/simulated_sky.h"

#include "app/number_text.h"

static bool number(const std::string& word, double low, double high, double* value)
{
    return readDecimalNumber(word, DecimalForm{true, true, 16, 0}, value) && *value >= low && *value <= high;
}

bool isSkyLine(const std::string& firstWord)
{
    return firstWord == "motor" || firstWord == "site" || firstWord == "diameter" || firstWord == "clock";
}

bool parseSkyLine(const std::vector<std::string>& words, SimulatedSky* sky, std::string* problem)
{
    const std::string& first = words[0];
    if (first == "motor") {
        if (!parseMotorMountWords(std::vector<std::string>(words.begin() + 1, words.end()), &sky->mount, problem))
            return false;
        sky->present = true;
        return true;
    }
    if (first == "site") {
        DishSite site{0.0, 0.0};
        if (words.size() != 3 || !number(words[1], -90, 90, &site.latitudeDeg) ||
            !number(words[2], -180, 180, &site.longitudeDeg)) {
            *problem = "expected \"site LAT LON\", degrees north and east";
            return false;
        }
        sky->site = site;
        return true;
    }
    if (first == "diameter") {
        if (words.size() != 2 || !number(words[1], 0.2, 10, &sky->diameterM)) {
            *problem = "expected \"diameter METRES\", 0.2 to 10";
            return false;
        }
        return true;
    }
    if (words.size() != 2 || !readWholeNumber(words[1], WholeForm{1, 100, 3, true}, &sky->clock)) {
        *problem = "expected \"clock N\", 1 to 100";
        return false;
    }
    return true;
}

MotorSky simulatedMotorSky(const SimulatedSky& sky, const std::string& catalogueText)
{
    return newMotorSky(sky.site, sky.diameterM, sky.mount, skyFromCatalogue(catalogueText), 0);
}

uint32_t skyTimeMs(const SimulatedSky& sky, uint64_t startMs, uint64_t nowMs)
{
    return static_cast<uint32_t>((nowMs - startMs) * sky.clock);
}

double skyClearCarrierToNoiseDb(const MotorSky& dish, double longitudeDeg, int32_t frequencyMHz, int32_t polarization,
                                int32_t symbolRate)
{
    for (size_t i = 0; i < dish.sky.size(); ++i) {
        if (std::fabs(dish.sky[i].longitudeDeg - longitudeDeg) > 0.05) continue;
        const int transponder = findTransponder(dish.sky[i], frequencyMHz, polarization, symbolRate, true);
        if (transponder >= 0) return clearSkyCarrierToNoiseDb(dish, static_cast<int>(i), transponder);
    }
    return std::nan("");
}
