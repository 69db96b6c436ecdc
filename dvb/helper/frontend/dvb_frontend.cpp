#include "dvb/helper/dvb_frontend.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
// dvb-dev.h declares its functions without C linkage of its own.
extern "C" {
#include <libdvbv5/dvb-dev.h>
}
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-v5-std.h>
#include <linux/dvb/frontend.h>
#include <netdb.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/remote_tuning.h"

// libdvbv5 reports through this; routine remarks (it wants an LNB of its own
// table, which the plan replaces) are kept as the latest message only.
static void libraryLog(void* context, int level, const char* format, ...)
{
    if (level > LOG_ERR) return;
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    static_cast<DvbFrontend*>(context)->noteLibraryMessage(text);
}

static const char* systemName(uint32_t system)
{
    switch (system) {
    case SYS_DVBS: return "DVB-S";
    case SYS_DVBS2: return "DVB-S2";
    case SYS_TURBO: return "TURBO";
    case SYS_ISDBS: return "ISDB-S";
    case SYS_DSS: return "DSS";
    case SYS_DVBT: return "DVB-T";
    case SYS_DVBT2: return "DVB-T2";
    case SYS_DVBC_ANNEX_A: return "DVB-C";
    case SYS_DVBC_ANNEX_B: return "DVB-C/B";
    case SYS_DVBC_ANNEX_C: return "DVB-C/C";
    case SYS_ISDBT: return "ISDB-T";
    case SYS_ATSC: return "ATSC";
    case SYS_DTMB: return "DTMB";
    }
    return "other";
}

static const char remoteAdvice[] =
    "  run azimora-dvb on the machine with the card instead (--listen 0.0.0.0:47474 there, and\n"
    "  AZIMORA_DVB=THAT-MACHINE:47474 for Azimora here)\n";

static void endForRemoteLink(const char* message, size_t length)
{
    ssize_t ignored = write(2, message, length);
    ignored = write(2, remoteAdvice, sizeof remoteAdvice - 1);
    (void)ignored;
    _exit(ExitNoDaemon);
}

// Debian's libdvbv5 1.22 misreads some message lengths from the daemon and
// aborts in its receiving thread; say what happened instead of dumping core.
static void remoteLinkFailed(int)
{
    static const char message[] =
        "azimora-dvb: the link to dvbv5-daemon failed inside libdvbv5 (its remote support misread a message);\n";
    endForRemoteLink(message, sizeof message - 1);
}

// The same library can also wait for ever for a reply that never comes, so
// every remote call is given remoteAnswerSeconds to return.
static const unsigned remoteAnswerSeconds = 5;

static void remoteSilent(int)
{
    static const char message[] = "azimora-dvb: dvbv5-daemon did not answer libdvbv5 in time;\n";
    endForRemoteLink(message, sizeof message - 1);
}

static void expectRemoteAnswer(bool remote)
{
    if (remote) alarm(remoteAnswerSeconds);
}

static void remoteAnswered(bool remote)
{
    if (remote) alarm(0);
}

// libdvbv5 connects to dotted IPv4 addresses only.
static bool dottedAddress(const std::string& host, std::string* address, std::string* detail)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0 || !found) {
        *detail = std::string("cannot resolve ") + host + ": " + gai_strerror(result);
        return false;
    }
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
    freeaddrinfo(found);
    *address = text;
    return true;
}

// Whether the daemon listens at all: libdvbv5's own connect gives no reason.
static bool daemonListens(const std::string& address, uint16_t port, std::string* detail)
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return true;
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    const bool listens = connect(probe, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
    if (!listens) *detail = std::strerror(errno);
    close(probe);
    return listens;
}

static FrontendProblem openProblemOf(int error)
{
    switch (error) {
    case EBUSY: return ProblemBusy;
    case EACCES:
    case EPERM: return ProblemNoPermission;
    case ENOENT:
    case ENODEV:
    case ENXIO: return ProblemNoFrontend;
    }
    return ProblemOther;
}

FrontendProblem DvbFrontend::openFrontend(std::string* detail)
{
    device_ = dvb_dev_alloc();
    if (!device_) return ProblemOther;
    dvb_dev_set_logpriv(device_, 0, libraryLog, this);
    if (options_.remote) {
        std::string address;
        if (!dottedAddress(options_.serverHost, &address, detail) ||
            !daemonListens(address, options_.serverPort, detail))
            return ProblemNoDaemon;
        if (dvb_dev_remote_init(device_, &address[0], options_.serverPort) != 0) {
            *detail = libraryMessage_;
            return ProblemNoDaemon;
        }
    }
    dvb_dev_find(device_, nullptr, nullptr);
    dvb_dev_list* found = dvb_dev_seek_by_adapter(device_, static_cast<unsigned>(options_.adapter),
                                                  static_cast<unsigned>(options_.frontend), DVB_DEVICE_FRONTEND);
    if (!found || !found->sysname) return ProblemNoFrontend;
    path_ = found->path && *found->path ? found->path : found->sysname;
    errno = 0;
    opened_ = dvb_dev_open(device_, found->sysname, O_RDWR);
    if (!opened_) {
        const int error = errno;
        *detail = error ? std::strerror(error) : libraryMessage_;
        return options_.remote && !error ? ProblemOther : openProblemOf(error);
    }
    parms_ = device_->fe_parms;
    fd_ = options_.remote ? -1 : dvb_dev_get_fd(opened_);
    if (!offers(SYS_DVBS) && !offers(SYS_DVBS2)) {
        std::string systems = "it offers";
        for (int i = 0; i < parms_->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
            systems += std::string(" ") + systemName(parms_->systems[i]);
        *detail = systems;
        return ProblemNotSatellite;
    }
    return FrontendUsable;
}

FrontendProblem DvbFrontend::open(std::string* detail)
{
    close();
    if (options_.remote) {
        signal(SIGABRT, remoteLinkFailed);
        signal(SIGALRM, remoteSilent);
    }
    expectRemoteAnswer(options_.remote);
    const FrontendProblem problem = openFrontend(detail);
    remoteAnswered(options_.remote);
    if (problem != FrontendUsable) close();
    return problem;
}

void DvbFrontend::close()
{
    for (int table = 0; table < sectionTableCount; ++table) stopSections(static_cast<SectionTable>(table));
    expectRemoteAnswer(options_.remote);
    if (opened_) dvb_dev_close(opened_);
    if (device_) dvb_dev_free(device_);
    remoteAnswered(options_.remote);
    opened_ = nullptr;
    device_ = nullptr;
    parms_ = nullptr;
    fd_ = -1;
    olderSnrLacking_ = false;
    olderStrengthLacking_ = false;
    v5CnrSeen_ = false;
}

bool DvbFrontend::offers(uint32_t system) const
{
    for (int i = 0; parms_ && i < parms_->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
        if (parms_->systems[i] == system) return true;
    return false;
}

FrontendDescription DvbFrontend::describe() const
{
    FrontendDescription description;
    description.device =
        options_.remote ? path_ + " on " + options_.serverHost + ":" + std::to_string(options_.serverPort) : path_;
    if (!parms_) return description;
    const dvb_frontend_info& info = parms_->info;
    description.name.assign(info.name, strnlen(info.name, sizeof info.name));
    for (int i = 0; i < parms_->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
        description.systems.push_back(systemName(parms_->systems[i]));
    // libdvbv5 read the range together with the system the frontend was set to.
    const bool satellite = dvb_fe_is_satellite(parms_->current_sys) != 0;
    description.lowestKHz = infoFrequencyKHz(info.frequency_min, satellite);
    description.highestKHz = infoFrequencyKHz(info.frequency_max, satellite);
    description.lowestSymbolRate = info.symbol_rate_min;
    description.highestSymbolRate = info.symbol_rate_max;
    return description;
}

FrontendAbilities DvbFrontend::abilities()
{
    const FrontendDescription description = describe();
    FrontendAbilities abilities;
    abilities.dvbs = offers(SYS_DVBS);
    abilities.dvbs2 = offers(SYS_DVBS2);
    abilities.lowestKHz = description.lowestKHz;
    abilities.highestKHz = description.highestKHz;
    abilities.lowestSymbolRate = description.lowestSymbolRate;
    abilities.highestSymbolRate = description.highestSymbolRate;
    abilities.remote = options_.remote;
    abilities.traits = frontendTraitsFor(description.name);
    abilities.scaleParameterSet = !options_.remote && parameterReadsOne(abilities.traits.scaleParameter);
    abilities.name = description.name;
    return abilities;
}

// A module parameter's file under /sys/module; a remote frontend's machine
// is not this one, and its driver is taken as loaded by default.
bool parameterReadsOne(const char* path)
{
    if (!path) return false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[8] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    return got > 0 && text[0] == '1' && (got == 1 || text[1] == '\n');
}

FrontendFigures DvbFrontend::readFigures()
{
    RawFigures raw;
    if (!read(&raw)) return FrontendFigures();
    const FrontendAbilities known = abilities();
    const bool dvbs2 = parms_ && parms_->current_sys == SYS_DVBS2;
    FigureMemory memory;
    return figuresFrom(raw, memory, figureScalesFor(known.traits, dvbs2, known.scaleParameterSet), monotonicMs());
}

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
