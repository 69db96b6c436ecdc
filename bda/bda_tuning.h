// What a BDA DVB-S tuning space and tune request carry for the six values
// the program sends. The driver, not the bridge, turns them into the
// intermediate frequency and the 22 kHz tone: it uses the high oscillator
// from the switch frequency on, and the low one below it. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/card_tuning.h"

// The numbers of BDA's Polarisation and LNB_Source enumerations.
constexpr int32_t bdaPolarisationHorizontal = 1;  // BDA_POLARISATION_LINEAR_H
constexpr int32_t bdaPolarisationVertical = 2;    // BDA_POLARISATION_LINEAR_V
constexpr int32_t bdaLnbSourceNotSet = -1;        // BDA_LNB_SOURCE_NOT_SET: no DiSEqC
constexpr int32_t bdaLnbSourceA = 1;              // BDA_LNB_SOURCE_A; B, C, D follow

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
    int32_t carrierKHz;    // the downlink frequency itself
    int32_t symbolRate;    // kS/s, as DVB-S drivers take the locator's figure
    int32_t polarisation;  // bdaPolarisationHorizontal or bdaPolarisationVertical
    int32_t lnbSource;     // bdaLnbSourceNotSet, or A .. D
};

// The program's oscillators are those of a universal Ku-band LNB (9750 MHz
// below its band boundary, 10600 MHz from 11700 MHz on) or a single one
// (5150 MHz, a C-band LNB mixing from above). A universal one is described
// as such; any other oscillator stands in both places. The switch frequency
// is the program's band boundary, 11700 MHz, so that the driver picks the
// band and oscillator the program chose for every frequency it sends.
LnbOscillators lnbOscillatorsFor(const CardTuning& tuning);

// The oscillator a driver uses for a carrier, by the switch rule above.
int32_t oscillatorForCarrierKHz(const LnbOscillators& lnb, int32_t carrierKHz);

// Everything one tune sends: the LNB, the carrier, the symbol rate, the
// polarization (without a letter vertical, as the LNB supply of every
// card), and the LNB source of a DiSEqC switch (A to D for its ports 0..3).
// The inner FEC is always left to the demodulator.
BdaTuneValues bdaTuneValuesFor(const CardTuning& tuning);
