// The switch commands of the makers whose Windows drivers take DiSEqC
// through a private kernel-streaming property set on the tuner filter (or
// one of its pins) rather than through IBDA_DiseqCommand: which tuners are
// theirs, the sets' identifiers as the public BDA extension documentation
// of open-source tools gives them, and the bytes each set takes. Nothing
// here is checked against a real board. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum BdaMaker : uint8_t { NoMaker, MakerTurboSight, MakerConexant };
constexpr int bdaMakerCount = 3;

// A property set's identifier, laid out as Windows' GUID.
struct PropertySetId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

enum MakerPayload : uint8_t {
    // 536 bytes: access mode, tone, a reserved word, LNB power, 128 bytes
    // to send and their count, 128 received and their count, 256 reserved;
    // the same bytes go as the property's instance.
    TurboSightAccess,
    // 188 bytes: 151 to send, 9 received, then the counts of both, the
    // amplitude attenuation, whether the burst is modulated, the DiSEqC
    // version, the receive mode and whether this is the last message (the
    // driver sends a tone burst after a last message);
    // the instance is a node property's (KSP_NODE), 32 bytes of zeros.
    ConexantMessage,
};

struct MakerPropertySet {
    PropertySetId id;
    uint32_t property;  // the one that sends a DiSEqC message
    MakerPayload payload;
};

// A maker's sets, in the order they are asked for.
struct MakerSets {
    const MakerPropertySet* sets;
    int count;
};
MakerSets makerPropertySets(BdaMaker maker);

// The maker's name as its property sets are documented ("TurboSight"), and
// the word bdacard.ini uses for it ("turbosight").
const char* makerName(BdaMaker maker);
const char* makerWord(BdaMaker maker);
// The maker of a word of bdacard.ini (any case), NoMaker for none.
BdaMaker makerOfWord(const std::string& word);

// The vendor id of a device path ("\\?\pci#ven_14f1&dev_...", "\\?\usb#vid_734c&pid_..."),
// or -1 when it names none.
int32_t vendorIdOfDevicePath(const std::string& devicePath);

// Whose tuner this is, by its filter's friendly name and its device path;
// NoMaker for a tuner of no maker whose set is known. A vendor id names a
// bridge chip that many makers' boards carry (Conexant's 14F1 among them):
// it counts only where the name fits no other maker.
BdaMaker makerOfTuner(const std::string& friendlyName, const std::string& devicePath);

// The maker, other than `maker`, whose boards a tuner's name fits ("TeVii"
// for "TeVii S470 DVB-S2 Tuner"), or "" when it fits none: known makers
// and makers whose boards carry a Conexant bridge with a driver of their
// own, or whose USB sticks use TurboSight's USB set identifier for a set
// of their own.
std::string otherMakerOfName(const std::string& friendlyName, BdaMaker maker);

// What the set takes to send a DiSEqC message (at most maxMakerMessageBytes),
// with no burst after it; a tone burst alone (B when `burstB`, else A); the
// 22 kHz tone on or off (empty where the set has no tone of its own); and
// the property's instance that goes with each payload.
constexpr size_t maxMakerMessageBytes = 8;
std::vector<uint8_t> makerMessagePayload(MakerPayload payload, const uint8_t* bytes, size_t length);
std::vector<uint8_t> makerBurstPayload(MakerPayload payload, bool burstB);
std::vector<uint8_t> makerTonePayload(MakerPayload payload, bool toneOn);
std::vector<uint8_t> makerInstance(MakerPayload payload, const std::vector<uint8_t>& data);
