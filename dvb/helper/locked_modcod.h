// The modulation and code rate a Linux frontend says it locked, in the
// kernel's terms (DTV_DELIVERY_SYSTEM, DTV_MODULATION, DTV_INNER_FEC), as
// the link margin's rule reads them (cardbase/margin/link_margin.h): a
// driver without a report of its own gives back what the tune set, and
// that, like FEC_AUTO and QAM_AUTO, is no word of the tuner's. Linux headers
// only; no system calls.
#pragma once
#include <cstdint>

#include "cardbase/margin/link_margin.h"
#include "dvb/helper/frontend_traits.h"

struct KernelModcod {
    uint32_t system;      // SYS_DVBS, SYS_DVBS2, ...
    uint32_t modulation;  // QPSK, PSK_8, APSK_16, APSK_32, QAM_AUTO, ...
    uint32_t innerFec;    // FEC_1_2 .. FEC_9_10, FEC_AUTO, ...
};

// DVB-S knows QPSK only: its modulation is definite whatever the driver
// leaves in the field.
TunerModcodFields kernelModcodFields(const KernelModcod& values);

// The tuner's word: what it gave back while locked, against what the tune set.
ModcodWord lockedModcodWord(const KernelModcod& readBack, const KernelModcod& asked);

// Whether the driver is worth asking: a known frontend whose driver does not
// read back what it locked (no get_frontend) gives back what the tune set,
// and is not asked; an unknown one is, and the rule above tells.
bool readsBackWorthAsking(const FrontendTraits& traits);
