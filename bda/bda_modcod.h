// The modulation and code rate a BDA tuner's demodulator node says it
// locked (IBDA_DigitalDemodulator's ModulationType and InnerFECRate), as the
// link margin's rule reads them (cardbase/margin/link_margin.h): a driver
// that only keeps what the tune request put gives back the bridge's own
// modulation and no code rate, which is no word of the tuner's. BDA's
// numbers, platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/margin/link_margin.h"

// BinaryConvolutionCodeRate's "not set": the bridge leaves the code rate to the demodulator.
constexpr int32_t bdaCodeRateNotSet = -1;

// QPSK is DVB-S, NBC QPSK and NBC 8PSK DVB-S2; 8PSK, 16APSK and 32APSK
// are DVB-S2's too (DVB-S has QPSK only). Not set or not defined is
// automatic.
TunerModcodFields bdaModcodFields(int32_t modulation, int32_t codeRate);

// The tuner's word: what the demodulator gave back while locked, against
// the modulation the tune request put (its code rate not set).
ModcodWord bdaModcodWord(int32_t modulation, int32_t codeRate, int32_t askedModulation);
