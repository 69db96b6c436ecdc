#include "bda/bda_settings.h"

#include <cstdint>

#include "app/number_text.h"
#include "cardbase/settings_line.h"

// The value of the first line "key = value", without double quotes around it.
static bool settingValue(const std::string& text, const char* key, std::string* value)
{
    if (!findSettingLine(text, key, value)) return false;
    if (value->size() >= 2 && value->front() == '"' && value->back() == '"')
        *value = withoutOuterBlanks(value->substr(1, value->size() - 2));
    return true;
}

std::string tunerNameFromSettings(const std::string& fileBytes, bool* inCodePage)
{
    const std::string text = settingsFileText(fileBytes, inCodePage);
    std::string name;
    if (!settingValue(text, "tuner", &name) || name.empty()) *inCodePage = false;
    return name;
}

// A value of bdacard.ini as BDA names it, and its number.
struct NamedValue {
    const char* name;
    int32_t value;
};

// The number of `word` among `names`; false when none has that name.
template <size_t count>
static bool namedValue(const NamedValue (&names)[count], const std::string& word, int32_t* value)
{
    for (const NamedValue& each : names) {
        if (word != each.name) continue;
        *value = each.value;
        return true;
    }
    return false;
}

// BDA's own names for the modulations a satellite tuner may take.
static const NamedValue modulationNames[] = {
    {"NOT_SET", -1}, {"QPSK", 20},   {"BPSK", 21},   {"OQPSK", 22},    {"8VSB", 23},     {"16VSB", 24},
    {"8PSK", 27},    {"16APSK", 29}, {"32APSK", 30}, {"NBC_QPSK", 31}, {"NBC_8PSK", 32}, {"DIRECTV", 33},
};

// A value's number, -1 .. bdaModulationLast; false for anything else.
static bool modulationNumber(const std::string& word, int32_t* value)
{
    return readWholeNumber(word, WholeForm{bdaModulationNotSet, bdaModulationLast, 2, true}, value);
}

// A value as BDA names it: capitals, "_" for "-", without "BDA_" and `prefix`.
static std::string bdaName(std::string word, const std::string& prefix)
{
    for (char& c : word) c = c == '-' ? '_' : c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (word.compare(0, 4, "BDA_") == 0) word = word.substr(4);
    if (word.compare(0, prefix.size(), prefix) == 0) word = word.substr(prefix.size());
    return word;
}

// One value of the line, as BDA names it (with or without "BDA_MOD_", "-"
// for "_", any case) or as its number; false for anything else.
static bool modulationOf(const std::string& word, int32_t* value)
{
    return modulationNumber(word, value) || namedValue(modulationNames, bdaName(word, "MOD_"), value);
}

ModulationOrder modulationsFromSettings(const std::string& fileBytes)
{
    ModulationOrder order{};
    bool inCodePage = false;
    std::string line;
    if (!settingValue(settingsFileText(fileBytes, &inCodePage), "modulation", &line)) return order;
    size_t start = 0;
    while (start < line.size() && order.count < maxModulations) {
        size_t end = line.find_first_of(", \t", start);
        if (end == std::string::npos) end = line.size();
        int32_t value = 0;
        if (end > start && modulationOf(line.substr(start, end - start), &value)) {
            bool seen = false;
            for (int i = 0; i < order.count; ++i) seen = seen || order.values[i] == value;
            if (!seen) order.values[order.count++] = value;
        }
        start = end + 1;
    }
    return order;
}

static const NamedValue pilotNames[] = {{"ON", bdaPilotOn}, {"OFF", bdaPilotOff}};
static const NamedValue rollOffNames[] = {
    {"0.20", bdaRollOff20},   {"0.2", bdaRollOff20},  {"20", bdaRollOff20}, {"0.25", bdaRollOff20 + 1},
    {"25", bdaRollOff20 + 1}, {"0.35", bdaRollOff35}, {"35", bdaRollOff35},
};

// The value of the line `key`, looked up among `names` after `prefix` is taken off.
template <size_t count>
static int32_t shapeValue(const std::string& text, const char* key, const char* prefix,
                          const NamedValue (&names)[count], int32_t notSet)
{
    std::string line;
    int32_t value = notSet;
    if (settingValue(text, key, &line)) namedValue(names, bdaName(line, prefix), &value);
    return value;
}

SignalShape signalShapeFromSettings(const std::string& fileBytes)
{
    bool inCodePage = false;
    const std::string text = settingsFileText(fileBytes, &inCodePage);
    SignalShape shape;
    shape.pilot = shapeValue(text, "pilot", "PILOT_", pilotNames, bdaPilotNotSet);
    shape.rollOff = shapeValue(text, "rolloff", "ROLL_OFF_", rollOffNames, bdaRollOffNotSet);
    return shape;
}

static std::string settingOf(const std::string& fileBytes, const char* key)
{
    bool inCodePage = false;
    std::string value;
    settingValue(settingsFileText(fileBytes, &inCodePage), key, &value);
    return value;
}

SwitchSetting switchSettingFromSettings(const std::string& fileBytes)
{
    static const struct {
        const char* word;
        SwitchChoice choice;
    } choices[] = {{"command", SwitchOnlyCommand}, {"source", SwitchOnlyLnbSource}, {"range", SwitchOnlyRange}};
    const std::string word = settingOf(fileBytes, "switch");
    SwitchSetting setting;
    for (const auto& each : choices)
        if (sameIgnoringAsciiCase(word, each.word)) setting.choice = each.choice;
    setting.maker = makerOfWord(word);
    if (setting.maker != NoMaker) setting.choice = SwitchOnlyMaker;
    return setting;
}

std::string switchWordFor(SwitchRoute route, BdaMaker maker)
{
    switch (route) {
    case SwitchByMaker: return makerWord(maker);
    case SwitchByCommand: return "command";
    case SwitchByLnbSource: return "source";
    case SwitchBySpaceRange:
    case SwitchByRangeProperty: return "range";
    default: return "auto";
    }
}

// Whether a line (without its end) is "KEY = ..." outside a comment.
static bool lineOfKey(const std::string& line, const std::string& key)
{
    const std::string text = withoutOuterBlanks(line);
    const size_t equals = text.find('=');
    if (text.empty() || text[0] == ';' || text[0] == '#' || equals == std::string::npos) return false;
    return sameIgnoringAsciiCase(withoutOuterBlanks(text.substr(0, equals)), key);
}

std::string settingsWithLine(const std::string& fileBytes, const std::string& key, const std::string& value)
{
    static const std::string utf8Mark = "\xEF\xBB\xBF";
    const bool utf16 = fileBytes.size() >= 2 && ((fileBytes[0] == '\xFF' && fileBytes[1] == '\xFE') ||
                                                 (fileBytes[0] == '\xFE' && fileBytes[1] == '\xFF'));
    bool inCodePage = false;
    std::string text = utf16 ? settingsFileText(fileBytes, &inCodePage) : fileBytes;
    std::string mark = utf16 ? utf8Mark : "";
    if (!utf16 && text.compare(0, utf8Mark.size(), utf8Mark) == 0) {
        mark = utf8Mark;
        text.erase(0, utf8Mark.size());
    }
    const std::string line = key + "=" + value;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        if (lineOfKey(text.substr(start, end - start), key)) return mark + text.replace(start, end - start, line);
        start = end + 1;
    }
    if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
    return mark + text + line + "\r\n";
}

InputRangeForms inputRangeFormsFromSettings(const std::string& fileBytes)
{
    InputRangeForms forms;
    const std::string line = settingOf(fileBytes, "inputrange");
    size_t start = 0;
    for (int port = 0; port < 4 && start < line.size(); ++port) {
        start = line.find_first_not_of(", \t", start);
        if (start == std::string::npos) break;
        size_t end = line.find_first_of(", \t", start);
        if (end == std::string::npos) end = line.size();
        forms.port[port] = line.substr(start, end - start);
        start = end;
    }
    return forms;
}

bool tunerNameMatches(const std::string& friendlyName, const std::string& wanted)
{
    return sameIgnoringAsciiCase(withoutOuterBlanks(friendlyName), withoutOuterBlanks(wanted));
}

std::vector<int> tunerCandidates(const std::vector<std::string>& names, const std::string& wanted)
{
    std::vector<int> order;
    for (size_t i = 0; i < names.size(); ++i)
        if (wanted.empty() || tunerNameMatches(names[i], wanted)) order.push_back(static_cast<int>(i));
    return order;
}
