// What reaches a simulated tuner and whether it receives: the values the
// network provider put to its nodes, how each kind of driver among the
// simulated ones handles them, and the dish beyond it (a universal Ku-band
// LNB whose oscillator follows the 22 kHz tone, a C-band LNB of 5150 MHz
// for carriers below 5 GHz, a committed switch).
#pragma once
#include <windows.h>

#include <bdatypes.h>
#include <string>

#include "tests/support/bda/bdasim_scenario.h"

// Where a driver offers its maker's DiSEqC property set (bdasim_maker.h):
// TurboSight's USB set on the filter, the Conexant reference set on the
// antenna input pin; TurboSight's set taken and ignored; and another
// maker's set under the reference set's identifier, laid out otherwise
// (a board on Conexant's bridge chip), whose messages go nowhere.
enum SimMakerKind : uint8_t {
    NoSimMakerSet,
    TurboSightOnFilter,
    ConexantOnPin,
    TurboSightIgnoredOnFilter,
    ForeignSetOnPin,
};

// The ways the simulated drivers differ, as drivers were found to.
struct SimDriverTraits {
    bool nbcOnly = false;           // DVB-S2 locks only with its NBC modulation, DVB-S never with one
    bool ignoresLnbSource = false;  // takes the LNB source and does nothing with it
    bool noDiseqc = false;          // its nodes offer no IBDA_DiseqCommand
    // Offers IBDA_DiseqCommand for the LNB source only: enabling commands
    // fails, and a command sent all the same is taken and goes nowhere.
    bool cannotSendDiseqc = false;
    bool lowOscillatorOnly = false;  // mixes with the low oscillator whatever the band
    bool strengthInMillidB = false;  // strength in mdB below the nominal level, and no quality
    bool offersTables = false;       // its filter offers IMpeg2Data for the stream it receives
    // The LNB gets its supply with the first tune request, and the switch on
    // it hears a command (or burst) only once the supply has settled (100 ms
    // after the latest tune), with the tone off, and 100 ms after the
    // command before (a burst 15 ms after it); anything else is lost.
    bool suppliesLnbWithTune = false;
    bool plainEightPsk = false;      // DVB-S2 8PSK only as BDA_MOD_8PSK; refuses the NBC values
    bool needsPilotRollOff = false;  // DVB-S2 locks only with pilots and roll-off named as sent
    // The RF tuner's range 1..4 selects switch port A..D, any other its first
    // input; drivers without it refuse the range property.
    bool switchesByRange = false;
    bool blocksTables = false;  // GetTable blocks far past its time out, whatever the graph does
    // Takes IBDA_DiseqCommand's commands and drops them: its switch hears only its maker's set.
    bool commandsGoNowhere = false;
    SimMakerKind makerSet = NoSimMakerSet;
};

struct TunerSettings {
    ULONG frequency = 0;
    ULONG multiplier = 1000;  // the frequency's unit in Hz
    Polarisation polarisation = BDA_POLARISATION_NOT_SET;
    ULONG range = 0;
    ULONG bandwidth = 0;
    ULONG lowKHz = 0;
    ULONG highKHz = 0;
    ULONG switchKHz = 0;
    bool diseqc = false;
    ULONG source = 0;  // the node's LNB source: 0 .. 3 for A .. D
    ModulationType modulation = BDA_MOD_NOT_SET;
    Pilot pilot = BDA_PILOT_NOT_SET;
    RollOff rollOff = BDA_ROLL_OFF_NOT_SET;
    FECMethod fec = BDA_FEC_METHOD_NOT_SET;
    BinaryConvolutionCodeRate fecRate = BDA_BCC_RATE_NOT_SET;
    ULONG symbolRate = 0;
    SpectralInversion inversion = BDA_SPECTRAL_INVERSION_NOT_SET;

    ULONG carrierKHz() const { return static_cast<ULONG>(static_cast<ULONGLONG>(frequency) * multiplier / 1000); }
    // The driver's choice of band, which also sets the 22 kHz tone.
    bool highBand() const { return carrierKHz() >= switchKHz; }
};

// The intermediate frequency the driver tunes to.
ULONG tunedIntermediateKHz(const TunerSettings& settings, const SimDriverTraits& traits);

// The switch port (0..3) the driver selects with the LNB source it was
// given at a commit, or -1 when it leaves the switch alone.
int portFromLnbSource(const TunerSettings& settings, const SimDriverTraits& traits);

// The port a DiSEqC 1.0 committed-switch command selects, or -1 when the
// bytes are no such command.
int portFromCommand(const BYTE* command, ULONG length);

// Whether the transponder's carrier arrives where the tuner listens: the
// tuned intermediate frequency is the one the LNB gives for the tone the
// driver sends, within 950 to 2150 MHz, with a symbol rate of 1000 to 45000
// kS/s and a polarization, through the switch port that carries the dish.
bool carrierArrives(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario,
                    int switchPort);

// Through a single-cable device: the downlink frequency of the transponder
// the tuned cable frequency holds (another receiver's is
// simNeighbourTransponderKHz), with the tuner's symbol rate and a
// polarization, through the position that carries the dish; else 0.
ULONG scrTransponderKHz(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario,
                        const ScrDevice& device);

// The switch port (0..3) the RF tuner's range selects on a driver that
// switches by it (a range not set, or out of 1..4, its first input), or -1.
int portFromRange(const TunerSettings& settings, const SimDriverTraits& traits);

// Whether the driver refuses a tune with these settings.
bool refusesModulation(const TunerSettings& settings, const SimDriverTraits& traits);

// Whether the demodulator can lock the transponder with the modulation,
// pilots and roll-off it was given.
bool modulationLocks(const TunerSettings& settings, const SimDriverTraits& traits, const BdaSimScenario& scenario);

// Whether two tunes ask for the same transponder (they may differ in
// modulation, pilot and roll-off).
bool sameTransponder(const TunerSettings& a, const TunerSettings& b);

// Whether two sets of settings differ in nothing but the RF tuner's range.
bool sameTuneAsideFromRange(const TunerSettings& a, const TunerSettings& b);

// The log line's values: frequency=KHZ symbolRate=KSPS polarisation=H|V|-
// modulation=NAME pilot=P rolloff=R low=KHZ high=KHZ switch=KHZ
// source=A..D|none band=low|high if=KHZ, and on a driver that switches by
// the RF tuner's range range=N (-1 not set).
std::string tuneText(const TunerSettings& settings, const SimDriverTraits& traits);

// The strength a driver in mdB reports for a strength percentage: 0 (the
// nominal level) at 100 %, 150 mdB more below nominal for each percent less.
LONG millidBBelowNominal(LONG strengthPercent);
