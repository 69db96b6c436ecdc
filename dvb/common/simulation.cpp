#include "dvb/common/simulation.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/number_text.h"
#include "cardbase/margin/link_margin.h"

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

static bool statisticsByName(const std::string& name, Simulation* simulation)
{
    SimulatedStatistics* statistics = &simulation->statistics;
    if (statisticsDriverByName(name, &simulation->driver)) {
        *statistics = StatisticsOfDriver;
        return true;
    }
    static const char* const names[] = {"decibel", "relative", "legacy", "legacy-tenths", "legacy-negative", "none"};
    for (int i = 0; i < 6; ++i) {
        if (name == names[i]) {
            *statistics = static_cast<SimulatedStatistics>(i);
            return true;
        }
    }
    return false;
}

static bool wholeMilliseconds(const std::string& word, uint32_t* value)
{
    return readWholeNumber(word, WholeForm{0, 999999999, 9, true}, value);
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

// 0 to 65535, decimal or after 0x hexadecimal.
static bool identifier(const std::string& word, uint16_t* value)
{
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    if (!hex) return readWholeNumber(word, WholeForm{0, 65535, 5, true}, value);
    const std::string digits = word.substr(2);
    if (digits.empty() || digits.size() > 4) return false;
    for (char c : digits)
        if (!(c >= '0' && c <= '9') && !((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
    *value = static_cast<uint16_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

// "19.2E", "30.0W", "0.0E": up to 180.0 degrees, one decimal.
static bool orbitalPosition(const std::string& word, PositionTenths* position)
{
    const size_t dot = word.find('.');
    if (word.size() < 4 || dot == std::string::npos || dot + 3 != word.size() || dot > 3) return false;
    const char side = word.back();
    if (side != 'E' && side != 'W') return false;
    int32_t tenths = 0;
    if (!readWholeNumber(word.substr(0, dot) + word[dot + 1], WholeForm{0, 1800, 4, true}, &tenths)) return false;
    *position = side == 'E' ? tenths : -tenths;
    return true;
}

// "11362H27500", "12149L27500": a NIT entry's transponder, any polarization.
static bool transponderWord(const std::string& word, NitStreamFacts* stream)
{
    const size_t letter = word.find_first_not_of("0123456789");
    if (letter == std::string::npos) return false;
    static const char letters[] = "HVLR";
    const char* found = std::strchr(letters, word[letter]);
    const WholeForm fiveDigits{0, 99999, 5, true};
    uint32_t megahertz = 0, kilosymbols = 0;
    if (!found || *found == '\0' || !readWholeNumber(word.substr(0, letter), fiveDigits, &megahertz) ||
        !readWholeNumber(word.substr(letter + 1), fiveDigits, &kilosymbols))
        return false;
    stream->frequencyKHz = megahertz * 1000;
    stream->polarization = static_cast<uint8_t>(found - letters);
    stream->symbolsPerSecond = kilosymbols * 1000;
    return true;
}

static bool parseStreamLine(const std::vector<std::string>& words, Simulation* simulation, std::string* problem)
{
    const std::string& first = words[0];
    if (first == "stream") {
        if (words.size() != 3 || !identifier(words[1], &simulation->transportStreamId) ||
            !identifier(words[2], &simulation->originalNetworkId))
            *problem = "expected \"stream TSID ONID\"";
        simulation->hasStream = problem->empty();
        return problem->empty();
    }
    std::vector<SimulatedNetworkTable>& tables = simulation->networkTables;
    if (first == "nit" && words.size() >= 3 && (words[1] == "actual" || words[1] == "other")) {
        SimulatedNetworkTable table;
        table.facts.tableId = words[1] == "actual" ? nitActualTable : nitOtherTable;
        std::string name;
        for (size_t i = 3; i < words.size(); ++i) name += (i > 3 ? " " : "") + words[i];
        table.facts.withName = !name.empty();
        table.facts.networkName = name;
        if (!identifier(words[2], &table.facts.networkId) || name.size() > 64)
            *problem = "expected \"nit actual|other ID [NAME]\", the name at most 64 characters";
        else if (tables.size() >= simulatedTablesLimit)
            *problem = "more than " + std::to_string(simulatedTablesLimit) + " tables";
        else tables.push_back(table);
        return problem->empty();
    }
    if (tables.empty()) {
        *problem = "\"" + first + "\" before any \"nit actual|other\" line";
        return false;
    }
    NitFacts& facts = tables.back().facts;
    if (first == "entry") {
        NitStreamFacts stream{0, 0, words.size() >= 4 && words[3] != "none", 0, 0};
        bool modcodSound = words.size() <= 6 && (words.size() == 4 || stream.withSatelliteDescriptor);
        bool transponderNamed = false, modcodNamed = false;
        for (size_t i = 4; i < words.size() && modcodSound; ++i) {
            Modcod modcod;
            // The transponder and the modulation, each at most once, in either order.
            if (!transponderNamed && transponderWord(words[i], &stream)) transponderNamed = true;
            else if (!modcodNamed && parseModcod(words[i], &modcod) &&
                     descriptorFields(modcod, &stream.modulationSystem, &stream.modulationType, &stream.fecInner))
                modcodNamed = true;
            else modcodSound = false;
        }
        if (!modcodSound || !identifier(words[1], &stream.transportStreamId) ||
            !identifier(words[2], &stream.originalNetworkId) ||
            (stream.withSatelliteDescriptor && !orbitalPosition(words[3], &stream.position)))
            *problem = "expected \"entry TSID ONID POSITION [MODCOD] [TRANSPONDER]|none\", the position as 19.2E or "
                       "30.0W, MODCOD DVB-S or DVB-S2 QPSK or 8PSK as S2-8PSK-3/4, TRANSPONDER as 11362H27500 (H, V, "
                       "L or R)";
        else if (facts.streams.size() >= simulatedEntriesLimit)
            *problem = "more than " + std::to_string(simulatedEntriesLimit) + " entries in a table";
        else facts.streams.push_back(stream);
        return problem->empty();
    }
    uint32_t perSection = 0;
    if (words.size() == 3 && words[1] == "sections" && wholeMilliseconds(words[2], &perSection) && perSection >= 1 &&
        perSection <= 40)
        facts.streamsPerSection = perSection;
    else if (words.size() == 2 && words[1] == "bad-crc") tables.back().badCrc = true;
    else if (words.size() == 2 && words[1] == "odd-descriptor") facts.withShortCaDescriptors = true;
    else
        *problem = "expected \"nit actual|other ID [NAME]\", \"nit sections N\" (1 to 40), \"nit bad-crc\" or "
                   "\"nit odd-descriptor\"";
    return problem->empty();
}

static const char* const codeRates[] = {"1/2", "3/5", "2/3", "3/4", "4/5", "5/6", "8/9", "9/10"};

static bool knownCodeRate(const std::string& word)
{
    for (const char* rate : codeRates)
        if (word == rate) return true;
    return false;
}

// The behaviours where drivers differ.
static bool parsePersonality(const std::vector<std::string>& words, Simulation* simulation, std::string* problem)
{
    const std::string name = words.size() == 2 ? words[1] : "";
    if (name == "needs-code-rate") simulation->needsCodeRate = true;
    else if (name == "ignores-modulation") simulation->ignoresModulation = true;
    else if (name == "finds-either-system") simulation->findsEitherSystem = true;
    else if (name == "v5-strength-only") simulation->statistics = StatisticsV5StrengthOnly;
    else if (name == "strength-only") simulation->statistics = StatisticsStrengthOnly;
    else if (name == "no-burst") simulation->noBurst = true;
    else if (name == "reads-back") simulation->readsBack = true;
    else if (name == "needs-rolloff") simulation->needsRolloff = true;
    else if (name == "dont-poll") simulation->dontPoll = true;
    else if (name == "reads-back-modcod") {
        simulation->readsBack = true;
        simulation->readsBackSystem = false;
    } else
        *problem = "expected \"personality needs-code-rate|ignores-modulation|finds-either-system|v5-strength-only|"
                   "strength-only|no-burst|reads-back|reads-back-modcod|needs-rolloff|dont-poll\"";
    return problem->empty();
}

// The frontend's own: its name, its time to search, its personalities.
static bool parseChipLine(const std::vector<std::string>& words, Simulation* simulation, std::string* problem)
{
    const std::string& first = words[0];
    if (first == "personality") return parsePersonality(words, simulation, problem);
    if (first == "acquisition" || first == "search") {
        uint32_t ms = 0;
        if (words.size() != 2 || !wholeMilliseconds(words[1], &ms) || ms > 10000)
            *problem = "expected \"" + first + " MS\" with MS from 0 to 10000";
        (first == "search" ? simulation->searchMs : simulation->acquisitionMs) = ms;
        return problem->empty();
    }
    if (first == "rolloff") {
        const std::string value = words.size() == 2 ? words[1] : "";
        if (value == "0.35") simulation->transponderRolloff = Rolloff035;
        else if (value == "0.25") simulation->transponderRolloff = Rolloff025;
        else if (value == "0.20") simulation->transponderRolloff = Rolloff020;
        else *problem = "expected \"rolloff 0.35|0.25|0.20\"";
        return problem->empty();
    }
    std::string name;
    for (size_t i = 1; i < words.size(); ++i) name += (i > 1 ? " " : "") + words[i];
    if (name.empty() || name.size() > 127) *problem = "expected \"name TEXT\", at most 127 characters";
    simulation->frontendName = name;
    return problem->empty();
}

static bool parseLine(const std::vector<std::string>& words, Simulation* simulation, std::string* problem)
{
    const std::string& first = words[0];
    if (first == "stream" || first == "nit" || first == "entry") return parseStreamLine(words, simulation, problem);
    if (first == "personality" || first == "acquisition" || first == "search" || first == "rolloff" || first == "name")
        return parseChipLine(words, simulation, problem);
    // The sky's satellites are its carriers: a motorised dish takes no others.
    const bool ownCarriers = first == "carrier" || first == "scr-device" || first == "scr-neighbour";
    if ((ownCarriers && simulation->sky.present) ||
        (first == "motor" && (!simulation->installation.carriers.empty() || simulation->scr.present))) {
        *problem = "a motor line's dish sees the catalogue's satellites: no carrier or scr lines beside it";
        return false;
    }
    if (isSkyLine(first)) return parseSkyLine(words, &simulation->sky, problem);
    if (first == "lnb" || first == "carrier" || first == "fault")
        return parseInstallationLine(words, &simulation->installation, problem);
    if (first == "scr-device" || first == "scr-neighbour") {
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        const bool read = first == "scr-device" ? parseScrDeviceWords(rest, &simulation->scr, problem)
                                                : parseScrNeighbourWords(rest, &simulation->scr, problem);
        simulation->installation.present = simulation->installation.present || read;
        return read;
    }
    if (first == "fail") {
        const std::string what = words.size() == 2 ? words[1] : "";
        bool* flag = what == "open"      ? &simulation->failOpen
                     : what == "tune"    ? &simulation->failTune
                     : what == "voltage" ? &simulation->failVoltage
                     : what == "tone"    ? &simulation->failTone
                     : what == "diseqc"  ? &simulation->failDiseqc
                     : what == "burst"   ? &simulation->failBurst
                                         : nullptr;
        if (flag) *flag = true;
        else *problem = "expected \"fail open|tune|voltage|tone|diseqc|burst\"";
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
            for (SimulatedSystem named : simulation->systems) {
                if (named == system) {
                    *problem = "delivery system \"" + words[i] + "\" named twice";
                    return false;
                }
            }
            simulation->systems.push_back(system);
        }
        if (simulation->systems.empty()) *problem = "no delivery system named";
        return problem->empty();
    }
    if (first == "transponder") {
        SimulatedSystem system = SimDvbT;
        const bool known =
            words.size() >= 2 && systemByName(words[1], &system) && (system == SimDvbS || system == SimDvbS2);
        SimulatedModulation modulation = ModulationAny;
        const bool named = words.size() >= 3 && (words[2] == "QPSK" || words[2] == "8PSK");
        const bool rated = words.size() == 4 && knownCodeRate(words[3]);
        // DVB-S names its code rate alone: a rate of the table's DVB-S rows.
        Modcod dvbs;
        const bool dvbsRated =
            known && system == SimDvbS && words.size() == 3 && parseModcod("S-QPSK-" + words[2], &dvbs);
        if (known && system == SimDvbS2 && named && (words.size() == 3 || rated))
            modulation = words[2] == "QPSK" ? ModulationQpsk : ModulationPsk8;
        else if (words.size() != 2 && !dvbsRated) system = SimDvbT;
        if (!known || system == SimDvbT) {
            *problem = "expected \"transponder DVB-S [RATE]\" or \"transponder DVB-S2 [QPSK|8PSK [RATE]]\", RATE one "
                       "of 1/2 2/3 3/4 5/6 7/8 for DVB-S, 1/2 3/5 2/3 3/4 4/5 5/6 8/9 9/10 for DVB-S2";
            return false;
        }
        simulation->anyTransponder = false;
        simulation->transponder = system;
        simulation->transponderModulation = modulation;
        simulation->transponderCodeRate = rated ? words[3] : dvbsRated ? words[2] : "";
        return true;
    }
    if (first == "system") {
        if (words.size() != 2 || words[1] != "strict") *problem = "expected \"system strict\"";
        simulation->strictSystem = problem->empty();
        return problem->empty();
    }
    if (first == "slow") {
        const bool all = words.size() == 3 && words[1] == "all";
        uint32_t ms = 0;
        if ((words.size() != 2 && !all) || !wholeMilliseconds(words.back(), &ms) || ms > 10000)
            *problem = "expected \"slow MS\" or \"slow all MS\" with MS from 0 to 10000";
        (all ? simulation->slowAllMs : simulation->slowMs) = ms;
        return problem->empty();
    }
    if (first == "modulation") {
        if (words.size() != 2 || words[1] != "explicit") *problem = "expected \"modulation explicit\"";
        simulation->explicitModulation = problem->empty();
        return problem->empty();
    }
    if (first == "statistics") {
        if (words.size() != 2 || !statisticsByName(words[1], simulation))
            *problem = "expected \"statistics decibel|relative|legacy|legacy-tenths|legacy-negative|none\" or a "
                       "driver: ds3000, cx24116, cx24116-esno, stv090x, stv0900, stb0899, m88ds3103, stv0910";
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
        if (line.find('\0') != std::string::npos) {
            *error = "line " + std::to_string(number) + ": a zero byte";
            return false;
        }
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
