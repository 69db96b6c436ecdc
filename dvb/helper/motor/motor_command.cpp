#include "dvb/helper/motor/motor_command.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

#include "dvb/common/regular_file.h"
#include "dvb/helper/built_in_catalogue.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/frontend/tuned_report.h"
#include "dvb/helper/helper_output.h"
#include "dvb/helper/motor/motor_order.h"
#include "dvb/helper/motor/simulated_reference.h"
#include "dvb/helper/point_report.h"

// How often a wait looks for its end, and the bound of the command's own steps.
static constexpr uint32_t lookMs = 20;
static constexpr uint32_t commandBoundMs = 10000;

bool motorCatalogueText(const HelperOptions& options, std::string* text)
{
    std::string error;
    if (options.cataloguePath.empty()) {
        text->assign(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize);
        return true;
    }
    if (readRegularFile(options.cataloguePath, pointCatalogueLimit, text, &error)) return true;
    complain("cannot read the catalogue " + options.cataloguePath + ": " + error);
    return false;
}

bool sendMotorCommand(FrontendWorker& worker, const MotorCommand& command, volatile sig_atomic_t* stop,
                      std::string* reason)
{
    const WorkerOutcome outcome = worker.waitBounded(worker.startMotor(command), commandBoundMs, stop);
    *reason = outcome.done ? outcome.reason : "the frontend does not answer in time";
    return outcome.done && outcome.ok;
}

uint32_t motorClockOf(const HelperOptions& options)
{
    SimulatedSky sky;
    return simulatedSkyOf(options.simulatePath, &sky) ? sky.clock : 1;
}

bool waitMotorMs(uint32_t ms, uint32_t clock, volatile sig_atomic_t* stop)
{
    const uint64_t end = monotonicMs() + (ms + clock - 1) / clock;
    for (uint64_t now = monotonicMs(); !*stop && now < end; now = monotonicMs())
        usleep(static_cast<useconds_t>(std::min<uint64_t>(end - now, lookMs)) * 1000);
    return !*stop;
}

// The transponder tuned once the motor is there, and whether it locks.
static void tuneThere(FrontendWorker& worker, const MotorOrder& order, volatile sig_atomic_t* stop)
{
    const uint32_t boundMs = worker.tuneBoundMs(order.tuning);
    const WorkerOutcome outcome = worker.waitBounded(worker.startTune(order.tuning), boundMs, stop);
    if (*stop) return;
    if (!outcome.ok) {
        complain("cannot tune " + order.entry + ": " +
                 (outcome.done ? outcome.reason : "the frontend does not answer"));
        return;
    }
    const uint32_t lockWaitMs = tunedLockWaitMs(buildTuningSequence(order.tuning, worker.abilities(), true, nullptr));
    const uint64_t lockEnd = monotonicMs() + lockWaitMs;
    LatestReading latest = worker.latest();
    while (!(latest.answered && latest.reading.locked) && !*stop && monotonicMs() < lockEnd) {
        usleep(lookMs * 1000);
        latest = worker.latest();
    }
    // The network's word, where it comes within a few seconds.
    const uint64_t networkEnd = monotonicMs() + 3000;
    while (latest.reading.locked && !networkSettled(latest.network) && !*stop && monotonicMs() < networkEnd) {
        usleep(lookMs * 1000);
        latest = worker.latest();
    }
    if (*stop) return;
    if (!latest.answered || !latest.reading.locked) {
        char waited[32];
        std::snprintf(waited, sizeof waited, "%.1f s", lockWaitMs / 1000.0);
        say(order.entry + ": no lock within " + waited);
        return;
    }
    std::string line = order.entry + ": locked";
    if (carrierToNoiseInDecibels(latest.figures)) {
        char cn[32];
        std::snprintf(cn, sizeof cn, ", C/N %.1f dB", latest.figures.statistics.carrierToNoiseDb);
        line += cn;
    }
    const NetworkReport& network = latest.network;
    if (network.state == NetworkKnown && network.identity.certainty != PositionUnknown)
        line += ", network " + network.identity.networkName + " at " + positionText(network.identity.position);
    say(line);
}

int runMotorCommand(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop)
{
    std::string catalogue;
    if (!motorCatalogueText(options, &catalogue)) return ExitFailure;
    const MotorOrder order = motorOrderFor(options.motor, options.hasSite, options.site, catalogueLines(catalogue));
    if (!order.refusal.empty()) {
        complain(options.motor.actionName + " refused: " + order.refusal + "; nothing sent");
        return ExitUsage;
    }
    const WorkerOutcome opened = worker.open(openWaitMs);
    if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        return opened.done ? problemExitCode(opened.problem) : ExitFailure;
    }
    std::string reason;
    if (!sendMotorCommand(worker, order.command, stop, &reason)) {
        if (*stop) return ExitOk;
        complain(motorCommandText(order.command) + " did not go out: " + reason);
        return ExitFailure;
    }
    say("sent " + motorCommandText(order.command) + ": " + order.words);
    // The supply let go would stop the motor: 18 V stays until it is there.
    if (order.travelMs > 0 && !waitMotorMs(order.travelMs, motorClockOf(options), stop)) return ExitOk;
    if (!order.there.empty()) say("at " + order.there);
    if (order.tuneAfter) tuneThere(worker, order, stop);
    return ExitOk;
}
