#include "sim/card/scenario.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cardbase/frontend_plan.h"
#include "cardbase/sky/sky.h"
#include "tuner/lnb_rules.h"

static const char* const methodNames[simMethodCount] = {
    "SetTransponderFrequency",
    "SetSymbolRate",
    "SetLnbFrequency",
    "SetFec",
    "SetPolarity",
    "SetLnbSelection",
    "SetDiseqc",
    "Initialize",
    "QuerySignalStatus",
    "RefreshSignalReadings",
    "GetSignalNoiseRatio",
    "GetSignalQuality",
    "Reserved",
};

const char* simMethodName(SimMethod method) { return methodNames[method]; }

// -1 when the name is not a method of the card.
static int simMethodByName(const std::string& name)
{
    for (int i = 0; i < simMethodCount; ++i)
        if (name == methodNames[i]) return i;
    return -1;
}

Scenario::Scenario()
{
    for (int32_t& latency : latencyMs) latency = defaultLatencyMs;
}

static bool readNumber(std::istringstream& words, long long* value)
{
    std::string word;
    if (!(words >> word)) return false;
    char* end = nullptr;
    *value = std::strtoll(word.c_str(), &end, 10);
    return end && *end == '\0' && !word.empty();
}

static bool readFloat(std::istringstream& words, float* value)
{
    std::string word;
    if (!(words >> word)) return false;
    char* end = nullptr;
    *value = std::strtof(word.c_str(), &end);
    return end && *end == '\0' && !word.empty();
}

static bool numberIn(const std::string& word, double low, double high, double* value)
{
    char* end = nullptr;
    *value = std::strtod(word.c_str(), &end);
    return end && *end == '\0' && !word.empty() && *value >= low && *value <= high;
}

static bool readDegrees(std::istringstream& words, double low, double high, double* value)
{
    std::string word;
    return words >> word && numberIn(word, low, high, value);
}

// "no-tone", "no-18v", "port B": what is wrong with the installation.
static bool parseFault(const std::string& fault, std::istringstream& words, DishSetup& dish)
{
    if (fault == "no-tone") dish.toneLost = true;
    else if (fault == "no-18v") dish.eighteenLost = true;
    if (fault != "port") return fault == "no-tone" || fault == "no-18v";
    // The letters pick a port of the switch; every code that leads there goes nowhere.
    static const char* const letters[] = {"", "A", "B", "AA", "BA", "AB", "BB"};
    std::string word;
    int port = noSwitchPort;
    if (words >> word)
        for (int32_t code = 1; code <= 6; ++code)
            if (word == letters[code]) port = switchPortFor(code);
    if (port == noSwitchPort) return false;
    for (int32_t code = 1; code <= 6; ++code)
        if (switchPortFor(code) == port) dish.lnbPorts &= ~diseqcPortBit(code);
    return true;
}

// "scr-device en50494 1210,1420,1680,2040 [pin N]", "scr-neighbour UB every S",
// "motor declination +0.4 elevation -0.3 azimuth +0.8 zero 0 speed 1.5 limit 80".
static bool parseSingleCableLine(const std::string& verb, std::istringstream& words, DishSetup& dish, std::string* why)
{
    std::vector<std::string> given;
    for (std::string word; words >> word;) given.push_back(word);
    if (verb == "scr-device") return parseScrDeviceWords(given, &dish.singleCable, why);
    if (verb == "motor") return parseMotorMountWords(given, &dish.motor, why);
    return parseScrNeighbourWords(given, &dish.singleCable, why);
}

// "lnb 0 1", "lnb 9750 10600 error 2300 drift 40": the DiSEqC codes that
// reach the LNB (those given replace the default), the LNB's own
// oscillators (which must be the practice dish's), what they are off by.
static bool parseLnbLine(std::istringstream& words, DishSetup& dish, std::string* why)
{
    std::vector<std::string> given;
    for (std::string word; words >> word;) given.push_back(word);
    uint32_t ports = 0;
    size_t at = 0;
    for (; at < given.size() && given[at] != "error"; ++at) {
        double number = 0;
        if (!numberIn(given[at], 0, 12000, &number) || number != static_cast<int>(number)) return false;
        const int32_t value = static_cast<int32_t>(number);
        if (value <= 6) {
            ports |= diseqcPortBit(value);
        } else if (value != cBandLnbMHz && value != lowBandLnbMHz && value != highBandLnbMHz) {
            // A figure in MHz was meant as an oscillator.
            if (value >= 1000) *why = "the practice dish's LNB has the oscillators 5150, 9750 and 10600 MHz";
            return false;
        }
    }
    if (given.empty() || (at < given.size() && !parseLnbDriftWords(given, at, &dish.lnbDrift, why))) return false;
    if (ports != 0) dish.lnbPorts = ports;
    return true;
}

// The words that set up the simulated dish; false for a word that is not one
// of them or a line that does not read (with the reason in `why` where
// there is more to say than that).
static bool parseDishLine(const std::string& verb, std::istringstream& words, DishSetup& dish, std::string* why)
{
    DishSetup changed = dish;
    changed.enabled = true;
    std::string word;
    if (verb == "scr-device" || verb == "scr-neighbour" || verb == "motor") {
        if (!parseSingleCableLine(verb, words, changed, why)) return false;
    } else if (verb == "window") {
        changed.window = true;
    } else if (verb == "site") {
        if (!readDegrees(words, -90, 90, &changed.site.latitudeDeg) ||
            !readDegrees(words, -180, 180, &changed.site.longitudeDeg))
            return false;
    } else if (verb == "diameter") {
        if (!readDegrees(words, 0.2, 10, &changed.diameterM)) return false;
    } else if (verb == "point") {
        DishPointing& p = changed.pointing;
        if (!readDegrees(words, 0, 360, &p.azimuthDeg) || !readDegrees(words, 0, 90, &p.elevationDeg)) return false;
        p.skewDeg = 0.0;
        if (words >> word && !numberIn(word, -90, 90, &p.skewDeg)) return false;
        changed.aimed = false;
    } else if (verb == "aim") {
        if (!(words >> word) || !orbitalPosition(word, &changed.aimLongitudeDeg)) return false;
        changed.aimed = true;
    } else if (verb == "lnb") {
        if (!parseLnbLine(words, changed, why)) return false;
    } else if (verb == "fault") {
        if (!(words >> word) || !parseFault(word, words, changed)) return false;
    } else if (verb != "dish") {
        return false;
    }
    if (words >> word) return false;  // anything left over
    dish = changed;
    return true;
}

// "network 19.2e 0x0001 Astra 1": position (or "unknown"), id, name.
static bool parseNetworkLine(std::istringstream& words, Scenario& scenario)
{
    std::string position, id, name;
    if (!(words >> position >> id)) return false;
    NetworkIdentity network;
    network.known = true;
    double longitude = 0;
    if (position != "unknown") {
        if (!orbitalPosition(position, &longitude) || std::lround(longitude * 10) == 0) return false;
        network.certainty = PositionOfStream;
        network.position = static_cast<PositionTenths>(std::lround(longitude * 10));
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(id.c_str(), &end, 0);
    if (id.empty() || *end != '\0' || value > 0xFFFF) return false;
    network.networkId = static_cast<uint16_t>(value);
    std::getline(words, name);
    const size_t start = name.find_first_not_of(' ');
    network.networkName = start == std::string::npos ? std::string() : name.substr(start);
    scenario.hasNetwork = true;
    scenario.network = network;
    return true;
}

// "modcod S2-8PSK-3/4", "modcod 10723h29900 S-QPSK-3/4", "modcod none".
static bool parseModcodLine(std::istringstream& words, Scenario& scenario)
{
    std::vector<std::string> given;
    for (std::string word; words >> word;) given.push_back(word);
    if (given.size() == 1 && given[0] == "none") {
        scenario.reportsModcod = false;
        return true;
    }
    ModcodLine line{given.size() == 1, 0, 0, 0, Modcod()};
    if (given.empty() || given.size() > 2 || !parseModcod(given.back(), &line.modcod)) return false;
    if (given.size() == 2) {
        // The transponder as a catalogue line gives it.
        const std::vector<CatalogueLine> entry = catalogueLines("[entry]=" + given[0] + ";");
        if (entry.size() != 1 || entry[0].polarization > 1) return false;
        line.frequencyMHz = entry[0].frequencyMHz;
        line.polarization = entry[0].polarization;
        line.symbolRate = entry[0].symbolRate;
    }
    scenario.modcods.push_back(line);
    return true;
}

static bool parseLine(const std::string& line, Scenario& scenario, std::string* why)
{
    std::istringstream words(line);
    std::string verb, what;
    if (!(words >> verb)) return true;  // blank line
    if (verb == "resources") {
        scenario.countResources = true;
        return !(words >> what);
    }
    if (verb == "odd") {
        // A card that reports success oddly: the interface with S_FALSE.
        if (!(words >> what) || what != "query") return false;
        scenario.oddQuery = true;
        return !(words >> what);
    }
    if (verb == "fail") {
        if (!(words >> what)) return false;
        if (what == "create") scenario.failCreate = true;
        else if (what == "query") scenario.failQuery = true;
        else {
            int method = simMethodByName(what);
            if (method < 0) return false;
            scenario.failMethod[method] = true;
        }
        return true;
    }
    if (verb == "latency") {
        long long ms;
        if (!(words >> what) || !readNumber(words, &ms) || ms < 0 || ms > 600000) return false;
        if (what == "all") {
            for (int32_t& latency : scenario.latencyMs) latency = static_cast<int32_t>(ms);
            return true;
        }
        int method = simMethodByName(what);
        if (method < 0) return false;
        scenario.latencyMs[method] = static_cast<int32_t>(ms);
        return true;
    }
    if (verb == "signal") {
        long long from;
        if (!readNumber(words, &from) || from < 0 || from > UINT32_MAX || !(words >> what)) return false;
        SignalLine signal{static_cast<uint32_t>(from), false, 0, 0.0f};
        if (what == "lock") {
            long long quality;
            if (!readNumber(words, &quality) || !readFloat(words, &signal.snr)) return false;
            if (quality < INT32_MIN || quality > INT32_MAX) return false;
            signal.locked = true;
            signal.quality = static_cast<int32_t>(quality);
        } else if (what != "nolock") {
            return false;
        }
        scenario.signal.push_back(signal);
        return true;
    }
    if (verb == "refresh") {
        long long ms;
        if (!readNumber(words, &ms) || ms < 20 || ms > 10000 || (words >> what)) return false;
        scenario.dish.refreshMs = static_cast<uint32_t>(ms);
        return true;
    }
    if (verb == "network") return parseNetworkLine(words, scenario);
    if (verb == "modcod") return parseModcodLine(words, scenario);
    return parseDishLine(verb, words, scenario.dish, why);
}

Scenario parseScenario(const std::string& text, std::string* errors)
{
    Scenario scenario;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        std::string why;
        if (!parseLine(line, scenario, &why) && errors)
            *errors += "unknown scenario line: " + line + (why.empty() ? "" : " (" + why + ")") + "\n";
    }
    return scenario;
}

SignalReading scenarioSignal(const Scenario& scenario, bool tuned, uint32_t sinceTuneMs)
{
    SignalReading reading{false, 0, 0.0f};
    if (!tuned) return reading;
    uint32_t latestFrom = 0;
    bool found = false;
    for (const SignalLine& line : scenario.signal) {
        // The latest line whose time has passed; of equal times, the last written.
        if (line.fromMs <= sinceTuneMs && (!found || line.fromMs >= latestFrom)) {
            latestFrom = line.fromMs;
            found = true;
            reading = SignalReading{line.locked, line.quality, line.snr};
        }
    }
    return reading;
}

void applyScenarioModcods(const Scenario& scenario, std::vector<Satellite>& sky)
{
    for (const ModcodLine& line : scenario.modcods)
        for (Satellite& satellite : sky)
            for (Transponder& transponder : satellite.transponders)
                if (line.everyTransponder ||
                    transponderMatches(transponder, line.frequencyMHz, line.polarization, line.symbolRate))
                    transponder.modcod = line.modcod;
}

bool scenarioModcod(const Scenario& scenario, Modcod* modcod)
{
    bool found = false;
    for (const ModcodLine& line : scenario.modcods) {
        if (!line.everyTransponder) continue;
        *modcod = line.modcod;
        found = true;
    }
    return found && scenario.reportsModcod;
}
