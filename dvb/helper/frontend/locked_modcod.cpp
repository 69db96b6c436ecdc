#include "dvb/helper/frontend/locked_modcod.h"

#include <linux/dvb/frontend.h>

static void setRate(TunerModcodFields& fields, uint8_t numerator, uint8_t denominator)
{
    fields.rateState = FieldDefinite;
    fields.rateNumerator = numerator;
    fields.rateDenominator = denominator;
}

TunerModcodFields kernelModcodFields(const KernelModcod& values)
{
    TunerModcodFields fields;
    fields.systemState = values.system == SYS_DVBS || values.system == SYS_DVBS2 ? FieldDefinite : FieldOther;
    fields.system = values.system == SYS_DVBS2 ? ModDvbS2 : ModDvbS;
    fields.modulationState = FieldDefinite;
    switch (values.system == SYS_DVBS ? static_cast<uint32_t>(QPSK) : values.modulation) {
    case QPSK: fields.modulation = ModQpsk; break;
    case PSK_8: fields.modulation = Mod8psk; break;
    case APSK_16: fields.modulation = Mod16apsk; break;
    case APSK_32: fields.modulation = Mod32apsk; break;
    case QAM_AUTO: fields.modulationState = FieldAutomatic; break;
    default: fields.modulationState = FieldOther; break;
    }
    fields.rateState = FieldOther;
    switch (values.innerFec) {
    case FEC_1_2: setRate(fields, 1, 2); break;
    case FEC_2_3: setRate(fields, 2, 3); break;
    case FEC_3_4: setRate(fields, 3, 4); break;
    case FEC_4_5: setRate(fields, 4, 5); break;
    case FEC_5_6: setRate(fields, 5, 6); break;
    case FEC_7_8: setRate(fields, 7, 8); break;
    case FEC_8_9: setRate(fields, 8, 9); break;
    case FEC_3_5: setRate(fields, 3, 5); break;
    case FEC_9_10: setRate(fields, 9, 10); break;
    case FEC_2_5: setRate(fields, 2, 5); break;
    case FEC_AUTO: fields.rateState = FieldAutomatic; break;
    default: break;  // FEC_NONE, FEC_6_7: no rate of a satellite system here
    }
    return fields;
}

uint32_t systemOfLocked(const KernelModcod& readBack)
{
    switch (readBack.modulation) {
    case PSK_8:
    case APSK_16:
    case APSK_32: return SYS_DVBS2;
    default: break;
    }
    switch (readBack.innerFec) {
    case FEC_2_5:
    case FEC_3_5:
    case FEC_4_5:
    case FEC_8_9:
    case FEC_9_10: return SYS_DVBS2;
    case FEC_7_8: return SYS_DVBS;
    default: break;
    }
    return SYS_UNDEFINED;
}

ModcodWord lockedModcodWord(const KernelModcod& readBack, const KernelModcod& asked, bool systemReadBack)
{
    KernelModcod locked = readBack;
    if (!systemReadBack) {
        locked.system = systemOfLocked(readBack);
        if (locked.system == SYS_UNDEFINED) return missingWord(GapSystemUntold);
        // DVB-S leaves the modulation as asked: DVB-S is QPSK.
        if (locked.system == SYS_DVBS) locked.modulation = QPSK;
    }
    return tunerWord(kernelModcodFields(locked), kernelModcodFields(asked));
}

bool readsBackWorthAsking(const FrontendTraits& traits)
{
    return !traits.nameContains || hasTrait(traits, TraitReadsBackLocked);
}
