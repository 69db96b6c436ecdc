// azimora-dvb: serves dvbcard.dll's calls from a DVB-S/S2 frontend that
// the Linux kernel drives, through libdvbv5, on a loopback TCP port.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

#include "cardbase/reading_pace.h"
#include "dvb/helper/dvb_frontend.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/tcp_server.h"
#include "dvb/simulated/simulation.h"

static volatile sig_atomic_t stopRequested = 0;

static void requestStop(int) { stopRequested = 1; }

static void complain(const std::string& message) { std::fprintf(stderr, "azimora-dvb: %s\n", message.c_str()); }

class HelperFrontend final : public ServedFrontend {
public:
    HelperFrontend(const HelperOptions& options, FrontendLog* log) : options_(options) { frontend_.log = log; }
    ~HelperFrontend() override { closeDvbFrontend(frontend_); }

    DvbFrontend& frontend() { return frontend_; }

    bool open(std::string* reason) override
    {
        if (isOpen(frontend_)) return true;
        std::string detail;
        const FrontendProblem problem = openDvbFrontend(frontend_, options_, &detail);
        if (problem == FrontendUsable) return true;
        complain(problemMessage(problem, options_, detail));
        *reason = problemReason(problem);
        return false;
    }

    bool tune(const FrontendPlan& plan, std::string* reason) override
    {
        return tuneDvbFrontend(frontend_, plan, reason);
    }

    bool measure(SignalReading* reading) override
    {
        const uint32_t wait =
            readingWaitMs(static_cast<uint32_t>(monotonicMs()), static_cast<uint32_t>(lastReadingMs_));
        if (wait > 0) usleep(static_cast<useconds_t>(wait) * 1000);
        FrontendFigures figures;
        const bool answered = readDvbFrontend(frontend_, &figures);
        lastReadingMs_ = monotonicMs();
        if (!answered) return false;
        *reading = readingFromStatistics(figures.statistics);
        return true;
    }

    void release() override { closeDvbFrontend(frontend_); }

private:
    HelperOptions options_;
    DvbFrontend frontend_;
    uint64_t lastReadingMs_ = 0;
};

static bool readFile(const std::string& path, std::string* text)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text->append(buffer, got);
    std::fclose(file);
    return true;
}

// The simulated frontend lives in a library preloaded under libdvbv5;
// the program starts itself again with it when it is not there yet.
static int startSimulated(const HelperOptions& options, char** argv)
{
    std::string text;
    if (!readFile(options.simulatePath, &text)) {
        complain("cannot read the simulation file " + options.simulatePath);
        return ExitFailure;
    }
    Simulation simulation;
    std::string error;
    if (!parseSimulation(text, &simulation, &error)) {
        complain("the simulation file " + options.simulatePath + " is wrong at " + error);
        return ExitFailure;
    }
    if (dlsym(RTLD_DEFAULT, "azimoraSimulatedKernel")) return ExitOk;
    char path[PATH_MAX];
    if (!realpath(options.simulatePath.c_str(), path)) return ExitFailure;
    setenv("AZIMORA_DVB_SIMULATE", path, 1);
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ExitFailure;
    self[length] = '\0';
    std::string library = self;
    library = library.substr(0, library.rfind('/') + 1) + "libazimora-dvb-sim.so";
    if (access(library.c_str(), R_OK) != 0) {
        complain("the simulated frontend " + library + " is missing");
        return ExitFailure;
    }
    const char* preload = getenv("LD_PRELOAD");
    setenv("LD_PRELOAD", (preload && *preload ? library + ":" + preload : library).c_str(), 1);
    execv(self, argv);
    complain("cannot start again with the simulated frontend: " + std::string(std::strerror(errno)));
    return ExitFailure;
}

static int printStatus(HelperFrontend& helper, const HelperOptions& options)
{
    FrontendFigures figures;
    readDvbFrontend(helper.frontend(), &figures);
    std::fputs(statusReport(describeDvbFrontend(helper.frontend(), options), figures).c_str(), stdout);
    return ExitOk;
}

int main(int argc, char** argv)
{
    HelperOptions options;
    std::string error;
    if (!parseHelperOptions(argc, argv, &options, &error)) {
        complain(error);
        std::fprintf(stderr, "Try azimora-dvb --help.\n");
        return ExitUsage;
    }
    if (options.help) {
        std::fputs(helperUsage(), stdout);
        return ExitOk;
    }
    if (!options.simulatePath.empty()) {
        const int started = startSimulated(options, argv);
        if (started != ExitOk) return started;
    }
    FrontendLog log;
    if (!openFrontendLog(log, options.logPath)) {
        complain("cannot write the log " + options.logPath + ": " + std::strerror(errno));
        return ExitFailure;
    }
    signal(SIGPIPE, SIG_IGN);
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);

    // The port first: when it is taken, another azimora-dvb holds the frontend too.
    int listener = -1;
    uint16_t boundPort = 0;
    if (!options.status) {
        bool taken = false;
        listener = listenOn(options.listenHost, options.listenPort, &taken, &error, &boundPort);
        if (listener < 0) {
            complain("cannot listen on " + options.listenHost + ":" + std::to_string(options.listenPort) + ": " +
                     error);
            return taken ? ExitPortTaken : ExitFailure;
        }
    }
    int code = ExitOk;
    {
        HelperFrontend helper(options, &log);
        std::string detail;
        const FrontendProblem problem = openDvbFrontend(helper.frontend(), options, &detail);
        if (problem != FrontendUsable) {
            complain(problemMessage(problem, options, detail));
            code = problemExitCode(problem);
        } else if (options.status) {
            code = printStatus(helper, options);
        } else {
            const FrontendDescription description = describeDvbFrontend(helper.frontend(), options);
            std::printf("azimora-dvb: serving %s (%s) on %s:%u\n", frontendName(options).c_str(),
                        description.name.c_str(), options.listenHost.c_str(), boundPort);
            std::fflush(stdout);
            // The frontend stays open for the first program that connects.
            serveConnections(listener, helper, &stopRequested);
        }
    }
    if (listener >= 0) close(listener);
    closeFrontendLog(log);
    return code;
}
