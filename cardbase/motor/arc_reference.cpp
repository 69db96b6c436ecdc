#include "cardbase/motor/arc_reference.h"

#include <cmath>

#include "app/number_text.h"
#include "cardbase/catalogue_lines.h"
#include "cardbase/settings_line.h"

// A C/N no receiver reads beyond.
static constexpr double leastCnDb = -10.0, mostCnDb = 40.0;
// Positions are given to a tenth of a degree.
static constexpr double samePositionDeg = 0.05;

static bool referenceLine(const std::string& line, ArcReference* reference)
{
    const size_t split = line.find_first_of(" \t,");
    const size_t figureAt = split == std::string::npos ? split : line.find_first_not_of(" \t,", split);
    if (figureAt == std::string::npos) return false;
    const std::string position = line.substr(0, split);
    const std::string figure = line.substr(figureAt);
    double longitude = 0, cn = 0;
    if (!orbitalPosition(position, &longitude)) return false;
    if (!readDecimalNumber(figure, DecimalForm{true, true, 8, 0}, &cn) || cn < leastCnDb || cn > mostCnDb) return false;
    *reference = ArcReference{longitude, cn};
    return true;
}

bool parseArcReferences(const std::string& text, std::vector<ArcReference>* references, std::string* problem)
{
    std::vector<ArcReference> read;
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = withoutOuterBlanks(line);
        if (line.empty()) continue;
        ArcReference reference{};
        if (!referenceLine(line, &reference)) {
            *problem = "line " + std::to_string(number) + " \"" + line +
                       "\" is not POSITION CN_DB, such as 19.2E 15.2 (the C/N from -10 to 40 dB)";
            return false;
        }
        read.push_back(reference);
    }
    *references = read;
    return true;
}

size_t applyArcReferences(const std::vector<ArcReference>& references, std::vector<ArcSatellite>& satellites)
{
    size_t taken = 0;
    for (ArcSatellite& satellite : satellites) {
        for (const ArcReference& reference : references) {
            if (std::fabs(reference.longitudeDeg - satellite.longitudeDeg) > samePositionDeg) continue;
            satellite.clearSkyCnDb = reference.clearSkyCnDb;
            ++taken;
            break;
        }
    }
    return taken;
}
