// A single-cable device as the simulators know it (the simulated kernel
// frontend and the practice dish share it): it honours a command only at
// 18 V, without the 22 kHz tone (which garbles it) and with its PIN where
// it has one; it then puts the asked transponder on that user band until a
// power-off frees the band or another command takes it. EN 50494's device
// mixes from above, so its user band carries the spectrum inverted about
// (T + 350) x 4 MHz. After E0 10 5B 00 00 an EN 50494 device puts a tone on
// every user band's centre. Another receiver on the same cable may take a
// band now and then. For simulators and tests only. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/single_cable.h"

// The scenario lines, in both scenario files:
//   scr-device en50494 1210,1420,1680,2040 [pin N]
//   scr-neighbour UB every S
struct ScrDeviceSetup {
    bool present = false;
    SingleCableStandard standard = En50494;
    std::vector<uint32_t> bandsMHz;  // user band n at bandsMHz[n - 1]
    int pin = noSingleCablePin;
    int neighbourBand = 0;  // 0: no other receiver
    uint32_t neighbourEveryMs = 0;
};

// The words after "scr-device" or "scr-neighbour"; false with the reason.
bool parseScrDeviceWords(const std::vector<std::string>& words, ScrDeviceSetup* setup, std::string* error);
bool parseScrNeighbourWords(const std::vector<std::string>& words, ScrDeviceSetup* setup, std::string* error);

// What a user band carries.
struct ScrBandContent {
    bool asked = false;
    bool byNeighbour = false;  // another receiver's transponder
    int position = 1;
    bool horizontal = false;
    bool highBand = false;
    uint32_t askedIfKHz = 0;  // the LNB's intermediate frequency that lands on the band
    uint32_t landsKHz = 0;    // where it lands on the cable
    bool inverted = false;
};

struct ScrDevice {
    ScrDeviceSetup setup;
    std::vector<ScrBandContent> bands;  // one per user band
    bool tonesOn = false;               // after E0 10 5B 00 00
    uint32_t lastNeighbourMs = 0;
    bool started = false;  // a command has been heard: the neighbour's clock runs from then
};
void resetScrDevice(ScrDevice& device, const ScrDeviceSetup& setup);

enum ScrHeard : uint8_t {
    ScrNotForIt,    // not a single-cable command
    ScrNoSupply,    // below 18 V: the device does not listen
    ScrGarbled,     // the 22 kHz tone was on: the device cannot read the command
    ScrWrongPin,    // a protected band asked without its PIN, or with another
    ScrBadBand,     // a user band the device does not have
    ScrTuned,       // the band now carries the asked transponder
    ScrFreed,       // the band is free
    ScrTonesShown,  // a tone on every user band's centre
};
ScrHeard scrDeviceHears(ScrDevice& device, const uint8_t* bytes, size_t length, bool supply18, bool toneOn,
                        uint32_t nowMs);
const char* scrHeardName(ScrHeard heard);

// The other receiver: at each multiple of neighbourEveryMs after the first
// command it asks its own transponder (`neighbourIfKHz`, position 1) on
// the band. True when it just took the band.
bool scrNeighbourAdvance(ScrDevice& device, uint32_t nowMs, uint32_t neighbourIfKHz, bool horizontal, bool highBand);

// What is on the cable at `cableKHz`: the user band whose passband holds
// it, and the LNB frequency that shows there (`offsetKHz`: where in the
// carrier the cable frequency falls, already turned round for an inverted
// band). False where no asked band covers it.
constexpr uint32_t scrPassbandKHz = 36000;  // each user band's width
struct ScrSource {
    int userBand = 0;  // 1-based
    const ScrBandContent* content = nullptr;
    uint32_t lnbIfKHz = 0;  // the LNB frequency seen at cableKHz
};
bool scrCableSource(const ScrDevice& device, uint32_t cableKHz, ScrSource* source);
// Where a user band's centre tone is, within `toleranceKHz` of `cableKHz`.
bool scrToneAt(const ScrDevice& device, uint32_t cableKHz, uint32_t toleranceKHz);
