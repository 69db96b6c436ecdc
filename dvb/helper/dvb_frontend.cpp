#include "dvb/helper/dvb_frontend.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <fcntl.h>
// dvb-dev.h declares its functions without C linkage of its own.
extern "C" {
#include <libdvbv5/dvb-dev.h>
}
#include <libdvbv5/dvb-fe.h>
#include <libdvbv5/dvb-v5-std.h>
#include <netdb.h>
#include <unistd.h>

#include "dvb/helper/exit_codes.h"
#include "dvb/helper/remote_tuning.h"

uint64_t monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

// DiSEqC 1.0 wants 15 ms of quiet around a command.
static void diseqcPause() { usleep(15000); }

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
    static_cast<DvbFrontend*>(context)->libraryMessage = text;
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

static bool offers(const DvbFrontend& frontend, uint32_t system)
{
    for (int i = 0; i < frontend.parms->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
        if (frontend.parms->systems[i] == system) return true;
    return false;
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

static FrontendProblem openFrontend(DvbFrontend& frontend, const HelperOptions& options, std::string* detail)
{
    frontend.remote = options.remote;
    frontend.device = dvb_dev_alloc();
    if (!frontend.device) return ProblemOther;
    dvb_dev_set_logpriv(frontend.device, 0, libraryLog, &frontend);
    if (options.remote) {
        std::string address;
        if (!dottedAddress(options.serverHost, &address, detail) ||
            !daemonListens(address, options.serverPort, detail)) {
            closeDvbFrontend(frontend);
            return ProblemNoDaemon;
        }
        if (dvb_dev_remote_init(frontend.device, &address[0], options.serverPort) != 0) {
            *detail = frontend.libraryMessage;
            closeDvbFrontend(frontend);
            return ProblemNoDaemon;
        }
    }
    dvb_dev_find(frontend.device, nullptr, nullptr);
    dvb_dev_list* found = dvb_dev_seek_by_adapter(frontend.device, static_cast<unsigned>(options.adapter),
                                                  static_cast<unsigned>(options.frontend), DVB_DEVICE_FRONTEND);
    if (!found || !found->sysname) {
        closeDvbFrontend(frontend);
        return ProblemNoFrontend;
    }
    frontend.path = found->path && *found->path ? found->path : found->sysname;
    errno = 0;
    frontend.opened = dvb_dev_open(frontend.device, found->sysname, O_RDWR);
    if (!frontend.opened) {
        const int error = errno;
        *detail = error ? std::strerror(error) : frontend.libraryMessage;
        closeDvbFrontend(frontend);
        return options.remote && !error ? ProblemOther : openProblemOf(error);
    }
    frontend.parms = frontend.device->fe_parms;
    if (!offers(frontend, SYS_DVBS) && !offers(frontend, SYS_DVBS2)) {
        std::string systems = "it offers";
        for (int i = 0; i < frontend.parms->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
            systems += std::string(" ") + systemName(frontend.parms->systems[i]);
        *detail = systems;
        closeDvbFrontend(frontend);
        return ProblemNotSatellite;
    }
    frontend.lastLock = -1;
    frontend.automaticRefused = false;
    return FrontendUsable;
}

bool isOpen(const DvbFrontend& frontend) { return frontend.parms != nullptr; }

FrontendProblem openDvbFrontend(DvbFrontend& frontend, const HelperOptions& options, std::string* detail)
{
    closeDvbFrontend(frontend);
    if (options.remote) {
        signal(SIGABRT, remoteLinkFailed);
        signal(SIGALRM, remoteSilent);
    }
    expectRemoteAnswer(options.remote);
    const FrontendProblem problem = openFrontend(frontend, options, detail);
    remoteAnswered(options.remote);
    return problem;
}

void closeDvbFrontend(DvbFrontend& frontend)
{
    expectRemoteAnswer(frontend.remote);
    if (frontend.parms) {
        // The LNB goes unpowered when the frontend is let go.
        if (!frontend.remote) dvb_fe_sec_voltage(frontend.parms, 0, 0);
        if (frontend.log) writeLogLine(*frontend.log, voltageLine(VoltageOff));
    }
    if (frontend.opened) dvb_dev_close(frontend.opened);
    if (frontend.device) dvb_dev_free(frontend.device);
    frontend.opened = nullptr;
    frontend.device = nullptr;
    frontend.parms = nullptr;
    remoteAnswered(frontend.remote);
}

FrontendDescription describeDvbFrontend(const DvbFrontend& frontend, const HelperOptions& options)
{
    FrontendDescription description;
    description.device = frontend.remote
                             ? frontend.path + " on " + options.serverHost + ":" + std::to_string(options.serverPort)
                             : frontend.path;
    if (!frontend.parms) return description;
    const dvb_frontend_info& info = frontend.parms->info;
    description.name.assign(info.name, strnlen(info.name, sizeof info.name));
    for (int i = 0; i < frontend.parms->num_systems && i < MAX_DELIVERY_SYSTEMS; ++i)
        description.systems.push_back(systemName(frontend.parms->systems[i]));
    // Satellite frontends state their range in kHz.
    description.lowestKHz = info.frequency_min;
    description.highestKHz = info.frequency_max;
    description.lowestSymbolRate = info.symbol_rate_min;
    description.highestSymbolRate = info.symbol_rate_max;
    return description;
}

static void logLine(DvbFrontend& frontend, const std::string& line)
{
    if (frontend.log) writeLogLine(*frontend.log, line);
}

static void sendSatelliteControl(DvbFrontend& frontend, const FrontendPlan& plan)
{
    dvb_v5_fe_parms* parms = frontend.parms;
    dvb_fe_sec_voltage(parms, plan.voltage != VoltageOff, plan.voltage == Voltage18);
    logLine(frontend, voltageLine(plan.voltage));
    if (plan.switchPort != noSwitchPort) {
        // The command goes out with the tone off; the switch then passes the
        // tone the band needs to the LNB.
        diseqcPause();
        dvb_fe_sec_tone(parms, SEC_TONE_OFF);
        logLine(frontend, toneLine(false));
        diseqcPause();
        dvb_fe_diseqc_cmd(parms, sizeof plan.diseqc, plan.diseqc);
        logLine(frontend, diseqcLine(plan.diseqc, sizeof plan.diseqc));
        diseqcPause();
    }
    dvb_fe_sec_tone(parms, plan.toneOn ? SEC_TONE_ON : SEC_TONE_OFF);
    logLine(frontend, toneLine(plan.toneOn));
}

// A remote frontend is driven by libdvbv5's own LNB rules on the daemon.
static dvb_sat_lnb remoteLnb()
{
    dvb_sat_lnb lnb{};
    lnb.name = remoteLnbName;  // the daemon looks the LNB up by this
    lnb.alias = remoteLnbName;
    return lnb;
}

static int setSystem(DvbFrontend& frontend, TuneSystem system, uint32_t frequencyKHz, bool horizontal)
{
    dvb_v5_fe_parms* parms = frontend.parms;
    const bool dvbs2 = system != TuneDvbS;
    if (dvb_set_sys(parms, dvbs2 ? SYS_DVBS2 : SYS_DVBS) != 0) return -EINVAL;
    dvb_fe_store_parm(parms, DTV_FREQUENCY, frequencyKHz);
    dvb_fe_store_parm(parms, DTV_SYMBOL_RATE, frontend.plan.symbolsPerSecond);
    dvb_fe_store_parm(parms, DTV_INNER_FEC, FEC_AUTO);
    dvb_fe_store_parm(parms, DTV_INVERSION, INVERSION_AUTO);
    dvb_fe_store_parm(parms, DTV_POLARIZATION, horizontal ? POLARIZATION_H : POLARIZATION_V);
    if (dvbs2) {
        const uint32_t modulation = system == TuneDvbS2Qpsk ? QPSK : system == TuneDvbS2Psk8 ? PSK_8 : QAM_AUTO;
        dvb_fe_store_parm(parms, DTV_MODULATION, modulation);
        dvb_fe_store_parm(parms, DTV_PILOT, PILOT_AUTO);
        dvb_fe_store_parm(parms, DTV_ROLLOFF, ROLLOFF_AUTO);
        dvb_fe_store_parm(parms, DTV_STREAM_ID, NO_STREAM_ID_FILTER);
    }
    return dvb_fe_set_parms(parms);
}

static bool tuneCurrentSystem(DvbFrontend& frontend, std::string* reason)
{
    const FrontendPlan& plan = frontend.plan;
    uint32_t frequencyKHz = plan.intermediateKHz;
    uint32_t intermediateKHz = plan.intermediateKHz;
    static const dvb_sat_lnb lnb = remoteLnb();
    if (frontend.remote) {
        const RemoteTuning remote = remoteTuningFor(plan);
        frontend.parms->lnb = &lnb;
        frontend.parms->sat_number = remote.satelliteNumber;
        frequencyKHz = remote.frequencyKHz;
        intermediateKHz = remote.intermediateKHz;
    }
    const int result = setSystem(frontend, currentSystem(frontend.search), frequencyKHz, plan.horizontal);
    logLine(frontend, tuneLine(intermediateKHz, plan.symbolsPerSecond));
    frontend.lastLock = -1;
    if (result == 0) return true;
    *reason = "tune refused";
    if (result < 0) *reason += std::string(": ") + std::strerror(-result);
    return false;
}

static bool tuneFrontend(DvbFrontend& frontend, const FrontendPlan& plan, std::string* reason)
{
    if (!frontend.parms) {
        *reason = "frontend not open";
        return false;
    }
    frontend.plan = plan;
    if (frontend.remote) {
        const RemoteTuning remote = remoteTuningFor(plan);
        logLine(frontend, voltageLine(remote.voltage));
        if (remote.sendsDiseqc) logLine(frontend, diseqcLine(remote.diseqc, sizeof remote.diseqc));
        logLine(frontend, toneLine(remote.toneOn));
    } else {
        sendSatelliteControl(frontend, plan);
    }
    const bool dvbs = offers(frontend, SYS_DVBS);
    const bool dvbs2 = offers(frontend, SYS_DVBS2);
    startSearch(frontend.search, searchOrder(dvbs, dvbs2, frontend.automaticRefused), monotonicMs());
    if (tuneCurrentSystem(frontend, reason)) return true;
    if (currentSystem(frontend.search) != TuneDvbS2Automatic) return false;
    // Refused with the modulation left to the frontend: if a named system
    // tunes, this driver wants it named, and the search goes system by system.
    startSearch(frontend.search, searchOrder(dvbs, dvbs2, true), monotonicMs());
    if (!tuneCurrentSystem(frontend, reason)) return false;
    frontend.automaticRefused = true;
    return true;
}

static bool readFrontend(DvbFrontend& frontend, FrontendFigures* figures)
{
    *figures = FrontendFigures();
    if (!frontend.parms || dvb_fe_get_stats(frontend.parms) != 0) return false;
    uint32_t status = 0;
    dvb_fe_retrieve_stats(frontend.parms, DTV_STATUS, &status);
    TunerStatistics& statistics = figures->statistics;
    statistics.locked = (status & FE_HAS_LOCK) != 0;
    const dtv_stats* cnr = dvb_fe_retrieve_stats_layer(frontend.parms, DTV_STAT_CNR, 0);
    if (cnr && cnr->scale == FE_SCALE_DECIBEL) {
        statistics.hasCarrierToNoise = true;
        statistics.carrierToNoiseDb = static_cast<double>(cnr->svalue) / 1000.0;
    } else if (cnr && cnr->scale == FE_SCALE_RELATIVE) {
        statistics.hasQuality = true;
        statistics.qualityPercent = percentOfRelative(static_cast<uint32_t>(cnr->uvalue));
    }
    const dtv_stats* strength = dvb_fe_retrieve_stats_layer(frontend.parms, DTV_STAT_SIGNAL_STRENGTH, 0);
    if (strength && strength->scale == FE_SCALE_DECIBEL) {
        figures->hasStrengthDbm = true;
        figures->strengthDbm = static_cast<double>(strength->svalue) / 1000.0;
    } else if (strength && strength->scale == FE_SCALE_RELATIVE) {
        statistics.hasStrength = true;
        statistics.strengthPercent = percentOfRelative(static_cast<uint32_t>(strength->uvalue));
    }
    const int locked = statistics.locked ? 1 : 0;
    if (frontend.lastLock != locked) logLine(frontend, lockLine(statistics.locked));
    frontend.lastLock = locked;
    if (!frontend.search.order.empty() && searchMovesOn(frontend.search, statistics.locked, monotonicMs())) {
        std::string ignored;
        tuneCurrentSystem(frontend, &ignored);
    }
    return true;
}

bool tuneDvbFrontend(DvbFrontend& frontend, const FrontendPlan& plan, std::string* reason)
{
    expectRemoteAnswer(frontend.remote);
    const bool tuned = tuneFrontend(frontend, plan, reason);
    remoteAnswered(frontend.remote);
    return tuned;
}

bool readDvbFrontend(DvbFrontend& frontend, FrontendFigures* figures)
{
    expectRemoteAnswer(frontend.remote);
    const bool read = readFrontend(frontend, figures);
    remoteAnswered(frontend.remote);
    return read;
}
