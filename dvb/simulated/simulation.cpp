#include "dvb/simulated/simulation.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

// The name used in the file ("DVB-S2").
static const char* simulatedSystemName(SimulatedSystem system)
{
    switch (system) {
    case SimDvbS: return "DVB-S";
    case SimDvbS2: return "DVB-S2";
    case SimDvbT: return "DVB-T";
    case SimDvbC: return "DVB-C";
    }
    return "?";
}

static bool systemByName(const std::string& name, SimulatedSystem* system)
{
    for (SimulatedSystem each : {SimDvbS, SimDvbS2, SimDvbT, SimDvbC}) {
        if (name == simulatedSystemName(each)) {
            *system = each;
            return true;
        }
    }
    return false;
}

static bool statisticsByName(const std::string& name, SimulatedStatistics* statistics)
{
    static const char* const names[] = {"decibel", "relative", "legacy", "none"};
    for (int i = 0; i < 4; ++i) {
        if (name == names[i]) {
            *statistics = static_cast<SimulatedStatistics>(i);
            return true;
        }
    }
    return false;
}

static bool wholeMilliseconds(const std::string& word, uint32_t* value)
{
    if (word.empty() || word.size() > 9) return false;
    for (char c : word)
        if (c < '0' || c > '9') return false;
    *value = static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 10));
    return true;
}

// A C/N between -50 and 100 dB, in thousandths.
static bool decibels(const std::string& word, int32_t* milliDb)
{
    if (word.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !(value >= -50.0 && value <= 100.0)) return false;
    *milliDb = static_cast<int32_t>(std::lround(value * 1000.0));
    return true;
}

static bool parseLine(const std::vector<std::string>& words, Simulation* simulation, std::string* problem)
{
    const std::string& first = words[0];
    if (first == "fail") {
        if (words.size() == 2 && words[1] == "open") simulation->failOpen = true;
        else if (words.size() == 2 && words[1] == "tune") simulation->failTune = true;
        else *problem = "expected \"fail open\" or \"fail tune\"";
        return problem->empty();
    }
    if (first == "systems") {
        simulation->systems.clear();
        for (size_t i = 1; i < words.size(); ++i) {
            SimulatedSystem system;
            if (!systemByName(words[i], &system)) {
                *problem = "unknown delivery system \"" + words[i] + "\"";
                return false;
            }
            simulation->systems.push_back(system);
        }
        if (simulation->systems.empty()) *problem = "no delivery system named";
        return problem->empty();
    }
    if (first == "transponder") {
        SimulatedSystem system;
        if (words.size() != 2 || !systemByName(words[1], &system) || (system != SimDvbS && system != SimDvbS2)) {
            *problem = "expected \"transponder DVB-S\" or \"transponder DVB-S2\"";
            return false;
        }
        simulation->anyTransponder = false;
        simulation->transponder = system;
        return true;
    }
    if (first == "modulation") {
        if (words.size() != 2 || words[1] != "explicit") *problem = "expected \"modulation explicit\"";
        simulation->explicitModulation = problem->empty();
        return problem->empty();
    }
    if (first == "statistics") {
        if (words.size() != 2 || !statisticsByName(words[1], &simulation->statistics))
            *problem = "expected \"statistics decibel|relative|legacy|none\"";
        return problem->empty();
    }
    SimulatedMoment moment{};
    if (!wholeMilliseconds(first, &moment.fromMs)) {
        *problem = "unknown line";
        return false;
    }
    if (words.size() == 3 && words[1] == "lock" && decibels(words[2], &moment.carrierToNoiseMilliDb)) {
        moment.locked = true;
    } else if (!(words.size() == 2 && words[1] == "nolock")) {
        *problem = "expected \"T lock CN_DB\" or \"T nolock\"";
        return false;
    }
    simulation->timeline.push_back(moment);
    return true;
}

bool parseSimulation(const std::string& text, Simulation* simulation, std::string* error)
{
    *simulation = Simulation();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream wordStream(line);
        std::vector<std::string> words;
        for (std::string word; wordStream >> word;) words.push_back(word);
        if (words.empty() || words[0][0] == '#') continue;
        std::string problem;
        if (!parseLine(words, simulation, &problem)) {
            *error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
    }
    return true;
}

SimulatedSignal simulatedSignalAt(const Simulation& simulation, uint32_t sinceTuneMs)
{
    SimulatedSignal signal{false, 0};
    uint32_t latestFrom = 0;
    bool found = false;
    for (const SimulatedMoment& moment : simulation.timeline) {
        if (moment.fromMs > sinceTuneMs || (found && moment.fromMs < latestFrom)) continue;
        signal = SimulatedSignal{moment.locked, moment.carrierToNoiseMilliDb};
        latestFrom = moment.fromMs;
        found = true;
    }
    return signal;
}
