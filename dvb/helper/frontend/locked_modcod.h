// The modulation and code rate a Linux frontend says it locked, in the
// kernel's terms (DTV_DELIVERY_SYSTEM, DTV_MODULATION, DTV_INNER_FEC), as
// the link margin's rule reads them (cardbase/margin/link_margin.h): a
// driver without a report of its own gives back what the tune set, and
// that, like FEC_AUTO and QAM_AUTO, is no word of the tuner's. Linux headers
// only; no system calls.
#pragma once
#include <cstdint>

#include "cardbase/margin/link_margin.h"
#include "dvb/helper/frontend/frontend_traits.h"

struct KernelModcod {
    uint32_t system;      // SYS_DVBS, SYS_DVBS2, ...
    uint32_t modulation;  // QPSK, PSK_8, APSK_16, APSK_32, QAM_AUTO, ...
    uint32_t innerFec;    // FEC_1_2 .. FEC_9_10, FEC_AUTO, ...
};

// DVB-S knows QPSK only: its modulation is definite whatever the driver
// leaves in the field.
TunerModcodFields kernelModcodFields(const KernelModcod& values);

// The delivery system that what locked tells, for a driver that reads back
// the modulation and code rate but leaves the system as asked (stv0910):
// 8PSK, 16APSK, 32APSK or a code rate only DVB-S2 has is DVB-S2, 7/8 (only
// DVB-S has it) DVB-S; anything else does not tell (SYS_UNDEFINED). Never
// the attempt's: a DVB-S2 signal found under a DVB-S tune stays DVB-S2.
uint32_t systemOfLocked(const KernelModcod& readBack);

// The tuner's word: what it gave back while locked, against what the tune
// set; `systemReadBack` false for a driver whose system is told by
// systemOfLocked.
ModcodWord lockedModcodWord(const KernelModcod& readBack, const KernelModcod& asked, bool systemReadBack = true);

// Whether the driver is worth asking: a known frontend whose driver does not
// read back what it locked (no get_frontend) gives back what the tune set,
// and is not asked; an unknown one is, and the rule above tells.
bool readsBackWorthAsking(const FrontendTraits& traits);
