// What a BDA DVB-S tuning space and tune request carry for the six values
// the program sends. The driver, not the bridge, turns them into the
// intermediate frequency and the 22 kHz tone: it uses the high oscillator
// from the switch frequency on, and the low one below it. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "bda/bda_makers.h"
#include "cardbase/card_tuning.h"
#include "cardbase/frontend_plan.h"

// The numbers of BDA's Polarisation and LNB_Source enumerations.
constexpr int32_t bdaPolarisationHorizontal = 1;  // BDA_POLARISATION_LINEAR_H
constexpr int32_t bdaPolarisationVertical = 2;    // BDA_POLARISATION_LINEAR_V
constexpr int32_t bdaLnbSourceNotSet = -1;        // BDA_LNB_SOURCE_NOT_SET: no DiSEqC
constexpr int32_t bdaLnbSourceA = 1;              // BDA_LNB_SOURCE_A; B, C, D follow
constexpr int32_t bdaRangeNotSet = -1;            // BDA_RANGE_NOT_SET

// The longest DiSEqC command the bridge sends: a committed switch's has 4
// bytes, a single-cable device's up to 6 (cardbase/single_cable.h).
constexpr size_t maxBdaCommandBytes = 6;

// The LNB as the tuning space describes it, in kHz.
struct LnbOscillators {
    int32_t lowKHz;
    int32_t highKHz;
    int32_t switchKHz;
};

inline bool operator==(const LnbOscillators& a, const LnbOscillators& b)
{
    return a.lowKHz == b.lowKHz && a.highKHz == b.highKHz && a.switchKHz == b.switchKHz;
}

struct BdaTuneValues {
    LnbOscillators lnb;
    int32_t carrierKHz;        // the downlink frequency itself
    int32_t symbolRate;        // kS/s, as DVB-S drivers take the locator's figure
    int32_t polarisation;      // bdaPolarisationHorizontal or bdaPolarisationVertical
    int switchPort;            // noSwitchPort, or 0..3 (A, B, C, D)
    uint8_t switchCommand[4];  // the committed-switch command for the port
    ToneBurst toneBurst;       // after the command, for the letters "A" and "B"
    int32_t lnbSource;         // bdaLnbSourceNotSet, or the port as BDA's LNB source A .. D
    int32_t inputRange;        // bdaRangeNotSet, or the port as the RF tuner's range 1 .. 4 (A .. D)
};

// The oscillator the program chose (9750 or 10600 MHz of a universal
// Ku-band LNB, or 5150 MHz of a C-band LNB mixing from above) in both the
// low and the high field, since some drivers mishandle two oscillators in
// one request; the switch frequency stays the program's band boundary,
// 11700 MHz, so that the driver's 22 kHz tone still follows the band the
// program chose for every frequency it sends.
LnbOscillators lnbOscillatorsFor(const CardTuning& tuning);

// The same oscillator with the switch frequency above the carrier: the
// driver sends no tone, and tunes the same intermediate frequency.
LnbOscillators lnbWithoutTone(const BdaTuneValues& values);

// The oscillator a driver uses for a carrier, by the switch rule above.
int32_t oscillatorForCarrierKHz(const LnbOscillators& lnb, int32_t carrierKHz);

// Everything one start sends: the LNB, the carrier, the symbol rate, the
// polarization (without a letter vertical, as the LNB supply of every
// card), and the port of a DiSEqC switch with its command, tone burst, LNB
// source and input range. The inner FEC is always left to the demodulator.
BdaTuneValues bdaTuneValuesFor(const CardTuning& tuning);

// How a switch port reaches the switch, in the order tried: the tuner
// maker's own property set, where the tuner is a maker's whose set is
// known and its filter answers for it; the committed-switch command sent
// through the tuner's own DiSEqC interface, where the driver takes it;
// else the LNB source of the tune request, where the driver and Windows
// have one (a driver may take it and do nothing, so nothing comes after
// it); else the input range, which Windows documents for tuners that drive
// a multiswitch: first as the tuning space's (the network provider puts it
// to the tuner with every tune), last as the RF tuner's own property; with
// none, the port cannot be reached.
enum SwitchRoute : uint8_t {
    NoSwitchAsked,
    SwitchByMaker,
    SwitchByCommand,
    SwitchByLnbSource,
    SwitchBySpaceRange,
    SwitchByRangeProperty,
    SwitchUnreachable,
};
// What the tuner offers for it.
struct SwitchMeans {
    bool maker;          // a known maker's tuner whose filter answers for the maker's set
    bool commands;       // a node with IBDA_DiseqCommand
    bool lnbSource;      // ... and a locator with an LNB source
    bool spaceRange;     // a tuning space (always, unless it refuses when asked)
    bool rangeProperty;  // an RF tuner node with IBDA_FrequencyFilter, and the filter's changes
};
// Which routes bdacard.ini lets the start take (its line "switch=").
enum SwitchChoice : uint8_t {
    SwitchAuto,           // all, in the order above
    SwitchOnlyCommand,    // "command"
    SwitchOnlyMaker,      // a maker's word: that maker's set, whoever's the tuner is
    SwitchOnlyLnbSource,  // "source"
    SwitchOnlyRange,      // "range": the tuning space's, then the RF tuner's
};
// The route to try after `failed` (NoSwitchAsked for the first).
SwitchRoute switchRouteAfter(int switchPort, SwitchRoute failed, const SwitchMeans& means,
                             SwitchChoice choice = SwitchAuto);

// The card's line where its other facts are shown (the phone page, its
// window): the card's name, and after a start that reached a switch port
// the route that served ("BDA tuner; switch: TurboSight's property set"),
// or through a single-cable device the route that carried its command
// ("BDA tuner; single cable by DiSEqC command"), or why single cable was
// refused; a set that bdacard.ini forces on a tuner whose name fits
// another maker is said to be so.
struct BdaCardFacts {
    SwitchRoute served = NoSwitchAsked;
    BdaMaker maker = NoMaker;
    bool singleCable = false;
    std::string refusal;     // why single cable cannot serve, "" when it can
    std::string otherMaker;  // whose boards the tuner's name fits, where a set was forced on it
};
std::string bdaCardLine(const std::string& card, const BdaCardFacts& facts);
// "DiSEqC command", "TurboSight's property set", ...; "" for no route.
std::string switchRouteText(SwitchRoute route, BdaMaker maker);

// What the tuning space's input range says for ports A, B, C and D: the
// port's number, "1" to "4", unless bdacard.ini names other forms; Windows
// does not say what a driver wants there.
struct InputRangeForms {
    std::string port[4] = {"1", "2", "3", "4"};
};

// The LNB source a tune request carries on that route.
int32_t lnbSourceFor(const BdaTuneValues& values, SwitchRoute route);
