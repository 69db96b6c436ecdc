// A DVB frontend's figures (dvb_frontend.h): the status and the v5
// statistics through libdvbv5, the older calls where a driver hides its s/n
// behind them, and the strength alone for a sweep's step.
#include <cerrno>
#include <libdvbv5/dvb-fe.h>
#include <linux/dvb/frontend.h>
#include <sys/ioctl.h>

#include "dvb/helper/frontend/dvb_frontend.h"
#include "dvb/helper/frontend/dvb_remote_link.h"

static FigureScale scaleOf(const dtv_stats* stats)
{
    if (!stats) return ScaleNone;
    if (stats->scale == FE_SCALE_DECIBEL) return ScaleDecibel;
    if (stats->scale == FE_SCALE_RELATIVE) return ScaleRelative;
    return ScaleNone;
}

static int64_t valueOf(const dtv_stats* stats)
{
    if (!stats) return 0;
    return stats->scale == FE_SCALE_DECIBEL ? stats->svalue : static_cast<int64_t>(stats->uvalue & 0xFFFFFFFFu);
}

// FE_READ_SIGNAL_STRENGTH where the driver's level wants it asked: it
// refreshes ts2020's v5 strength when the bridge set dont_poll, and it is
// tas2101's level itself. Before the v5 statistics are read.
void DvbFrontend::askOlderStrength(RawFigures* raw)
{
    if (options_.remote || fd_ < 0 || olderStrengthLacking_) return;
    if (!frontendLevelTraitsFor(describe().name).asksOlderStrength) return;
    uint16_t strength = 0;
    raw->olderStrengthRead = ioctl(fd_, FE_READ_SIGNAL_STRENGTH, &strength) == 0;
    olderStrengthLacking_ = !raw->olderStrengthRead && unsupportedByDriver(-errno);
    raw->olderStrength = strength;
}

// A sweep's step wants the strength alone: one request of the driver,
// not the status and every statistic that a reading takes.
bool DvbFrontend::readLevel(RawFigures* raw)
{
    if (options_.remote || fd_ < 0) return read(raw);
    *raw = RawFigures();
    askOlderStrength(raw);
    dtv_property property{};
    property.cmd = DTV_STAT_SIGNAL_STRENGTH;
    dtv_properties list{1, &property};
    if (ioctl(fd_, FE_GET_PROPERTY, &list) != 0) return false;
    const dtv_stats* strength = property.u.st.len > 0 ? &property.u.st.stat[0] : nullptr;
    raw->strengthScale = scaleOf(strength);
    raw->strength = valueOf(strength);
    if (raw->strengthScale != ScaleNone || olderStrengthLacking_ || raw->olderStrengthRead) return true;
    // Without v5 statistics, the older call.
    uint16_t older = 0;
    if (ioctl(fd_, FE_READ_SIGNAL_STRENGTH, &older) == 0) {
        raw->v5 = false;  // as libdvbv5 hands the older strength on
        raw->strengthScale = ScaleRelative;
        raw->strength = older;
    } else {
        olderStrengthLacking_ = unsupportedByDriver(-errno);
    }
    return true;
}

bool DvbFrontend::read(RawFigures* raw)
{
    *raw = RawFigures();
    askOlderStrength(raw);
    expectRemoteAnswer(options_.remote);
    const bool answered = parms_ && dvb_fe_get_stats(parms_) == 0;
    if (answered) {
        uint32_t status = 0;
        dvb_fe_retrieve_stats(parms_, DTV_STATUS, &status);
        raw->locked = (status & FE_HAS_LOCK) != 0;
        raw->v5 = parms_->has_v5_stats != 0;
        const dtv_stats* cnr = dvb_fe_retrieve_stats_layer(parms_, DTV_STAT_CNR, 0);
        raw->cnrScale = scaleOf(cnr);
        raw->cnr = valueOf(cnr);
        const dtv_stats* strength = dvb_fe_retrieve_stats_layer(parms_, DTV_STAT_SIGNAL_STRENGTH, 0);
        raw->strengthScale = scaleOf(strength);
        raw->strength = valueOf(strength);
        // A driver that has given a v5 C/N only lacks one for a moment.
        v5CnrSeen_ = v5CnrSeen_ || raw->cnrScale != ScaleNone;
        if (raw->v5 && raw->locked && !v5CnrSeen_) readOlderFigures(raw);
    }
    remoteAnswered(options_.remote);
    return answered;
}

// libdvbv5 falls back to the older calls only when no v5 statistic at all
// has a value; a tuner that fills in the v5 strength alone (ts2020 does)
// hides its demodulator's older s/n. Asked on the frontend's own
// descriptor; a call the driver lacks is not asked again while it is open
// (each call waits for the kernel's frontend thread).
void DvbFrontend::readOlderFigures(RawFigures* raw)
{
    if (fd_ < 0) return;
    uint16_t snr = 0, strength = 0;
    if (!olderSnrLacking_) {
        raw->olderSnrRead = ioctl(fd_, FE_READ_SNR, &snr) == 0;
        olderSnrLacking_ = !raw->olderSnrRead && unsupportedByDriver(-errno);
    }
    raw->olderSnr = snr;
    if (!olderStrengthLacking_ && !raw->olderStrengthRead) {
        raw->olderStrengthRead = ioctl(fd_, FE_READ_SIGNAL_STRENGTH, &strength) == 0;
        olderStrengthLacking_ = !raw->olderStrengthRead && unsupportedByDriver(-errno);
    }
    raw->olderStrength = strength;
}
