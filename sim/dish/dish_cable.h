// The practice dish's cable when a single-cable device sits between its
// LNB and the card: the device (cardbase/single_cable_device.h), what the
// card puts on the cable (its supply and tone, its commands, the frequency
// its tuner sits at), another receiver taking a user band now and then, and
// what the tuner then receives. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/card_tuning.h"
#include "cardbase/single_cable.h"
#include "cardbase/single_cable_device.h"
#include "cardbase/sky/sky.h"

struct DishCable {
    ScrDevice device;  // device.setup.present: the installation has one
    // The card's side.
    bool throughDevice = false;  // the card measures through a single-cable device
    bool settingRead = false;    // its setting reads (else `refusal` says why not)
    SingleCableSetting setting;
    std::string refusal;       // why the latest tune sent nothing ("" when it was sent)
    std::string userBandNote;  // "another receiver uses user band 1" since the latest tune, else ""
    bool supply18 = false;     // what the card puts on the cable now
    bool toneOn = false;
    uint32_t demodulatorKHz = 0;  // where its tuner sits, after the latest tune step
    std::string lastCommand;      // "E0 10 5A 04 F7", the latest sent
    ScrHeard lastHeard = ScrNotForIt;
    uint32_t neighbourTurns = 0;  // how often the other receiver took a band
};

// A cable with the installation's device on it (none unless `setup.present`).
DishCable newDishCable(const ScrDeviceSetup& setup);

// One step the card carries out, as the device hears it (`supplyLost`: the
// installation's supply never reaches 18 V); pauses are the caller's. The
// call log's line for it: "ScrSupply 18", "ScrPause 15", "ScrCommand E0 10
// 5A 04 F7 -> tuned", "ScrTune 1210000 kHz".
std::string cableStep(DishCable& cable, const SingleCableStep& step, const SingleCablePlan& plan, bool supplyLost,
                      uint32_t nowMs);

// Whether the transponder is one the card was tuned to (the demodulator
// would follow it too): its frequency, polarization and symbol rate.
bool sameCarrier(const Transponder& transponder, const CardTuning& tuning);

// The other receiver's turn, at `nowMs`: when it is due it asks for the
// next of `satellite`'s Ku-band transponders, the card's own left out and
// those the card's demodulator would follow (the same symbol rate) first,
// so that the card sees the stream change under it. True when it just took
// a band.
bool cableNeighbourTurn(DishCable& cable, const Satellite& satellite, const CardTuning& ours, uint32_t nowMs);

// What the tuner receives through the device at its frequency: the LNB's
// band, polarization and downlink frequency of whatever user band covers
// it, with the program's symbol rate, and `position` the device's input
// (1-4). False where nothing is there.
bool cableTuningAtLnb(const DishCable& cable, const CardTuning& programTuning, CardTuning* reached, int* position);

// Whether the LNB ports in `lnbPorts` (DiSEqC codes as bits, dish_setup.h)
// have an LNB at the device's input `position`, as the committed switch's
// letters number them.
bool lnbAtPosition(uint32_t lnbPorts, int position);
