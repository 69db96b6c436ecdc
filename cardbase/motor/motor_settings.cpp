#include "cardbase/motor/motor_settings.h"

#include <cmath>

#include "app/number_text.h"
#include "cardbase/motor/motor_commands.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/settings_line.h"

static bool refuse(std::string* reason, const std::string& why)
{
    if (reason) *reason = why;
    return false;
}

static bool plainNumber(const std::string& text, double* value)
{
    return readDecimalNumber(withoutOuterBlanks(text), DecimalForm{false, false, 16, 0}, value);
}

MotorSettings::MotorSettings() : limitDeg(defaultMotorLimitDeg), speedDegPerS(defaultMotorSpeedDegPerS) {}

const char* motorKindWord(MotorKind kind)
{
    switch (kind) {
    case UsalsMotor: return "usals";
    case Diseqc12Motor: return "diseqc12";
    default: return "none";
    }
}

bool parseMotorKind(const std::string& text, MotorKind* kind, std::string* reason)
{
    const std::string word = withoutOuterBlanks(text);
    if (sameIgnoringAsciiCase(word, "usals")) *kind = UsalsMotor;
    else if (sameIgnoringAsciiCase(word, "diseqc12")) *kind = Diseqc12Motor;
    else return refuse(reason, "\"" + word + "\" is neither usals nor diseqc12");
    return true;
}

bool parseMotorLimit(const std::string& text, double* limitDeg, std::string* reason)
{
    double value = 0;
    if (!plainNumber(text, &value) || value < 1.0 || value > 90.0)
        return refuse(reason, "the motor's limit " + withoutOuterBlanks(text) + " is not 1-90 degrees");
    *limitDeg = value;
    return true;
}

bool parseMotorSpeed(const std::string& text, double* speedDegPerS, std::string* reason)
{
    double value = 0;
    if (!plainNumber(text, &value) || value < 0.1 || value > 20.0)
        return refuse(reason, "the motor's speed " + withoutOuterBlanks(text) + " is not 0.1-20 degrees a second");
    *speedDegPerS = value;
    return true;
}

bool parseMotorPositions(const std::string& text, std::vector<MotorPosition>* positions, std::string* reason)
{
    std::vector<MotorPosition> read;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = withoutOuterBlanks(text.substr(start, comma - start));
        const size_t colon = item.find(':');
        double longitude = 0, slot = 0;
        std::string name, error;
        if (colon == std::string::npos ||
            !parseSatellite(withoutOuterBlanks(item.substr(0, colon)), {}, &longitude, &name, &error))
            return refuse(reason, "\"" + item + "\" is not POSITION:SLOT, such as 19.2E:1");
        if (!plainNumber(item.substr(colon + 1), &slot) || slot != std::floor(slot) || slot < 1 || slot > 255)
            return refuse(reason, "the stored position in \"" + item + "\" is not 1-255");
        read.push_back(MotorPosition{longitude, static_cast<int>(slot)});
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    *positions = read;
    return true;
}

// Each line's value, read when the line is there; the first problem is kept.
template <typename Parse>
static void readLine(const std::string& text, const char* key, MotorSettings& settings, Parse parse)
{
    std::string value, reason;
    if (!findSettingLine(text, key, &value)) return;
    if (!parse(value, &reason) && settings.problem.empty())
        settings.problem = std::string(key) + "= refused: " + reason;
}

MotorSettings motorSettingsFrom(const std::string& settingsText)
{
    MotorSettings settings;
    std::string kind;
    if (!findSettingLine(settingsText, "motor", &kind) || kind.empty()) return settings;
    readLine(settingsText, "motor", settings, [&](const std::string& value, std::string* reason) {
        return parseMotorKind(value, &settings.kind, reason);
    });
    if (!settings.problem.empty()) settings.kind = NoMotor;
    readLine(settingsText, "motor-limit", settings, [&](const std::string& value, std::string* reason) {
        return parseMotorLimit(value, &settings.limitDeg, reason);
    });
    readLine(settingsText, "motor-speed", settings, [&](const std::string& value, std::string* reason) {
        return parseMotorSpeed(value, &settings.speedDegPerS, reason);
    });
    readLine(settingsText, "site", settings, [&](const std::string& value, std::string* reason) {
        return settings.hasSite = parseSite(value, &settings.site, reason);
    });
    readLine(settingsText, "motor-positions", settings, [&](const std::string& value, std::string* reason) {
        return parseMotorPositions(value, &settings.positions, reason);
    });
    if (!settings.problem.empty()) return settings;
    if (settings.kind == UsalsMotor && !settings.hasSite)
        settings.problem = "motor=usals needs the site: a line site=LAT,LON";
    if (settings.kind == Diseqc12Motor && settings.positions.empty())
        settings.problem = "motor=diseqc12 needs the stored positions: a line motor-positions=19.2E:1,13.0E:2";
    return settings;
}
