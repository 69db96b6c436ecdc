#include "tests/support/bda/bdasim_scenario.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <sstream>

static bool readSpan(std::istringstream& words, BdaSimSpan* span)
{
    return static_cast<bool>(words >> span->fromMs >> span->toMs);
}

static bool readTransponder(const std::string& word, BdaSimTransponder* transponder)
{
    if (word == "DVB-S") *transponder = SimDvbS;
    else if (word == "DVB-S2-QPSK") *transponder = SimDvbS2Qpsk;
    else if (word == "DVB-S2-8PSK") *transponder = SimDvbS2Psk8;
    else return false;
    return true;
}

// The rest of a transponder line: its code rate, pilots and roll-off, in any order.
static bool readSignalShape(std::istringstream& words, BdaSimScenario& scenario)
{
    // By BDA's BinaryConvolutionCodeRate, from 1; 5/11 and 6/7 left out.
    static const char* const rates[] = {"1/2", "2/3", "3/4", "3/5", "4/5", "5/6", "",
                                        "7/8", "",    "",    "",    "",    "8/9", "9/10"};
    std::string word, value;
    while (words >> word) {
        const char* const* rate = std::find(std::begin(rates), std::end(rates), word);
        if (!word.empty() && rate != std::end(rates)) {
            scenario.codeRate = static_cast<int32_t>(rate - std::begin(rates)) + 1;
            continue;
        }
        if (!(words >> value)) return false;
        if (word == "pilot" && (value == "on" || value == "off")) scenario.pilots = value == "on";
        else if (word == "rolloff" && value == "0.20") scenario.rollOffPercent = 20;
        else if (word == "rolloff" && value == "0.25") scenario.rollOffPercent = 25;
        else if (word == "rolloff" && value == "0.35") scenario.rollOffPercent = 35;
        else return false;
    }
    return true;
}

static bool readPort(std::istringstream& words, char last, int* port)
{
    std::string letter;
    if (!(words >> letter) || letter.size() != 1 || letter[0] < 'A' || letter[0] > last) return false;
    *port = letter[0] - 'A';
    return true;
}

static bool readId(std::istringstream& words, uint16_t* id)
{
    std::string word;
    if (!(words >> word)) return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(word.c_str(), &end, 0);
    if (*end != '\0' || value > 0xFFFF) return false;
    *id = static_cast<uint16_t>(value);
    return true;
}

// "19.2E", "30.0W" in tenths of a degree, east positive.
static bool readPosition(const std::string& word, PositionTenths* position)
{
    if (word.size() < 2 || (word.back() != 'E' && word.back() != 'W')) return false;
    char* end = nullptr;
    const double degrees = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() - 1 || degrees < 0 || degrees > 180) return false;
    const PositionTenths tenths = static_cast<PositionTenths>(std::lround(degrees * 10));
    *position = word.back() == 'E' ? tenths : -tenths;
    return true;
}

static bool readNetwork(std::istringstream& words, BdaSimStream& stream, const std::string& id)
{
    std::istringstream idWords(id);
    if (!readId(idWords, &stream.network.networkId)) return false;
    std::string name;
    std::getline(words >> std::ws, name);
    stream.hasNetwork = true;
    stream.network.withName = !name.empty();
    stream.network.networkName = name;
    stream.network.streamsPerSection = 2;
    return true;
}

static bool readNitLine(std::istringstream& words, BdaSimStream& stream, const std::string& what)
{
    if (what == "damaged") {
        stream.damaged = true;
        return true;
    }
    NitStreamFacts entry{0, 0, false, 0, 12245000};
    std::string position;
    if (what != "entry" || !readId(words, &entry.transportStreamId) || !readId(words, &entry.originalNetworkId) ||
        !(words >> position))
        return false;
    if (position != "none") {
        if (!readPosition(position, &entry.position)) return false;
        entry.withSatelliteDescriptor = true;
    }
    stream.network.streams.push_back(entry);
    return true;
}

BdaSimScenario parseBdaSimScenario(const std::string& text, std::string* errors)
{
    BdaSimScenario scenario;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (first.empty() || first[0] == '#') continue;
        bool known = true;
        if (first == "refuse" && second == "graph") scenario.refuseGraph = true;
        else if (first == "refuse" && second == "tune") scenario.refuseTune = true;
        else if (first == "no" && second == "quality") scenario.noQuality = true;
        else if (first == "legacy" && second == "provider") scenario.legacyProvider = true;
        else if (first == "legacy" && second == "locator") scenario.legacyLocator = true;
        else if (first == "no" && second == "input") {
            std::string third;
            known = static_cast<bool>(words >> third) && third == "range";
            scenario.noInputRange = known;
        } else if (first == "transponder")
            known = readTransponder(second, &scenario.transponder) && readSignalShape(words, scenario);
        else if (first == "demodulator" && second == "reports") scenario.demodulatorReports = true;
        else if (first == "switch" && second == "port") known = readPort(words, 'D', &scenario.dishPort);
        else if (first == "switch" && second == "burst") {
            known = readPort(words, 'B', &scenario.dishPort);
            scenario.toneBurstSwitch = true;
        } else if (first == "fail" && second == "lock") known = readSpan(words, &scenario.failLock);
        else if (first == "stall" && second == "readings") known = readSpan(words, &scenario.stallReadings);
        else if (first == "stream") {
            std::istringstream ids(line);
            ids >> first;
            known = readId(ids, &scenario.stream.transportStreamId) && readId(ids, &scenario.stream.originalNetworkId);
        } else if (first == "network") known = readNetwork(words, scenario.stream, second);
        else if (first == "nit") known = readNitLine(words, scenario.stream, second);
        else if (first == "sections" && second == "only") known = static_cast<bool>(words >> scenario.stream.onlyMHz);
        else if (first == "no" && second == "demultiplexer") scenario.noDemultiplexer = true;
        else if (first == "scr-device" || first == "scr-neighbour") {
            std::vector<std::string> rest{second};
            for (std::string word; words >> word;) rest.push_back(word);
            std::string error;
            known = first == "scr-device" ? parseScrDeviceWords(rest, &scenario.scr, &error)
                                          : parseScrNeighbourWords(rest, &scenario.scr, &error);
        } else if (first == "carrier") {
            BdaSimCarrier carrier{0, 0, 0};
            std::istringstream frequency(second);
            known = static_cast<bool>(frequency >> carrier.frequencyMHz) &&
                    static_cast<bool>(words >> carrier.widthMHz >> carrier.strength);
            if (known) scenario.carriers.push_back(carrier);
        } else if (first == "motor") {
            std::vector<std::string> rest;
            if (!second.empty()) rest.push_back(second);
            for (std::string word; words >> word;) rest.push_back(word);
            std::string error;
            known = parseMotorMountWords(rest, &scenario.motor, &error);
        } else if (first == "signal") {
            BdaSimStep step{0, false, 0, 0};
            std::istringstream from(second);
            std::string state;
            known = static_cast<bool>(from >> step.fromMs) && static_cast<bool>(words >> state);
            if (known && state == "locked") {
                step.locked = true;
                known = static_cast<bool>(words >> step.quality >> step.strength);
            } else if (state == "unlocked") {
                // The tuner's level, there before any lock, where the line gives one.
                int32_t strength = 0;
                if (words >> strength) step.strength = strength;
            } else {
                known = false;
            }
            if (known) scenario.signal.push_back(step);
        } else {
            known = false;
        }
        if (!known && errors) *errors += "unknown scenario line: " + line + "\n";
    }
    return scenario;
}

BdaSimStep bdaSimSignalAt(const BdaSimScenario& scenario, uint32_t msSinceTune)
{
    if (scenario.signal.empty())
        return msSinceTune >= 300 ? BdaSimStep{300, true, 72, 81} : BdaSimStep{0, false, 0, 81};
    BdaSimStep now{0, false, 0, 0};
    for (const BdaSimStep& step : scenario.signal)
        if (step.fromMs <= msSinceTune && step.fromMs >= now.fromMs) now = step;
    return now;
}

BdaSimStep bdaSimSignalAtCarrier(const BdaSimScenario& scenario, uint32_t msSinceTune, uint32_t carrierKHz)
{
    BdaSimStep step = bdaSimSignalAt(scenario, msSinceTune);
    if (scenario.carriers.empty()) return step;
    for (const BdaSimCarrier& carrier : scenario.carriers) {
        const uint32_t apartKHz = carrierKHz > carrier.frequencyMHz * 1000 ? carrierKHz - carrier.frequencyMHz * 1000
                                                                           : carrier.frequencyMHz * 1000 - carrierKHz;
        if (apartKHz * 2 > carrier.widthMHz * 1000) continue;
        step.strength = carrier.strength;
        return step;
    }
    step.locked = false;
    step.quality = 0;
    return step;
}
