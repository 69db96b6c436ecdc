#include "tests/support/bda/bdasim_scenario.h"

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

static bool readPort(std::istringstream& words, int* port)
{
    std::string letter;
    if (!(words >> letter) || letter.size() != 1 || letter[0] < 'A' || letter[0] > 'D') return false;
    *port = letter[0] - 'A';
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
        else if (first == "transponder") known = readTransponder(second, &scenario.transponder);
        else if (first == "switch" && second == "port") known = readPort(words, &scenario.dishPort);
        else if (first == "fail" && second == "lock") known = readSpan(words, &scenario.failLock);
        else if (first == "stall" && second == "readings") known = readSpan(words, &scenario.stallReadings);
        else if (first == "signal") {
            BdaSimStep step{0, false, 0, 0};
            std::istringstream from(second);
            std::string state;
            known = static_cast<bool>(from >> step.fromMs) && static_cast<bool>(words >> state);
            if (known && state == "locked") {
                step.locked = true;
                known = static_cast<bool>(words >> step.quality >> step.strength);
            } else if (state != "unlocked") {
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
    if (scenario.signal.empty()) return msSinceTune >= 300 ? BdaSimStep{300, true, 72, 81} : BdaSimStep{0, false, 0, 0};
    BdaSimStep now{0, false, 0, 0};
    for (const BdaSimStep& step : scenario.signal)
        if (step.fromMs <= msSinceTune && step.fromMs >= now.fromMs) now = step;
    return now;
}
