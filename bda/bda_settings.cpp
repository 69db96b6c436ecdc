#include "bda/bda_settings.h"

#include <cstdint>

#include "cardbase/settings_line.h"

static void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Little-endian UTF-16 without its mark; a lone surrogate becomes U+FFFD.
static std::string utf8FromUtf16(const std::string& bytes)
{
    std::string out;
    const size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < units && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

bool isUtf8(const std::string& text)
{
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = static_cast<uint8_t>(text[i]);
        size_t length;
        uint32_t code;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2, code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3, code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4, code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const uint8_t next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code < 0xE000))
            return false;
        i += length;
    }
    return true;
}

// The text of the file as UTF-8, or in the system's code page (*inCodePage).
static std::string settingsText(const std::string& fileBytes, bool* inCodePage)
{
    *inCodePage = false;
    if (fileBytes.compare(0, 2, "\xFF\xFE") == 0) return utf8FromUtf16(fileBytes.substr(2));
    // A UTF-8 mark before text that is no UTF-8 counts for nothing.
    const std::string text = fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? fileBytes.substr(3) : fileBytes;
    *inCodePage = !isUtf8(text);
    return text;
}

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
    const std::string text = settingsText(fileBytes, inCodePage);
    std::string name;
    if (!settingValue(text, "tuner", &name) || name.empty()) *inCodePage = false;
    return name;
}

struct ModulationName {
    const char* name;
    int32_t value;
};

// BDA's own names for the modulations a satellite tuner may take.
static const ModulationName modulationNames[] = {
    {"NOT_SET", -1}, {"QPSK", 20},   {"BPSK", 21},   {"OQPSK", 22},    {"8VSB", 23},     {"16VSB", 24},
    {"8PSK", 27},    {"16APSK", 29}, {"32APSK", 30}, {"NBC_QPSK", 31}, {"NBC_8PSK", 32}, {"DIRECTV", 33},
};

// A value's number, -1 .. bdaModulationLast; false for anything else.
static bool modulationNumber(const std::string& word, int32_t* value)
{
    const size_t digits = !word.empty() && word[0] == '-' ? 1 : 0;
    if (word.size() <= digits || word.size() > digits + 2) return false;
    int32_t number = 0;
    for (size_t i = digits; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        number = number * 10 + (word[i] - '0');
    }
    number = digits ? -number : number;
    if (number < bdaModulationNotSet || number > bdaModulationLast) return false;
    *value = number;
    return true;
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
static bool modulationOf(std::string word, int32_t* value)
{
    if (modulationNumber(word, value)) return true;
    word = bdaName(word, "MOD_");
    for (const ModulationName& each : modulationNames) {
        if (word == each.name) {
            *value = each.value;
            return true;
        }
    }
    return false;
}

ModulationOrder modulationsFromSettings(const std::string& fileBytes)
{
    ModulationOrder order{};
    bool inCodePage = false;
    std::string line;
    if (!settingValue(settingsText(fileBytes, &inCodePage), "modulation", &line)) return order;
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

struct ShapeName {
    const char* name;
    int32_t value;
};

static const ShapeName pilotNames[] = {{"ON", bdaPilotOn}, {"OFF", bdaPilotOff}};
static const ShapeName rollOffNames[] = {
    {"0.20", bdaRollOff20},   {"0.2", bdaRollOff20},  {"20", bdaRollOff20}, {"0.25", bdaRollOff20 + 1},
    {"25", bdaRollOff20 + 1}, {"0.35", bdaRollOff35}, {"35", bdaRollOff35},
};

// The value of the line `key`, looked up among `names` after `prefix` is taken off.
template <size_t count>
static int32_t shapeValue(const std::string& text, const char* key, const char* prefix, const ShapeName (&names)[count],
                          int32_t notSet)
{
    std::string line;
    if (!settingValue(text, key, &line)) return notSet;
    const std::string word = bdaName(line, prefix);
    for (const ShapeName& each : names)
        if (word == each.name) return each.value;
    return notSet;
}

SignalShape signalShapeFromSettings(const std::string& fileBytes)
{
    bool inCodePage = false;
    const std::string text = settingsText(fileBytes, &inCodePage);
    SignalShape shape;
    shape.pilot = shapeValue(text, "pilot", "PILOT_", pilotNames, bdaPilotNotSet);
    shape.rollOff = shapeValue(text, "rolloff", "ROLL_OFF_", rollOffNames, bdaRollOffNotSet);
    return shape;
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
