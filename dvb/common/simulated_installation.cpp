#include "dvb/common/simulated_installation.h"

#include <cmath>
#include <cstdlib>

#include "app/number_text.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/frontend_plan.h"

static bool wholeNumber(const std::string& word, uint32_t lowest, uint32_t highest, uint32_t* value)
{
    return readWholeNumber(word, WholeForm{lowest, highest, 6, true}, value);
}

static bool identifier(const std::string& word, uint16_t* value)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0' || number > 0xFFFF) return false;
    *value = static_cast<uint16_t>(number);
    return true;
}

// "11362H27500": what a catalogue line's parameters give, H or V only.
static bool carrierEntry(const std::string& word, SimulatedCarrier* carrier)
{
    const std::vector<CatalogueLine> lines = catalogueLines("[carrier]=" + word + ";");
    if (lines.size() != 1 || lines[0].polarization > 1 || lines[0].frequencyMHz <= 0) return false;
    carrier->frequencyMHz = static_cast<uint32_t>(lines[0].frequencyMHz);
    carrier->horizontal = lines[0].polarization == 0;
    carrier->symbolRate = static_cast<uint32_t>(lines[0].symbolRate);
    std::string upper = word;
    for (char& c : upper) c = c == 'h' ? 'H' : c == 'v' ? 'V' : c;
    // Nothing more than the three values.
    return std::to_string(lines[0].frequencyMHz) + (carrier->horizontal ? "H" : "V") +
               std::to_string(lines[0].symbolRate) ==
           upper;
}

static bool parseCarrier(const std::vector<std::string>& words, SimulatedCarrier* carrier)
{
    if (words.size() < 3 || !carrierEntry(words[1], carrier)) return false;
    char* end = nullptr;
    const double decibels = std::strtod(words[2].c_str(), &end);
    if (*end != '\0' || !(decibels >= -50.0 && decibels <= 100.0)) return false;
    carrier->carrierToNoiseMilliDb = static_cast<int32_t>(std::lround(decibels * 1000.0));
    size_t at = 3;
    if (at < words.size() && words[at] != "stream") {
        if (!parseModcod(words[at], &carrier->modcod)) return false;
        ++at;
    }
    if (at == words.size()) return true;
    carrier->hasStream = true;
    return words.size() == at + 3 && words[at] == "stream" && identifier(words[at + 1], &carrier->transportStreamId) &&
           identifier(words[at + 2], &carrier->originalNetworkId);
}

// "A", "AB": the port Azimora's letters select.
static int portOfLetters(const std::string& letters)
{
    static const char* const codes[] = {"", "A", "B", "AA", "BA", "AB", "BB"};
    for (int32_t code = 1; code <= 6; ++code)
        if (letters == codes[code]) return switchPortFor(code);
    return noSwitchPort;
}

bool parseInstallationLine(const std::vector<std::string>& words, SimulatedInstallation* installation,
                           std::string* problem)
{
    const std::string& first = words[0];
    if (first == "lnb") {
        // The oscillators, then what they are off by.
        size_t errorAt = 1;
        while (errorAt < words.size() && words[errorAt] != "error") ++errorAt;
        uint32_t low = 0, high = 0;
        const bool sound = (errorAt == 2 || errorAt == 3) && wholeNumber(words[1], 3000, 12000, &low) &&
                           (errorAt == 2 || wholeNumber(words[2], 3000, 12000, &high));
        if (!sound)
            *problem = "expected \"lnb LOW [HIGH] [error KHZ [drift KHZ_PER_MIN]]\", local oscillators in MHz "
                       "(3000 to 12000)";
        else if (errorAt < words.size()) parseLnbDriftWords(words, errorAt, &installation->drift, problem);
        installation->lowOscillatorMHz = low;
        installation->highOscillatorMHz = errorAt == 3 ? high : low;
        installation->present = true;
        return problem->empty();
    }
    if (first == "carrier") {
        SimulatedCarrier carrier;
        if (!parseCarrier(words, &carrier))
            *problem = "expected \"carrier ENTRY CN_DB [MODCOD] [stream TSID ONID]\", ENTRY as 11362H27500, MODCOD "
                       "as S2-8PSK-2/3";
        else if (installation->carriers.size() >= simulatedCarriersLimit)
            *problem = "more than " + std::to_string(simulatedCarriersLimit) + " carriers";
        else installation->carriers.push_back(carrier);
        installation->present = true;
        return problem->empty();
    }
    const std::string what = words.size() >= 2 ? words[1] : "";
    const int port = words.size() == 3 && what == "port" ? portOfLetters(words[2]) : noSwitchPort;
    if (words.size() == 2 && what == "no-tone") installation->toneLost = true;
    else if (words.size() == 2 && what == "no-18v") installation->eighteenLost = true;
    else if (port != noSwitchPort) installation->deadPorts = static_cast<uint8_t>(installation->deadPorts | 1u << port);
    else *problem = "expected \"fault no-tone\", \"fault no-18v\" or \"fault port A|B|AA|BA|AB|BB\"";
    return problem->empty();
}
