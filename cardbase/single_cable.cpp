#include "cardbase/single_cable.h"

#include <cstdio>
#include <initializer_list>

#include "cardbase/settings_line.h"
#include "tuner/lnb_rules.h"

const char singleCableNoAnswerText[] = "no answer from the single-cable device: user band, PIN or 18 V";

static std::vector<std::string> fieldsOf(const std::string& text)
{
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',') fields.emplace_back();
        else fields.back() += c;
    }
    for (std::string& field : fields) field = withoutOuterBlanks(field);
    return fields;
}

// A whole number of at most four digits, nothing else.
static bool smallNumber(const std::string& text, int* value)
{
    if (text.empty() || text.size() > 4) return false;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    *value = number;
    return true;
}

static bool refuse(std::string* reason, const std::string& why)
{
    if (reason) *reason = why;
    return false;
}

bool parseSingleCable(const std::string& text, SingleCableSetting* setting, std::string* reason)
{
    const char form[] = "the form is en50494,UB,MHZ[,PIN] or en50607,UB,MHZ[,PIN]";
    const std::vector<std::string> fields = fieldsOf(text);
    if (fields.size() < 3 || fields.size() > 4) return refuse(reason, "\"" + text + "\": " + form);
    SingleCableSetting read;
    if (sameIgnoringAsciiCase(fields[0], "en50494")) read.standard = En50494;
    else if (sameIgnoringAsciiCase(fields[0], "en50607")) read.standard = En50607;
    else return refuse(reason, "\"" + fields[0] + "\" is neither en50494 nor en50607");
    const int mostBands = read.standard == En50494 ? 8 : 32;
    const std::string standard = singleCableStandardName(read.standard);
    if (!smallNumber(fields[1], &read.userBand) || read.userBand < 1 || read.userBand > mostBands)
        return refuse(reason, "user band " + fields[1] + " is not 1-" + std::to_string(mostBands) + " for " + standard);
    if (!smallNumber(fields[2], &read.bandMHz) || read.bandMHz < 950 || read.bandMHz > 2150)
        return refuse(reason, "user band frequency " + fields[2] + " MHz is not 950-2150");
    if (fields.size() == 4 && (!smallNumber(fields[3], &read.pin) || read.pin > 255))
        return refuse(reason, "PIN " + fields[3] + " is not 0-255");
    if (setting) *setting = read;
    return true;
}

const char* singleCableStandardName(SingleCableStandard standard)
{
    return standard == En50607 ? "EN 50607" : "EN 50494";
}

std::string singleCableSettingText(const SingleCableSetting& setting, bool withPin)
{
    std::string text = setting.standard == En50607 ? "en50607," : "en50494,";
    text += std::to_string(setting.userBand) + "," + std::to_string(setting.bandMHz);
    if (withPin && setting.pin != noSingleCablePin) text += "," + std::to_string(setting.pin);
    return text;
}

std::string singleCableWords(const SingleCableSetting& setting)
{
    return std::string(singleCableStandardName(setting.standard)) + ", user band " + std::to_string(setting.userBand) +
           " at " + std::to_string(setting.bandMHz) + " MHz";
}

bool operator==(const SingleCableCommand& a, const SingleCableCommand& b)
{
    if (a.length != b.length) return false;
    for (size_t i = 0; i < a.length; ++i)
        if (a.bytes[i] != b.bytes[i]) return false;
    return true;
}

std::string singleCableCommandText(const SingleCableCommand& command)
{
    std::string text;
    for (size_t i = 0; i < command.length && i < maxSingleCableBytes; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", command.bytes[i]);
        if (!text.empty()) text += ' ';
        text += hex;
    }
    return text;
}

int singleCablePosition(int32_t diseqcCode)
{
    switch (diseqcCode) {
    case 0:
    case 1:
    case 3: return 1;  // none, "A", "AA"
    case 2:
    case 4: return 2;  // "B", "BA"
    case 5: return 3;  // "AB"
    case 6: return 4;  // "BB"
    }
    return 0;
}

static SingleCableCommand commandOf(std::initializer_list<unsigned> bytes, int pin)
{
    SingleCableCommand command;
    for (unsigned byte : bytes) command.bytes[command.length++] = static_cast<uint8_t>(byte);
    if (pin != noSingleCablePin) command.bytes[command.length++] = static_cast<uint8_t>(pin);
    return command;
}

// The PIN's form of a command: the next command number (5A to 5C,
// 70 to 71) and the PIN as its last byte.
static unsigned commandNumber(const SingleCableSetting& setting)
{
    const bool pin = setting.pin != noSingleCablePin;
    if (setting.standard == En50494) return pin ? 0x5Cu : 0x5Au;
    return pin ? 0x71u : 0x70u;
}

SingleCableCommand singleCablePowerOff(const SingleCableSetting& setting)
{
    const unsigned band = static_cast<unsigned>(setting.userBand - 1);
    const unsigned number = commandNumber(setting);
    if (setting.standard == En50494) return commandOf({0xE0, 0x10, number, band * 32, 0x00}, setting.pin);
    return commandOf({number, band * 8, 0x00, 0x00}, setting.pin);
}

static SingleCablePlan refused(SingleCablePlan plan, const std::string& why)
{
    plan.refusal = why;
    return plan;
}

SingleCablePlan singleCablePlanFor(const CardTuning& tuning, const SingleCableSetting& setting)
{
    SingleCablePlan plan;
    plan.horizontal = tuning.polarization == 0;
    plan.highBand = tuning.lnbSelection == 1;
    plan.position = singleCablePosition(tuning.diseqcCode);
    plan.powerOff = singleCablePowerOff(setting);
    const std::string standard = singleCableStandardName(setting.standard);
    if (tuning.lnbFrequencyMHz != lowBandLnbMHz && tuning.lnbFrequencyMHz != highBandLnbMHz)
        return refused(plan, "a single-cable device serves Ku band only: " + std::to_string(tuning.frequencyMHz) +
                                 " MHz is not a Ku-band transponder");
    if (plan.position == 0) return refused(plan, "DiSEqC code " + std::to_string(tuning.diseqcCode) + " is not 0 to 6");
    if (setting.standard == En50494 && plan.position > 2)
        return refused(plan,
                       "EN 50494 addresses positions 1 and 2 only, not position " + std::to_string(plan.position));
    if (tuning.frequencyMHz <= tuning.lnbFrequencyMHz)
        return refused(plan, std::to_string(tuning.frequencyMHz) + " MHz is below the LNB's oscillator");
    plan.intermediateMHz = static_cast<uint32_t>(tuning.frequencyMHz - tuning.lnbFrequencyMHz);
    const unsigned band = static_cast<unsigned>(setting.userBand - 1);
    const unsigned position = static_cast<unsigned>(plan.position - 1);
    const unsigned horizontal = plan.horizontal ? 1u : 0u;
    const unsigned high = plan.highBand ? 1u : 0u;
    const unsigned number = commandNumber(setting);
    if (setting.standard == En50494) {
        // The device's own oscillator steps by 4 MHz: T picks the nearest
        // step at or below the transponder's centre in the user band.
        const long word = (static_cast<long>(plan.intermediateMHz) + setting.bandMHz + 2) / 4 - 350;
        if (word < 0 || word > 1023)
            return refused(plan, "EN 50494 cannot put " + std::to_string(tuning.frequencyMHz) + " MHz on " +
                                     std::to_string(setting.bandMHz) + " MHz");
        const unsigned t = static_cast<unsigned>(word);
        plan.command =
            commandOf({0xE0, 0x10, number, band * 32 + position * 16 + horizontal * 8 + high * 4 + t / 256, t % 256},
                      setting.pin);
        plan.demodulatorKHz = ((t + 350) * 4 - plan.intermediateMHz) * 1000;
    } else {
        const long word = static_cast<long>(plan.intermediateMHz) - 100;
        if (word < 0 || word > 2047)
            return refused(plan, "EN 50607 cannot ask for " + std::to_string(tuning.frequencyMHz) +
                                     " MHz (the LNB gives " + std::to_string(plan.intermediateMHz) + " MHz)");
        const unsigned t = static_cast<unsigned>(word);
        plan.command =
            commandOf({number, band * 8 + t / 256, t % 256, position * 4 + horizontal * 2 + high}, setting.pin);
        plan.demodulatorKHz = static_cast<uint32_t>(setting.bandMHz) * 1000;
    }
    return plan;
}

uint32_t singleCableRetryPauseMs(uint32_t random)
{
    return scrRetryLeastMs + random % (scrRetryMostMs - scrRetryLeastMs + 1);
}

static std::vector<SingleCableStep> commandSteps(SingleCableStepKind command, SingleCableStepKind after)
{
    return {{ScrSupply18, 0}, {ScrPause, scrCommandLeadMs},
            {command, 0},     {ScrPause, scrCommandTailMs},
            {ScrSupply13, 0}, {after, 0}};
}

std::vector<SingleCableStep> singleCableTuneSteps()
{
    std::vector<SingleCableStep> steps{{ScrToneOff, 0}};
    for (const SingleCableStep& step : commandSteps(ScrCommand, ScrTune)) steps.push_back(step);
    return steps;
}

std::vector<SingleCableStep> singleCableRetrySteps(uint32_t random)
{
    std::vector<SingleCableStep> steps{{ScrPause, singleCableRetryPauseMs(random)}};
    for (const SingleCableStep& step : commandSteps(ScrCommand, ScrTune)) steps.push_back(step);
    return steps;
}

std::vector<SingleCableStep> singleCableReleaseSteps()
{
    std::vector<SingleCableStep> steps{{ScrToneOff, 0}};
    for (const SingleCableStep& step : commandSteps(ScrPowerOff, ScrSupplyOff)) steps.push_back(step);
    return steps;
}

void userBandRetuned(UserBandWatch& watch) { watch = UserBandWatch(); }

bool userBandStreamSeen(UserBandWatch& watch, uint16_t transportStreamId)
{
    if (!watch.seen) {
        watch.seen = true;
        watch.firstStreamId = transportStreamId;
        return false;
    }
    if (watch.shared || transportStreamId == watch.firstStreamId) return false;
    watch.shared = true;
    return true;
}

std::string userBandSharedText(const SingleCableSetting& setting)
{
    return "another receiver uses user band " + std::to_string(setting.userBand);
}

SingleCableCommand singleCableShowBandsCommand() { return commandOf({0xE0, 0x10, 0x5B, 0x00, 0x00}, noSingleCablePin); }

std::vector<SingleCableStep> singleCableShowBandsSteps()
{
    std::vector<SingleCableStep> steps = singleCableTuneSteps();
    steps.pop_back();  // nothing to tune: the bands are swept after it
    return steps;
}
