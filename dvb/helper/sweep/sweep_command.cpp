#include "dvb/helper/sweep/sweep_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "cardbase/sweep/sweep_refine.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_output.h"
#include "dvb/helper/sweep/sweep_report.h"
#include "dvb/helper/sweep/user_band_find.h"

// How often the progress is looked at.
static constexpr uint32_t sweepLookMs = 100;

static bool writeCsv(const std::string& path, const std::string& text, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) *error = "the file could not be written whole";
    return written && closed;
}

int runSweep(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop)
{
    if (options.scrFind && options.hasSingleCable && options.singleCable.standard == En50607) {
        std::printf("%s\n", en50607BandsText);
        return ExitOk;
    }
    const WorkerOutcome opened = worker.open(openWaitMs);
    if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        return opened.done ? problemExitCode(opened.problem) : ExitFailure;
    }
    const std::string name = worker.abilities().name;
    const FrontendLevelTraits levels = frontendLevelTraitsFor(name);
    if (!levelBeforeLock(levels)) {
        complain(name + (levels.source == LevelNever ? " gives no level at all" : " gives no level until it locks") +
                 ": a sweep cannot see the band (--status --tune tries one transponder)");
        return ExitFailure;
    }
    const SweepPlan plan =
        options.scrFind ? cableSweepPlan(options.sweep.request.stepMHz) : planSweep(options.sweep.request);
    if (levels.source == LevelRefreshedEvery) {
        // The coarse pass, and about as many fine steps again at the carriers' edges.
        const size_t measured = 2 * coarseSweepSteps(plan).size();
        std::fprintf(stderr,
                     "azimora-dvb: %s measures its level only every %.0f s: this sweep of %zu steps takes about "
                     "%zu minutes (a larger --step is quicker)\n",
                     name.c_str(), levels.refreshMs / 1000.0, plan.frequenciesMHz.size(),
                     measured * levels.refreshMs / 60000 + 1);
    }
    if (options.scrFind) worker.startUserBandSweep(plan);
    else worker.startSweep(plan);
    const bool terminal = isatty(STDERR_FILENO) != 0;
    SweepStatus status = worker.sweepStatus();
    uint32_t shownTenth = 0;
    while (!*stop && status.state != SweepDone && status.state != SweepFailed) {
        usleep(sweepLookMs * 1000);
        status = worker.sweepStatus();
        const uint32_t tenth = status.steps ? status.stepsDone * 10 / status.steps : 0;
        if (terminal && status.state == SweepRunning && tenth != shownTenth) {
            std::fprintf(stderr, "\rsweeping %s: %u of %u steps", sweepTitle(plan).c_str(), status.stepsDone,
                         status.steps);
            shownTenth = tenth;
        }
    }
    if (terminal && shownTenth) std::fputc('\n', stderr);
    if (*stop) return ExitOk;
    if (status.state == SweepFailed) {
        complain("sweep " + sweepTitle(plan) + ": " + status.problem);
        return ExitFailure;
    }
    SingleCableUse given;
    given.used = options.hasSingleCable;
    given.setting = options.singleCable;
    std::fputs((options.scrFind ? userBandReport(userBandsFound(status.result), given) : sweepReport(status)).c_str(),
               stdout);
    std::fflush(stdout);
    std::string error;
    if (!options.csvPath.empty() && !writeCsv(options.csvPath, sweepCsv(status), &error)) {
        complain("cannot write " + options.csvPath + ": " + error);
        return ExitFailure;
    }
    return ExitOk;
}
