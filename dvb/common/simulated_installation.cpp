#include "dvb/simulated/simulated_lnb.h"

#include <cmath>
#include <cstdlib>

#include "app/number_text.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/frontend_plan.h"

// A C band LNB's oscillator stands above the band it receives.
static constexpr uint32_t mixesFromAboveBelowMHz = 7000;
static constexpr int64_t frequencyToleranceKHz = 4000;
static constexpr double symbolRateTolerance = 0.03;

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
        uint32_t low = 0, high = 0;
        const bool sound = (words.size() == 2 || words.size() == 3) && wholeNumber(words[1], 3000, 12000, &low) &&
                           (words.size() == 2 || wholeNumber(words[2], 3000, 12000, &high));
        if (!sound) *problem = "expected \"lnb LOW [HIGH]\", local oscillators in MHz (3000 to 12000)";
        installation->lowOscillatorMHz = low;
        installation->highOscillatorMHz = words.size() == 3 ? high : low;
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

int committedCommandPort(const uint8_t* message, size_t length)
{
    if (length < 4 || message[0] != 0xE0 || message[2] != 0x38 || (message[3] & 0xF0) != 0xF0) return -1;
    return ((message[3] >> 2) & 0x01) | ((message[3] >> 3) & 0x01) << 1;
}

int burstPort(int port, bool burstB) { return (port & 2) | (burstB ? 1 : 0); }

bool lnbReception(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                  int64_t* downlinkKHz, bool* horizontal)
{
    if (control.supply == SupplyOff || (installation.deadPorts >> control.switchPort & 1u)) return false;
    const bool high = control.toneOn && (control.viaSingleCable || !installation.toneLost);
    *horizontal = control.supply == Supply18 && (control.viaSingleCable || !installation.eighteenLost);
    const int64_t oscillatorKHz = int64_t{high ? installation.highOscillatorMHz : installation.lowOscillatorMHz} * 1000;
    *downlinkKHz = oscillatorKHz < int64_t{mixesFromAboveBelowMHz} * 1000 ? oscillatorKHz - intermediateKHz
                                                                          : oscillatorKHz + intermediateKHz;
    return true;
}

int carrierReaching(const SimulatedInstallation& installation, const LnbControl& control, uint32_t intermediateKHz,
                    uint32_t symbolsPerSecond)
{
    int64_t downlinkKHz = 0;
    bool horizontal = false;
    if (!lnbReception(installation, control, intermediateKHz, &downlinkKHz, &horizontal)) return -1;
    for (size_t i = 0; i < installation.carriers.size(); ++i) {
        const SimulatedCarrier& carrier = installation.carriers[i];
        const double rate = carrier.symbolRate * 1000.0;
        if (carrier.horizontal == horizontal &&
            std::llabs(downlinkKHz - int64_t{carrier.frequencyMHz} * 1000) <= frequencyToleranceKHz &&
            std::fabs(symbolsPerSecond - rate) <= symbolRateTolerance * rate)
            return static_cast<int>(i);
    }
    return -1;
}

bool carrierLocks(const SimulatedCarrier& carrier)
{
    double needed = 0.0;
    return requiredCarrierToNoiseDb(carrier.modcod, &needed) && carrier.carrierToNoiseMilliDb >= needed * 1000.0;
}
