#include "bda/bda_makers.h"

#include "cardbase/settings_line.h"

// TurboSight's USB tuners answer on the filter with their own set; its PCI
// and PCIe tuners extend the reference set of the Conexant drivers with an
// access property of their own, asked on a pin.
static const MakerPropertySet turboSightSets[] = {
    {{0xC6EFE5EB, 0x855A, 0x4F1B, {0xB7, 0xAA, 0x87, 0xB5, 0xE1, 0xDC, 0x41, 0x13}}, 18, TurboSightAccess},
    {{0xFAA8F3E5, 0x31D4, 0x4E41, {0x88, 0xEF, 0xD9, 0xEB, 0x71, 0x6F, 0x6E, 0xC9}}, 21, TurboSightAccess},
};
// The reference set, which drivers of several makers' boards on Conexant
// chips carry; Hauppauge's drivers carry the same under another identifier.
static const MakerPropertySet conexantSets[] = {
    {{0xFAA8F3E5, 0x31D4, 0x4E41, {0x88, 0xEF, 0xD9, 0xEB, 0x71, 0x6F, 0x6E, 0xC9}}, 0, ConexantMessage},
    {{0xFAA8F3E5, 0x31D4, 0x4E41, {0x88, 0xEF, 0x00, 0xA0, 0xC9, 0xF2, 0x1F, 0xC7}}, 0, ConexantMessage},
};

struct MakerFacts {
    const char* name;
    const char* word;
    const char* namePrefixes[3];
    int32_t vendorIds[4];
    MakerSets sets;
};

// Indexed by BdaMaker.
static const MakerFacts makers[bdaMakerCount] = {
    {"", "", {}, {-1, -1, -1, -1}, {nullptr, 0}},
    {"TurboSight", "turbosight", {"TBS", "QBOX", nullptr}, {0x734C, -1, -1, -1}, {turboSightSets, 2}},
    // PCI Conexant, USB Conexant, USB Hauppauge.
    {"Conexant", "conexant", {"Hauppauge", nullptr, nullptr}, {0x14F1, 0x0572, 0x2040, -1}, {conexantSets, 2}},
};

static const MakerFacts& factsOf(BdaMaker maker) { return makers[maker < bdaMakerCount ? maker : NoMaker]; }

MakerSets makerPropertySets(BdaMaker maker) { return factsOf(maker).sets; }
const char* makerName(BdaMaker maker) { return factsOf(maker).name; }
const char* makerWord(BdaMaker maker) { return factsOf(maker).word; }

BdaMaker makerOfWord(const std::string& word)
{
    for (int maker = MakerTurboSight; maker < bdaMakerCount; ++maker)
        if (sameIgnoringAsciiCase(word, makers[maker].word)) return static_cast<BdaMaker>(maker);
    return NoMaker;
}

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The four hex digits after the first "ven_" or "vid_" (any case).
int32_t vendorIdOfDevicePath(const std::string& devicePath)
{
    for (size_t at = 0; at + 8 <= devicePath.size(); ++at) {
        const std::string key = devicePath.substr(at, 4);
        if (!sameIgnoringAsciiCase(key, "ven_") && !sameIgnoringAsciiCase(key, "vid_")) continue;
        int32_t id = 0;
        for (size_t i = at + 4; i < at + 8; ++i) {
            const int digit = hexDigit(devicePath[i]);
            if (digit < 0) return -1;
            id = id * 16 + digit;
        }
        return id;
    }
    return -1;
}

static bool startsWithIgnoringCase(const std::string& text, const char* prefix)
{
    const std::string start(prefix);
    return text.size() >= start.size() && sameIgnoringAsciiCase(text.substr(0, start.size()), start);
}

// The word at the start of the name: "Prof 7500" is Prof's, "Professional" is not.
static bool startsWithWord(const std::string& text, const char* word)
{
    const size_t length = std::string(word).size();
    if (!startsWithIgnoringCase(text, word)) return false;
    const char next = text.size() > length ? text[length] : ' ';
    return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z'));
}

// Makers whose PCI and PCIe boards carry Conexant's bridge (vendor 14F1)
// with a demodulator and a driver of their own, or whose USB sticks take a
// set of their own under TurboSight's USB identifier: the vendor id says
// nothing of their DiSEqC, and a set they answer for may be laid out otherwise.
static const char* const otherMakers[] = {"TeVii", "Prof", "DVBWorld", "DVB World", "Geniatech", "Omicom"};

static BdaMaker makerOfName(const std::string& name)
{
    for (int maker = MakerTurboSight; maker < bdaMakerCount; ++maker)
        for (const char* prefix : makers[maker].namePrefixes)
            if (prefix && startsWithIgnoringCase(name, prefix)) return static_cast<BdaMaker>(maker);
    return NoMaker;
}

std::string otherMakerOfName(const std::string& friendlyName, BdaMaker maker)
{
    const std::string name = withoutOuterBlanks(friendlyName);
    const BdaMaker named = makerOfName(name);
    if (named != NoMaker && named != maker) return makerName(named);
    for (const char* other : otherMakers)
        if (startsWithWord(name, other)) return other;
    return std::string();
}

BdaMaker makerOfTuner(const std::string& friendlyName, const std::string& devicePath)
{
    const std::string name = withoutOuterBlanks(friendlyName);
    // A TurboSight board may carry a Conexant bridge: its own name comes first.
    const BdaMaker named = makerOfName(name);
    if (named != NoMaker) return named;
    if (!otherMakerOfName(name, NoMaker).empty()) return NoMaker;
    const int32_t vendor = vendorIdOfDevicePath(devicePath);
    for (int maker = MakerTurboSight; maker < bdaMakerCount; ++maker)
        for (int32_t id : makers[maker].vendorIds)
            if (id >= 0 && id == vendor) return static_cast<BdaMaker>(maker);
    return NoMaker;
}

static void putWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// TurboSight's access property.
static constexpr size_t accessBytes = 536;
static constexpr uint32_t accessDiseqc = 1, accessTone = 2;
static constexpr uint32_t toneOff = 0, toneOn = 1;
static constexpr uint32_t toneBurstUnmodulated = 2, toneBurstModulated = 3;  // A, B
static constexpr size_t accessModeAt = 0, accessToneAt = 4, accessSendAt = 16, accessSendCountAt = 144;

// The reference set's DiSEqC message.
static constexpr size_t messageBytes = 188;
static constexpr size_t messageSendCountAt = 160, messageAttenuationAt = 168, messageBurstModulatedAt = 172;
static constexpr size_t messageVersionAt = 176, messageReceiveModeAt = 180, messageLastAt = 184;
static constexpr uint32_t fullAmplitude = 3, diseqcVersion1 = 1, receiveNoReply = 3;
static constexpr size_t nodeInstanceBytes = 32;

// The driver sends a tone burst after the last message of a sequence: a
// command is never the last, and a burst is an empty last message.
static std::vector<uint8_t> conexantMessage(const uint8_t* bytes, size_t length, bool last, bool burstB)
{
    std::vector<uint8_t> message(messageBytes, 0);
    for (size_t i = 0; i < length; ++i) message[i] = bytes[i];
    putWord(message, messageSendCountAt, static_cast<uint32_t>(length));
    putWord(message, messageAttenuationAt, fullAmplitude);
    putWord(message, messageBurstModulatedAt, burstB ? 1 : 0);
    putWord(message, messageVersionAt, diseqcVersion1);
    putWord(message, messageReceiveModeAt, receiveNoReply);
    putWord(message, messageLastAt, last ? 1 : 0);
    return message;
}

static std::vector<uint8_t> accessOf(uint32_t mode, uint32_t tone)
{
    std::vector<uint8_t> access(accessBytes, 0);
    putWord(access, accessModeAt, mode);
    putWord(access, accessToneAt, tone);
    return access;
}

std::vector<uint8_t> makerMessagePayload(MakerPayload payload, const uint8_t* bytes, size_t length)
{
    if (length > maxMakerMessageBytes) length = maxMakerMessageBytes;
    if (payload == ConexantMessage) return conexantMessage(bytes, length, false, false);
    std::vector<uint8_t> access = accessOf(accessDiseqc, 0);
    for (size_t i = 0; i < length; ++i) access[accessSendAt + i] = bytes[i];
    putWord(access, accessSendCountAt, static_cast<uint32_t>(length));
    return access;
}

std::vector<uint8_t> makerBurstPayload(MakerPayload payload, bool burstB)
{
    if (payload == ConexantMessage) return conexantMessage(nullptr, 0, true, burstB);
    return accessOf(accessTone, burstB ? toneBurstModulated : toneBurstUnmodulated);
}

std::vector<uint8_t> makerTonePayload(MakerPayload payload, bool on)
{
    if (payload == ConexantMessage) return std::vector<uint8_t>();
    return accessOf(accessTone, on ? toneOn : toneOff);
}

std::vector<uint8_t> makerInstance(MakerPayload payload, const std::vector<uint8_t>& data)
{
    return payload == ConexantMessage ? std::vector<uint8_t>(nodeInstanceBytes, 0) : data;
}
