#include "dvb/helper/frontend/dvb_frontend.h"

#include <cerrno>
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
#include <unistd.h>

#include "dvb/helper/frontend/dvb_remote_link.h"

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
    if (options_.remote) guardRemoteLink();
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
