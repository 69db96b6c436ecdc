#include "cardbase/single_cable_device.h"

static bool wholeNumber(const std::string& text, uint32_t least, uint32_t most, uint32_t* value)
{
    if (text.empty() || text.size() > 9) return false;
    uint32_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    if (number < least || number > most) return false;
    *value = number;
    return true;
}

static bool fail(std::string* error, const std::string& why)
{
    if (error) *error = why;
    return false;
}

bool parseScrDeviceWords(const std::vector<std::string>& words, ScrDeviceSetup* setup, std::string* error)
{
    const char form[] = "scr-device en50494|en50607 MHZ,MHZ,... [pin N]";
    if (words.size() != 2 && words.size() != 4) return fail(error, form);
    ScrDeviceSetup read = *setup;
    if (words[0] == "en50494") read.standard = En50494;
    else if (words[0] == "en50607") read.standard = En50607;
    else return fail(error, form);
    read.bandsMHz.clear();
    std::string field;
    for (size_t i = 0; i <= words[1].size(); ++i) {
        if (i < words[1].size() && words[1][i] != ',') {
            field += words[1][i];
            continue;
        }
        uint32_t mhz = 0;
        if (!wholeNumber(field, 950, 2150, &mhz)) return fail(error, "user band " + field + " MHz is not 950-2150");
        read.bandsMHz.push_back(mhz);
        field.clear();
    }
    const size_t most = read.standard == En50494 ? 8 : 32;
    if (read.bandsMHz.size() > most) return fail(error, "too many user bands for the standard");
    read.pin = noSingleCablePin;
    if (words.size() == 4) {
        uint32_t pin = 0;
        if (words[2] != "pin" || !wholeNumber(words[3], 0, 255, &pin)) return fail(error, form);
        read.pin = static_cast<int>(pin);
    }
    read.present = true;
    *setup = read;
    return true;
}

bool parseScrNeighbourWords(const std::vector<std::string>& words, ScrDeviceSetup* setup, std::string* error)
{
    uint32_t band = 0, seconds = 0;
    if (words.size() != 3 || words[1] != "every" || !wholeNumber(words[0], 1, 32, &band) ||
        !wholeNumber(words[2], 1, 3600, &seconds))
        return fail(error, "scr-neighbour UB every SECONDS");
    setup->neighbourBand = static_cast<int>(band);
    setup->neighbourEveryMs = seconds * 1000;
    return true;
}

void resetScrDevice(ScrDevice& device, const ScrDeviceSetup& setup)
{
    device = ScrDevice();
    device.setup = setup;
    device.bands.resize(setup.bandsMHz.size());
}

const char* scrHeardName(ScrHeard heard)
{
    switch (heard) {
    case ScrNotForIt: return "not for it";
    case ScrNoSupply: return "below 18 V";
    case ScrGarbled: return "garbled by the tone";
    case ScrWrongPin: return "wrong PIN";
    case ScrBadBand: return "no such user band";
    case ScrTuned: return "tuned";
    case ScrFreed: return "freed";
    case ScrTonesShown: return "tones shown";
    }
    return "";
}

// The device's answer to a band's command, its PIN checked.
static ScrHeard pinRefusal(const ScrDevice& device, bool withPin, uint8_t pin)
{
    if (device.setup.pin == noSingleCablePin) return ScrTuned;  // an open band takes either form
    if (!withPin || pin != device.setup.pin) return ScrWrongPin;
    return ScrTuned;
}

static ScrHeard tune(ScrDevice& device, unsigned band, int position, bool horizontal, bool highBand, unsigned word,
                     bool powerOff)
{
    if (band >= device.bands.size()) return ScrBadBand;
    ScrBandContent& content = device.bands[band];
    content = ScrBandContent();
    if (powerOff) return ScrFreed;
    const uint32_t centreKHz = device.setup.bandsMHz[band] * 1000;
    content.asked = true;
    content.position = position;
    content.horizontal = horizontal;
    content.highBand = highBand;
    if (device.setup.standard == En50494) {
        // The device's oscillator stands at (T + 350) x 4 MHz, above the LNB's frequency.
        const uint32_t oscillatorKHz = (word + 350) * 4000;
        content.askedIfKHz = oscillatorKHz > centreKHz ? oscillatorKHz - centreKHz : 0;
        content.landsKHz = centreKHz;
        content.inverted = true;
    } else {
        content.askedIfKHz = (word + 100) * 1000;
        content.landsKHz = centreKHz;
    }
    return ScrTuned;
}

ScrHeard scrDeviceHears(ScrDevice& device, const uint8_t* bytes, size_t length, bool supply18, bool toneOn,
                        uint32_t nowMs)
{
    if (!device.setup.present || length < 4) return ScrNotForIt;
    const bool en50494 = device.setup.standard == En50494;
    const bool ours =
        en50494 ? (bytes[0] == 0xE0 && bytes[1] == 0x10 && (bytes[2] == 0x5A || bytes[2] == 0x5B || bytes[2] == 0x5C))
                : (bytes[0] == 0x70 || bytes[0] == 0x71);
    if (!ours) return ScrNotForIt;
    if (!supply18) return ScrNoSupply;
    if (toneOn) return ScrGarbled;
    if (!device.started) {
        device.started = true;
        device.lastNeighbourMs = nowMs;
    }
    if (en50494) {
        if (bytes[2] == 0x5B) {
            device.tonesOn = true;
            return ScrTonesShown;
        }
        const bool withPin = bytes[2] == 0x5C;
        if (length != (withPin ? 6u : 5u)) return ScrNotForIt;
        const ScrHeard pin = pinRefusal(device, withPin, withPin ? bytes[5] : 0);
        if (pin != ScrTuned) return pin;
        device.tonesOn = false;
        const unsigned band = bytes[3] >> 5;
        const unsigned word = (bytes[3] & 3u) * 256u + bytes[4];
        const bool powerOff = (bytes[3] & 0x1Fu) == 0 && bytes[4] == 0;
        return tune(device, band, (bytes[3] >> 4 & 1) + 1, (bytes[3] & 8) != 0, (bytes[3] & 4) != 0, word, powerOff);
    }
    const bool withPin = bytes[0] == 0x71;
    if (length != (withPin ? 5u : 4u)) return ScrNotForIt;
    const ScrHeard pin = pinRefusal(device, withPin, withPin ? bytes[4] : 0);
    if (pin != ScrTuned) return pin;
    const unsigned band = bytes[1] >> 3;
    const unsigned word = (bytes[1] & 7u) * 256u + bytes[2];
    const bool powerOff = (bytes[1] & 7u) == 0 && bytes[2] == 0 && bytes[3] == 0;
    return tune(device, band, (bytes[3] >> 2 & 3) + 1, (bytes[3] & 2) != 0, (bytes[3] & 1) != 0, word, powerOff);
}

bool scrNeighbourAdvance(ScrDevice& device, uint32_t nowMs, uint32_t neighbourIfKHz, bool horizontal, bool highBand)
{
    const ScrDeviceSetup& setup = device.setup;
    if (!device.started || setup.neighbourBand < 1 || setup.neighbourEveryMs == 0) return false;
    if (static_cast<size_t>(setup.neighbourBand) > device.bands.size()) return false;
    if (nowMs - device.lastNeighbourMs < setup.neighbourEveryMs) return false;
    device.lastNeighbourMs = nowMs;
    ScrBandContent& content = device.bands[static_cast<size_t>(setup.neighbourBand - 1)];
    content = ScrBandContent();
    content.asked = true;
    content.byNeighbour = true;
    content.horizontal = horizontal;
    content.highBand = highBand;
    content.askedIfKHz = neighbourIfKHz;
    content.landsKHz = setup.bandsMHz[static_cast<size_t>(setup.neighbourBand - 1)] * 1000;
    content.inverted = setup.standard == En50494;
    return true;
}

bool scrCableSource(const ScrDevice& device, uint32_t cableKHz, ScrSource* source)
{
    for (size_t i = 0; i < device.bands.size(); ++i) {
        const ScrBandContent& content = device.bands[i];
        if (!content.asked) continue;
        const int64_t offset = int64_t{cableKHz} - content.landsKHz;
        if (offset < -int64_t{scrPassbandKHz / 2} || offset > int64_t{scrPassbandKHz / 2}) continue;
        const int64_t lnb =
            content.inverted ? int64_t{content.askedIfKHz} - offset : int64_t{content.askedIfKHz} + offset;
        if (lnb <= 0) continue;
        source->userBand = static_cast<int>(i + 1);
        source->content = &content;
        source->lnbIfKHz = static_cast<uint32_t>(lnb);
        return true;
    }
    return false;
}

bool scrToneAt(const ScrDevice& device, uint32_t cableKHz, uint32_t toleranceKHz)
{
    if (!device.tonesOn) return false;
    for (uint32_t mhz : device.setup.bandsMHz) {
        const int64_t offset = int64_t{cableKHz} - int64_t{mhz} * 1000;
        if (offset >= -int64_t{toleranceKHz} && offset <= int64_t{toleranceKHz}) return true;
    }
    return false;
}
