#include "dvb/helper/survey/survey_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cardbase/pointing/pointing_input.h"
#include "dvb/helper/typed_tuning.h"

static const char* const letterNames[] = {"", "A", "B", "AA", "BA", "AB", "BB"};

std::string switchLetters(int32_t diseqcCode)
{
    return diseqcCode >= 0 && diseqcCode <= 6 ? letterNames[diseqcCode] : "";
}

int32_t diseqcCodeOf(const std::string& letters)
{
    std::string upper = letters;
    for (char& c : upper) c = c == 'a' ? 'A' : c == 'b' ? 'B' : c;
    for (int32_t code = 0; code <= 6; ++code)
        if (upper == letterNames[code]) return code;
    return -1;
}

bool surveyTransponderOf(const std::string& entry, SurveyFound found, SurveyTransponder* transponder)
{
    SurveyTransponder made;
    std::string error;
    if (!tuningFromEntry(entry, &made.tuning, &made.entry, &error)) return false;
    made.found = found;
    *transponder = made;
    return true;
}

bool sameTransponder(const CardTuning& a, const CardTuning& b)
{
    return a.polarization == b.polarization && std::abs(a.frequencyMHz - b.frequencyMHz) <= frequencyMatchMHz;
}

static int32_t rounded(uint32_t value, uint32_t unit) { return static_cast<int32_t>((value + unit / 2) / unit); }

// The typed entry of a list's stream: "11362H27500" and the letters.
static std::string entryOf(const NitTransportStream& stream, int32_t diseqcCode)
{
    return std::to_string(rounded(stream.frequencyKHz, 1000)) + (stream.polarization == 0 ? "H" : "V") +
           std::to_string(rounded(stream.symbolsPerSecond, 1000)) + switchLetters(diseqcCode);
}

ListedTransponders listedAt(const HeardLists& lists, PositionTenths position, int32_t diseqcCode)
{
    ListedTransponders listed;
    std::vector<CardTuning> circular;
    for (const NitTable& table : lists.tables) {
        for (const NitTransportStream& stream : table.streams) {
            if (!stream.hasPosition || !withinHalfDegree(stream.position, position)) continue;
            SurveyTransponder transponder;
            const bool linear = stream.polarization < 2;
            if (linear && !surveyTransponderOf(entryOf(stream, diseqcCode), FoundInLists, &transponder)) {
                ++listed.untypable;
                continue;
            }
            if (!linear) {
                // Counted once, however many lists carry it.
                CardTuning seen;
                seen.frequencyMHz = rounded(stream.frequencyKHz, 1000);
                seen.polarization = stream.polarization;
                bool known = false;
                for (const CardTuning& each : circular) known = known || sameTransponder(each, seen);
                if (!known) circular.push_back(seen);
                continue;
            }
            transponder.listedHere = true;
            transponder.listed = networkWord(stream.modulationSystem, stream.modulationType, stream.fecInner);
            bool known = false;
            for (const SurveyTransponder& each : listed.tunable)
                known = known || sameTransponder(each.tuning, transponder.tuning);
            if (!known) listed.tunable.push_back(transponder);
        }
    }
    listed.circular = static_cast<int>(circular.size());
    std::stable_sort(listed.tunable.begin(), listed.tunable.end(),
                     [](const SurveyTransponder& a, const SurveyTransponder& b) {
                         return a.tuning.frequencyMHz < b.tuning.frequencyMHz;
                     });
    return listed;
}

bool listedAnywhere(const HeardLists& lists, const CardTuning& tuning)
{
    for (const NitTable& table : lists.tables) {
        for (const NitTransportStream& stream : table.streams) {
            CardTuning listed;
            listed.frequencyMHz = rounded(stream.frequencyKHz, 1000);
            listed.polarization = stream.polarization;
            if (stream.hasDeliveryDescriptor && sameTransponder(listed, tuning)) return true;
        }
    }
    return false;
}

bool parseTransponderFile(const std::string& text, int32_t diseqcCode, std::vector<SurveyTransponder>* transponders,
                          std::string* error)
{
    std::vector<SurveyTransponder> read;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        const std::string word = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
        SurveyTransponder transponder;
        if (!surveyTransponderOf(word, FoundInFile, &transponder)) {
            *error = "line " + std::to_string(number) + ": \"" + word.substr(0, 32) +
                     "\" is no transponder as Azimora's keypad takes it (11362H27500, 12245H27500AB)";
            return false;
        }
        if (transponder.tuning.diseqcCode == 0 && diseqcCode > 0)
            surveyTransponderOf(transponder.entry + switchLetters(diseqcCode), FoundInFile, &transponder);
        if (read.size() >= transponderFileEntries) {
            *error = "line " + std::to_string(number) + ": more than " + std::to_string(transponderFileEntries) +
                     " transponders";
            return false;
        }
        read.push_back(transponder);
    }
    *transponders = read;
    return true;
}

PositionTenths positionOf(const CatalogueLine& line)
{
    return static_cast<PositionTenths>(std::lround(line.longitudeDeg * 10));
}

bool catalogueLineAt(PositionTenths position, const std::vector<CatalogueLine>& catalogue, CatalogueLine* line)
{
    for (const CatalogueLine& each : catalogue) {
        if (each.hasPosition && positionOf(each) == position) {
            *line = each;
            return true;
        }
    }
    return false;
}

bool catalogueLineFor(const std::string& satellite, const std::vector<CatalogueLine>& catalogue, CatalogueLine* line,
                      std::string* problem)
{
    double longitudeDeg = 0.0;
    std::string name;
    if (!parseSatellite(satellite, catalogue, &longitudeDeg, &name, problem)) return false;
    const PositionTenths position = static_cast<PositionTenths>(std::lround(longitudeDeg * 10));
    for (const CatalogueLine& each : catalogue) {
        if (!each.hasPosition || positionOf(each) != position) continue;
        if (!name.empty() && squeezedName(each.name) != name) continue;
        *line = each;
        return true;
    }
    *problem = "the catalogue has no satellite at " + positionText(position) +
               ": give a typed transponder (11362H27500) instead";
    return false;
}

bool catalogueTransponder(const CatalogueLine& line, int32_t diseqcCode, SurveyTransponder* transponder)
{
    if (line.polarization > 1) return false;
    return surveyTransponderOf(std::to_string(line.frequencyMHz) + (line.polarization == 0 ? "H" : "V") +
                                   std::to_string(line.symbolRate) + switchLetters(diseqcCode),
                               FoundInCatalogue, transponder);
}
