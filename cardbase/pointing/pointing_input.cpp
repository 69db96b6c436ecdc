#include "cardbase/pointing/pointing_input.h"

#include <cmath>
#include <cstdio>

#include "app/number_text.h"
#include "cardbase/settings_line.h"

static const char siteForm[] = "give LAT,LON in degrees, north and east positive, such as 55.75,37.62";
static const char positionForm[] = "a position such as 19.2E or 0.8W";
// A plain decimal, in no more characters than any number worth typing: "-179.999999".
static const DecimalForm typedNumber{true, true, 16, 0};
// The same without a sign, where the side says it.
static const DecimalForm unsignedNumber{false, false, 16, 0};

static std::string quoted(const std::string& text)
{
    // A message quotes what was typed, but never at length.
    const std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
    return "\"" + shown + "\"";
}

bool parseSite(const std::string& text, DishSite* site, std::string* error)
{
    const size_t comma = text.find(',');
    double latitude = 0, longitude = 0;
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos ||
        !readDecimalNumber(withoutOuterBlanks(text.substr(0, comma)), typedNumber, &latitude) ||
        !readDecimalNumber(withoutOuterBlanks(text.substr(comma + 1)), typedNumber, &longitude)) {
        *error = "the site " + quoted(text) + " does not read: " + siteForm;
        return false;
    }
    if (std::fabs(latitude) > 90.0) {
        *error =
            "the site's latitude " + withoutOuterBlanks(text.substr(0, comma)) + " is beyond 90\xC2\xB0: " + siteForm;
        return false;
    }
    if (std::fabs(longitude) > 180.0) {
        *error = "the site's longitude " + withoutOuterBlanks(text.substr(comma + 1)) +
                 " is beyond 180\xC2\xB0: " + siteForm;
        return false;
    }
    *site = DishSite{latitude, longitude};
    return true;
}

std::string siteText(const DishSite& site)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4f,%.4f", site.latitudeDeg, site.longitudeDeg);
    // Trailing zeros say nothing: 55.7500 is 55.75.
    std::string out = text;
    const size_t comma = out.find(',');
    std::string latitude = out.substr(0, comma), longitude = out.substr(comma + 1);
    for (std::string* part : {&latitude, &longitude}) {
        while (part->back() == '0') part->pop_back();
        if (part->back() == '.') part->pop_back();
        if (*part == "-0") *part = "0";
    }
    return latitude + "," + longitude;
}

// "19.2E", "19.2 e", "19.2°E", "19.2° W": the degrees and the side.
static bool readPosition(const std::string& text, double* degrees, char* side)
{
    if (text.empty()) return false;
    const char last = text.back();
    if (last != 'e' && last != 'E' && last != 'w' && last != 'W') return false;
    std::string rest = withoutOuterBlanks(text.substr(0, text.size() - 1));
    if (rest.size() >= 2 && rest.compare(rest.size() - 2, 2, "\xC2\xB0") == 0)
        rest = withoutOuterBlanks(rest.substr(0, rest.size() - 2));
    if (!readDecimalNumber(rest, unsignedNumber, degrees)) return false;
    *side = last;
    return true;
}

// Any case, runs of blanks as one, none at the ends.
static std::string comparable(const std::string& text)
{
    std::string out = squeezedName(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string squeezedName(const std::string& text)
{
    std::string out;
    for (char c : withoutOuterBlanks(text))
        if ((c != ' ' && c != '\t') || (!out.empty() && out.back() != ' ')) out += c == '\t' ? ' ' : c;
    return out;
}

// A catalogue name without its position word ("HotBird1-6   13.0e" -> "HotBird1-6").
static std::string nameWithoutPosition(const CatalogueLine& line)
{
    std::string name = withoutOuterBlanks(line.name);
    if (!line.hasPosition) return name;
    const size_t blank = name.find_last_of(" \t");
    return blank == std::string::npos ? std::string() : withoutOuterBlanks(name.substr(0, blank));
}

static std::string catalogueExample(const std::vector<CatalogueLine>& catalogue)
{
    for (const CatalogueLine& line : catalogue)
        if (line.hasPosition && !nameWithoutPosition(line).empty()) return " such as " + nameWithoutPosition(line);
    return "";
}

bool parseSatellite(const std::string& typed, const std::vector<CatalogueLine>& catalogue, double* longitudeDeg,
                    std::string* name, std::string* error)
{
    const std::string text = withoutOuterBlanks(typed);
    const std::string catalogueForm = "a name in satellite.ini" + catalogueExample(catalogue);
    if (text.empty()) {
        *error = std::string("give the satellite: ") + positionForm + ", or " + catalogueForm;
        return false;
    }
    double degrees = 0;
    char side = 0;
    if (readPosition(text, &degrees, &side)) {
        if (degrees > 180.0) {
            *error = "the satellite's position " + quoted(text) + " is beyond 180\xC2\xB0: give " + positionForm;
            return false;
        }
        *longitudeDeg = side == 'e' || side == 'E' ? degrees : -degrees;
        name->clear();
        return true;
    }

    // The name alone, or with its position as the catalogue writes it.
    const std::string wanted = comparable(text);
    std::vector<const CatalogueLine*> exact, starting;
    for (const CatalogueLine& line : catalogue) {
        if (!line.hasPosition) continue;
        const std::string bare = comparable(nameWithoutPosition(line));
        if (bare.empty()) continue;
        if (bare == wanted || comparable(line.name) == wanted) exact.push_back(&line);
        else if (bare.compare(0, wanted.size(), wanted) == 0) starting.push_back(&line);
    }
    const std::vector<const CatalogueLine*>& found = exact.empty() ? starting : exact;
    if (found.empty()) {
        *error = "the satellite " + quoted(text) + " is neither " + positionForm + " nor " + catalogueForm;
        return false;
    }
    for (const CatalogueLine* line : found) {
        if (std::fabs(line->longitudeDeg - found.front()->longitudeDeg) < 0.05) continue;
        std::string names;
        for (size_t i = 0; i < found.size() && i < 4; ++i) names += (i ? "; " : "") + squeezedName(found[i]->name);
        if (found.size() > 4) names += "; ...";
        *error = "the satellite " + quoted(text) + " fits names in satellite.ini at different positions (" + names +
                 "): give more of the name, or " + positionForm;
        return false;
    }
    *longitudeDeg = found.front()->longitudeDeg;
    *name = squeezedName(found.front()->name);
    return true;
}

bool parseOffsetAngle(const std::string& typed, double* offsetDeg, std::string* error)
{
    const std::string text = withoutOuterBlanks(typed);
    const std::string form = "give the degrees the dish's maker prints, such as 26.5 (0 for a prime-focus dish)";
    double value = 0;
    if (!readDecimalNumber(text, typedNumber, &value)) {
        *error = "the offset angle " + quoted(text) + " does not read: " + form;
        return false;
    }
    if (value < 0 || value > maxOffsetDeg) {
        char range[48];
        std::snprintf(range, sizeof range, " is not between 0 and %.0f\xC2\xB0: ", maxOffsetDeg);
        *error = "the offset angle " + text + range + form;
        return false;
    }
    *offsetDeg = value;
    return true;
}
