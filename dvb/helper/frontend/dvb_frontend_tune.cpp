// A DVB frontend's LNB requests and tunes (dvb_frontend.h): local ones
// straight to the kernel, remote ones through libdvbv5 on dvbv5-daemon, and
// what the driver says it locked, read back.
#include <cerrno>
#include <libdvbv5/dvb-fe.h>
#include <linux/dvb/frontend.h>
#include <sys/ioctl.h>

#include "dvb/helper/frontend/dvb_frontend.h"
#include "dvb/helper/frontend/dvb_remote_link.h"
#include "dvb/helper/frontend/remote_tuning.h"

// On a remote frontend libdvbv5 on the daemon's side drives the LNB from
// the tune itself: nothing to send from here.
int DvbFrontend::setVoltage(LnbVoltage voltage)
{
    if (!parms_) return -ENODEV;
    if (options_.remote) return 0;
    return dvb_fe_sec_voltage(parms_, voltage != VoltageOff, voltage == Voltage18);
}

int DvbFrontend::setTone(bool on)
{
    if (!parms_) return -ENODEV;
    if (options_.remote) return 0;
    return dvb_fe_sec_tone(parms_, on ? SEC_TONE_ON : SEC_TONE_OFF);
}

int DvbFrontend::sendSwitchCommand(const uint8_t* command, size_t length)
{
    if (!parms_) return -ENODEV;
    if (options_.remote) return 0;
    return dvb_fe_diseqc_cmd(parms_, static_cast<unsigned>(length), command);
}

int DvbFrontend::sendBurst(bool b)
{
    if (!parms_) return -ENODEV;
    if (options_.remote) return 0;
    return dvb_fe_diseqc_burst(parms_, b ? 1 : 0);
}

static void put(dtv_property* properties, uint32_t* count, uint32_t command, uint32_t value)
{
    properties[*count] = dtv_property{};
    properties[*count].cmd = command;
    properties[*count].u.data = value;
    ++*count;
}

// The modulation, roll-off and code rate of an attempt: DVB-S is QPSK with
// a roll-off of 0.35; DVB-S2 as the attempt names it, or left to the
// demodulator.
static uint32_t modulationOf(SystemAttempt attempt)
{
    switch (attempt.modulation) {
    case AutomaticModulation: break;
    case QpskModulation: return QPSK;
    case Psk8Modulation: return PSK_8;
    }
    return QAM_AUTO;
}

static uint32_t rolloffOf(SystemAttempt attempt)
{
    switch (attempt.rolloff) {
    case RolloffImplied: break;
    case RolloffAutomatic: return ROLLOFF_AUTO;
    case Rolloff35: return ROLLOFF_35;
    case Rolloff20: return ROLLOFF_20;
    case Rolloff25: return ROLLOFF_25;
    }
    return attempt.dvbs2 && attempt.modulation == AutomaticModulation ? ROLLOFF_AUTO : ROLLOFF_35;
}

static uint32_t innerFecOf(SystemAttempt attempt)
{
    switch (attempt.codeRate) {
    case AutomaticCodeRate: break;
    case CodeRate1_2: return FEC_1_2;
    case CodeRate3_5: return FEC_3_5;
    case CodeRate2_3: return FEC_2_3;
    case CodeRate3_4: return FEC_3_4;
    case CodeRate4_5: return FEC_4_5;
    case CodeRate5_6: return FEC_5_6;
    case CodeRate8_9: return FEC_8_9;
    case CodeRate9_10: return FEC_9_10;
    }
    return FEC_AUTO;
}

int DvbFrontend::tune(const TuningSequence& sequence, SystemAttempt attempt)
{
    if (!parms_) return -ENODEV;
    if (options_.remote) return tuneRemote(sequence, attempt);
    // The system first, then the kernel's defaults for it (QPSK, roll-off
    // 0.35), so that nothing of an earlier tune stays; then every value.
    dtv_property properties[16];
    uint32_t count = 0;
    const bool dvbs2 = attempt.dvbs2;
    put(properties, &count, DTV_DELIVERY_SYSTEM, dvbs2 ? SYS_DVBS2 : SYS_DVBS);
    put(properties, &count, DTV_CLEAR, 0);
    put(properties, &count, DTV_FREQUENCY, sequence.frequencyKHz);
    put(properties, &count, DTV_SYMBOL_RATE, sequence.symbolsPerSecond);
    put(properties, &count, DTV_INNER_FEC, innerFecOf(attempt));
    put(properties, &count, DTV_INVERSION, INVERSION_AUTO);
    put(properties, &count, DTV_MODULATION, modulationOf(attempt));
    put(properties, &count, DTV_ROLLOFF, rolloffOf(attempt));
    if (dvbs2) {
        put(properties, &count, DTV_PILOT, PILOT_AUTO);
        put(properties, &count, DTV_STREAM_ID, NO_STREAM_ID_FILTER);
    }
    put(properties, &count, DTV_TUNE, 0);
    asked_ = KernelModcod{dvbs2 ? static_cast<uint32_t>(SYS_DVBS2) : static_cast<uint32_t>(SYS_DVBS),
                          modulationOf(attempt), innerFecOf(attempt)};
    dtv_properties list{count, properties};
    return ioctl(fd_, FE_SET_PROPERTY, &list) == 0 ? 0 : -errno;
}

// A remote frontend is driven by libdvbv5's own LNB rules on the daemon.
static dvb_sat_lnb remoteLnb()
{
    dvb_sat_lnb lnb{};
    lnb.name = remoteLnbName;  // the daemon looks the LNB up by this
    lnb.alias = remoteLnbName;
    return lnb;
}

int DvbFrontend::tuneRemote(const TuningSequence& sequence, SystemAttempt attempt)
{
    static const dvb_sat_lnb lnb = remoteLnb();
    expectRemoteAnswer(true);
    parms_->lnb = &lnb;
    parms_->sat_number = sequence.remoteSatellite;
    const bool dvbs2 = attempt.dvbs2;
    int result = dvb_set_sys(parms_, dvbs2 ? SYS_DVBS2 : SYS_DVBS) == 0 ? 0 : -EINVAL;
    if (result == 0) {
        dvb_fe_store_parm(parms_, DTV_FREQUENCY, sequence.frequencyKHz);
        dvb_fe_store_parm(parms_, DTV_SYMBOL_RATE, sequence.symbolsPerSecond);
        dvb_fe_store_parm(parms_, DTV_INNER_FEC, innerFecOf(attempt));
        dvb_fe_store_parm(parms_, DTV_INVERSION, INVERSION_AUTO);
        dvb_fe_store_parm(parms_, DTV_POLARIZATION, sequence.horizontal ? POLARIZATION_H : POLARIZATION_V);
        if (dvbs2) {
            dvb_fe_store_parm(parms_, DTV_MODULATION, modulationOf(attempt));
            dvb_fe_store_parm(parms_, DTV_PILOT, PILOT_AUTO);
            dvb_fe_store_parm(parms_, DTV_ROLLOFF, rolloffOf(attempt));
            dvb_fe_store_parm(parms_, DTV_STREAM_ID, NO_STREAM_ID_FILTER);
        }
        result = dvb_fe_set_parms(parms_);
    }
    remoteAnswered(true);
    return result > 0 ? -result : result;
}

// The kernel asks the driver (its get_frontend) while the frontend is not
// idle; a driver without one leaves what the tune set, and a known one of
// those (the table of known frontends) is not asked at all. Asked here for the
// three values alone: libdvbv5's dvb_fe_get_parms would ask the list of the
// system libdvbv5 last set, which the tune above, made without it, leaves
// behind. Not asked through dvbv5-daemon, whose replies this libdvbv5
// misreads.
ModcodWord DvbFrontend::lockedModcod()
{
    if (!parms_ || options_.remote) return missingWord(GapNotAsked);
    const FrontendTraits traits = frontendTraitsFor(describe().name);
    if (!readsBackWorthAsking(traits)) return missingWord(GapEcho);
    dtv_property properties[3];
    uint32_t count = 0;
    for (uint32_t command : {DTV_DELIVERY_SYSTEM, DTV_MODULATION, DTV_INNER_FEC}) put(properties, &count, command, 0);
    dtv_properties list{count, properties};
    if (ioctl(fd_, FE_GET_PROPERTY, &list) != 0) return missingWord(GapNotReported);
    const KernelModcod readBack{properties[0].u.data, properties[1].u.data, properties[2].u.data};
    return lockedModcodWord(readBack, asked_, !hasTrait(traits, TraitSystemNotReadBack));
}

// Asked as the three values above are, and for the same reasons.
bool DvbFrontend::foundFrequencyKHz(uint32_t* kHz)
{
    if (!parms_ || options_.remote) return false;
    dtv_property property[1];
    uint32_t count = 0;
    put(property, &count, DTV_FREQUENCY, 0);
    dtv_properties list{count, property};
    if (ioctl(fd_, FE_GET_PROPERTY, &list) != 0) return false;
    *kHz = property[0].u.data;
    return true;
}
