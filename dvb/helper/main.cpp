// azimora-dvb: serves dvbcard.dll's calls from a DVB-S/S2 frontend that
// the Linux kernel drives, through libdvbv5, on a TCP port (loopback unless
// told otherwise, and then only with a shared secret).
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <pthread.h>
#include <string>
#include <unistd.h>

#include "app/wall_clock.h"
#include "cardbase/reading_pace.h"
#include "dvb/common/regular_file.h"
#include "dvb/common/simulation.h"
#include "dvb/helper/built_in_catalogue.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/dvb_frontend.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/frontend/tuned_report.h"
#include "dvb/helper/helper_output.h"
#include "dvb/helper/helper_record.h"
#include "dvb/helper/motor/arc_command.h"
#include "dvb/helper/motor/motor_command.h"
#include "dvb/helper/point_time.h"
#include "dvb/helper/serve/connection_rules.h"
#include "dvb/helper/serve/tcp_listener.h"
#include "dvb/helper/serve/tcp_server.h"
#include "dvb/helper/serve/worker_frontend.h"
#include "dvb/helper/survey/survey_command.h"
#include "dvb/helper/sweep/sweep_command.h"
#include "dvb/protocol/shared_secret.h"

static volatile sig_atomic_t stopRequested = 0;

static void requestStop(int) { stopRequested = 1; }

static constexpr uint32_t endWaitMs = 5000;
// How often --status --tune looks at the latest reading while it waits.
static constexpr uint32_t tunedLookMs = 20;

// A simulation file holds a few lines; anything larger is a mistake.

// The simulated frontend lives in a library preloaded under libdvbv5;
// the program starts itself again with it when it is not there yet.
static int startSimulated(const HelperOptions& options, char** argv)
{
    std::string text, error;
    if (!readRegularFile(options.simulatePath, simulationFileLimit, &text, &error)) {
        complain("cannot read the simulation file " + options.simulatePath + ": " + error);
        return ExitFailure;
    }
    Simulation simulation;
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

// A command of its own, which serves no one.
static bool servesNoOne(const HelperOptions& options)
{
    return options.status || options.survey || options.sweep.sweep || options.motor.action != NoAction;
}

// The secret from --secret-file (its first line) or AZIMORA_DVB_SECRET;
// ExitOk, or the exit code with the complaint said.
static int findSecret(const HelperOptions& options, std::string* secret)
{
    if (servesNoOne(options)) return ExitOk;
    if (!options.secretPath.empty()) {
        std::string text, error;
        if (!readRegularFile(options.secretPath, 4096, &text, &error)) {
            complain("cannot read the secret file " + options.secretPath + ": " + error);
            return ExitFailure;
        }
        *secret = text.substr(0, text.find_first_of("\r\n"));
    } else if (const char* value = getenv("AZIMORA_DVB_SECRET")) {
        *secret = value;
    }
    if (!secret->empty() && !validSecret(*secret)) {
        complain("the shared secret must be 8 to 64 printable characters without blanks");
        return ExitUsage;
    }
    if (secret->empty() && listensBeyondLoopback(options.listenHost)) {
        complain("--listen " + options.listenHost +
                 " opens the port to other machines: give a shared secret (--secret-file FILE or "
                 "AZIMORA_DVB_SECRET), or rather keep the loopback address and reach it through an SSH tunnel");
        return ExitUsage;
    }
    return ExitOk;
}

static int printStatus(DvbFrontend& frontend)
{
    const FrontendFigures figures = frontend.readFigures();
    std::fputs((statusReport(frontend.describe(), figures) + untunedMarginLines(figures)).c_str(), stdout);
    return ExitOk;
}

// The worker thread never sees the signals that end the helper: the thread
// that waits for it takes them, and then lets the frontend go.
static void blockEndingSignals(bool block, sigset_t* previous)
{
    sigset_t ending;
    sigemptyset(&ending);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, signalNumber);
    if (block) pthread_sigmask(SIG_BLOCK, &ending, previous);
    else pthread_sigmask(SIG_SETMASK, previous, nullptr);
}

// Looks at the latest reading until `done` holds, the time is up or a
// signal ends the helper, each reading going into the record; that reading.
template <typename Done>
static LatestReading waitForReading(FrontendWorker& worker, uint32_t waitMs, HelperRecord& record,
                                    const ModcodWord& user, Done done)
{
    const uint64_t deadline = monotonicMs() + waitMs;
    LatestReading latest = worker.latest();
    helperRecordReading(record, latest, user, static_cast<uint32_t>(monotonicMs()));
    while (!done(latest) && !stopRequested && monotonicMs() < deadline) {
        usleep(tunedLookMs * 1000);
        latest = worker.latest();
        helperRecordReading(record, latest, user, static_cast<uint32_t>(monotonicMs()));
    }
    return latest;
}

// The tune's outcome once it is done, its bound has passed (then it is
// withdrawn unless it has begun) or a signal ends the helper.
static WorkerOutcome waitForTune(FrontendWorker& worker, const CardTuning& tuning)
{
    const uint32_t boundMs = worker.tuneBoundMs(tuning);
    return worker.waitBounded(worker.startTune(tuning), boundMs, &stopRequested);
}

static SingleCableUse singleCableOf(const HelperOptions& options)
{
    SingleCableUse use;
    use.used = options.hasSingleCable;
    use.setting = options.singleCable;
    return use;
}

// The record of this tune: in the user's record folder; --site names the site.
static void startRecord(HelperRecord& record, const HelperOptions& options, DvbFrontend& device)
{
    RecordSite site;
    site.known = options.hasSite;
    site.site = options.site;
    if (!openHelperRecord(record, recordFolder(), std::to_string(getpid()),
                          "azimora-dvb " + frontendName(options) + " (" + device.describe().name + ")", site)) {
        complain("the record of measurements cannot be kept: " + record.store.problem);
        return;
    }
    if (options.hasSingleCable) record.singleCable = singleCableSettingText(options.singleCable, false);
    const std::string catalogue(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize);
    const CardTuning& tuning = options.tuning;
    const int64_t now = wallClockMs();
    helperRecordTuned(
        record, tuning,
        expectedPositions(catalogueLines(catalogue), tuning.frequencyMHz, tuning.polarization, tuning.symbolRate), now,
        zoneMinutesAt(now), static_cast<uint32_t>(monotonicMs()));
}

// --status --tune: tuned as a connection's start would be (the same
// sequence, log and search), lock waited for, then the network's word; the
// measurement goes into the record.
static int tuneAndReport(const HelperOptions& options, DvbFrontend& device, FrontendLog& log)
{
    sigset_t previous;
    blockEndingSignals(true, &previous);
    FrontendWorker worker(device, &log);
    blockEndingSignals(false, &previous);
    worker.useSingleCable(singleCableOf(options));
    int code = ExitOk;
    const ModcodWord user = options.hasModcod ? knownWord(options.modcod) : missingWord(GapNotChosen);
    HelperRecord record;
    const WorkerOutcome opened = worker.open(openWaitMs);
    if (opened.ok) startRecord(record, options, device);
    const WorkerOutcome tuned = opened.ok ? waitForTune(worker, options.tuning) : opened;
    if (stopRequested) {
        code = ExitOk;
    } else if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        code = opened.done ? problemExitCode(opened.problem) : ExitFailure;
    } else if (!tuned.ok) {
        complain("cannot tune " + options.tuneEntry + ": " + tuned.reason);
        code = ExitFailure;
    } else {
        const TuningSequence sequence =
            buildTuningSequence(options.tuning, worker.abilities(), true, nullptr, singleCableOf(options));
        const uint32_t lockWaitMs = tunedLockWaitMs(sequence);
        const auto locked = [](const LatestReading& latest) { return latest.answered && latest.reading.locked; };
        LatestReading latest = waitForReading(worker, lockWaitMs, record, user, locked);
        if (locked(latest))
            latest = waitForReading(worker, networkInformationWaitMs + 2 * readingIntervalMs, record, user,
                                    [](const LatestReading& now) { return networkSettled(now.network); });
        if (!helperRecordEnd(record)) complain("the measurement could not be recorded: " + record.store.problem);
        if (stopRequested) {
            code = ExitOk;
        } else {
            std::fputs(tunedReport(device.describe(), options.tuneEntry, latest, user, singleCableOf(options)).c_str(),
                       stdout);
            std::fflush(stdout);
            if (!locked(latest)) {
                char waited[32];
                std::snprintf(waited, sizeof waited, "%.1f s", lockWaitMs / 1000.0);
                complain("no lock on " + options.tuneEntry + " within " + waited +
                         (options.hasSingleCable ? std::string(": ") + singleCableNoAnswerText : std::string()));
                code = ExitNoLock;
            }
        }
    }
    closeHelperRecord(record);
    if (!worker.stop(endWaitMs)) {
        complain("the frontend did not answer within 5 s while it was let go; ending without it");
        closeFrontendLog(log);
        _exit(code == ExitOk ? ExitFailure : code);
    }
    return code;
}

// A worker of its own, as --status --tune has one, `run` carried out on it
// and the frontend let go at the end: --survey and --sweep.
template <typename Run>
static int onOwnWorker(const HelperOptions& options, DvbFrontend& device, FrontendLog& log, Run run)
{
    sigset_t previous;
    blockEndingSignals(true, &previous);
    FrontendWorker worker(device, &log);
    blockEndingSignals(false, &previous);
    worker.useSingleCable(singleCableOf(options));
    const int code = run(worker);
    if (!worker.stop(endWaitMs)) {
        complain("the frontend did not answer within 5 s while it was let go; ending without it");
        closeFrontendLog(log);
        _exit(code == ExitOk ? ExitFailure : code);
    }
    return code;
}

// Signals that end the helper are taken by the serving thread alone, which
// then lets the frontend go; the worker thread never sees them.
static void catchEndingSignals()
{
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);  // a log beyond the file size limit fails its write instead
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    for (int ending : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(ending, &stop, nullptr);
}

static int serve(const HelperOptions& options, DvbFrontend& device, FrontendLog& log, int listener, uint16_t boundPort,
                 const std::string& secret)
{
    sigset_t previous;
    blockEndingSignals(true, &previous);
    FrontendWorker worker(device, &log);
    blockEndingSignals(false, &previous);
    WorkerFrontend frontend(worker);
    const WorkerOutcome opened = worker.open(openWaitMs);
    int code = ExitOk;
    if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        code = opened.done ? problemExitCode(opened.problem) : ExitFailure;
    } else {
        std::printf("azimora-dvb: serving %s (%s) on %s:%u%s\n", frontendName(options).c_str(),
                    device.describe().name.c_str(), options.listenHost.c_str(), boundPort,
                    secret.empty() ? "" : " (shared secret required)");
        std::fflush(stdout);
        // The frontend stays open for the first program that connects.
        ServerSettings settings;
        settings.secret = secret;
        settings.singleCable = singleCableOf(options);
        settings.idleMs = options.idleSeconds * 1000;
        settings.log = &log;
        serveConnections(listener, frontend, settings, &stopRequested);
    }
    if (!worker.stop(endWaitMs)) {
        complain("the frontend did not answer within 5 s while it was let go; ending without it");
        closeFrontendLog(log);
        _exit(code == ExitOk ? ExitFailure : code);
    }
    return code;
}

static int printPointing(const HelperOptions& options)
{
    std::string catalogue, error;
    if (options.cataloguePath.empty()) {
        catalogue.assign(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize);
    } else if (!readRegularFile(options.cataloguePath, pointCatalogueLimit, &catalogue, &error)) {
        complain("cannot read the catalogue " + options.cataloguePath + ": " + error);
        return ExitFailure;
    }
    PointMoment moment;
    if (!readPointMoment(options.pointTime, &moment)) {
        complain("--time wants a time such as 2025-06-21T12:00, 2025-06-21T12:00+03:00 or 2025-06-21T09:00Z, not \"" +
                 options.pointTime + "\"");
        std::fprintf(stderr, "Try azimora-dvb --help.\n");
        return ExitUsage;
    }
    std::string report;
    const int code = pointReport(options, catalogue, moment, &report, &error);
    if (code != ExitOk) {
        complain(error);
        std::fprintf(stderr, "Try azimora-dvb --help.\n");
        return code;
    }
    std::fputs(report.c_str(), stdout);
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
    if (options.point) return printPointing(options);
    std::string secret;
    const int secretFound = findSecret(options, &secret);
    if (secretFound != ExitOk) return secretFound;
    if (!options.simulatePath.empty()) {
        const int started = startSimulated(options, argv);
        if (started != ExitOk) return started;
    }
    FrontendLog log;
    if (!openFrontendLog(log, options.logPath, &error)) {
        complain("cannot write the log " + options.logPath + ": " + error);
        return ExitFailure;
    }
    catchEndingSignals();

    // The port first: when it is taken, another azimora-dvb holds the frontend too.
    int listener = -1;
    uint16_t boundPort = 0;
    if (!servesNoOne(options)) {
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
        DvbFrontend device(options);
        if (options.survey) {
            code = onOwnWorker(options, device, log, [&](FrontendWorker& worker) {
                return surveyCommand(
                    options, worker, [&device] { return device.describe().name; }, &stopRequested);
            });
        } else if (options.sweep.sweep) {
            code = onOwnWorker(options, device, log,
                               [&](FrontendWorker& worker) { return runSweep(options, worker, &stopRequested); });
        } else if (options.motor.action != NoAction) {
            code = onOwnWorker(options, device, log, [&](FrontendWorker& worker) {
                return options.motor.action == ActionArc ? runArcCommand(options, worker, &stopRequested)
                                                         : runMotorCommand(options, worker, &stopRequested);
            });
        } else if (options.tune) {
            code = tuneAndReport(options, device, log);
        } else if (options.status) {
            std::string detail;
            const FrontendProblem problem = device.open(&detail);
            if (problem != FrontendUsable) {
                complain(problemMessage(problem, options, detail));
                code = problemExitCode(problem);
            } else {
                code = printStatus(device);
            }
        } else {
            code = serve(options, device, log, listener, boundPort, secret);
        }
    }
    if (listener >= 0) close(listener);
    closeFrontendLog(log);
    return code;
}
