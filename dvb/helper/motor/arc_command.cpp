#include "dvb/helper/motor/arc_command.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "app/wall_clock.h"
#include "cardbase/motor/arc_reference.h"
#include "cardbase/motor/arc_words.h"
#include "cardbase/record/measurement.h"
#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"
#include "dvb/common/regular_file.h"
#include "dvb/helper/built_in_catalogue.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/helper_output.h"
#include "dvb/helper/motor/arc_csv.h"
#include "dvb/helper/motor/motor_command.h"
#include "dvb/helper/motor/motor_order.h"
#include "dvb/helper/motor/simulated_reference.h"

// How long the person at the dish is given to answer, and how long a
// reading or a tune may take before the check goes on without it.
static constexpr uint32_t answerWaitMs = 600000;
static constexpr uint32_t readWaitMs = 3000;
// A line a satellite: far more than any catalogue has.
static constexpr size_t referenceFileLimit = 65536;

// One satellite as one measurement of the record: its readings since the
// motor last moved (at the end, its peak's), written once the check has
// said its line.
struct ArcRecording {
    RecordStore store;
    bool recording = false;
    RecordSite site;
    std::string card;
    Measurement measurement;
    CardTuning tuning;
    size_t planned = 0;  // the satellites the check visits: its first lines are theirs
    size_t said = 0;
    uint32_t count = 0;
};

static uint32_t clockMs() { return static_cast<uint32_t>(monotonicMs()); }

static void beginMeasurement(ArcRecording& recording)
{
    const int64_t now = wallClockMs();
    startMeasurement(recording.measurement,
                     measurementId(now, recording.store.tag, recording.count == 0 ? 1 : recording.count),
                     recording.card, recording.tuning, now, zoneMinutesAt(now), clockMs());
}

static void recordReading(ArcRecording& recording, const LatestReading& latest)
{
    if (!recording.recording || !recording.measurement.running || !latest.answered) return;
    MeasurementContext context;
    context.carrierToNoiseInDecibels = carrierToNoiseInDecibels(latest.figures);
    context.margin = helperMargin(latest, missingWord(GapNotChosen));
    context.network = latest.network;
    measureReading(recording.measurement, latest.reading, context, clockMs());
}

static void recordPoint(ArcRecording& recording, const std::string& pointLine)
{
    Measurement& measurement = recording.measurement;
    if (!recording.recording || !measurement.running) return;
    measurement.running = false;
    RecordEntry entry = measurementEntry(measurement, recording.site);
    entry.remark = arcRemark(pointLine);
    if (!appendRecord(recording.store, entry, measurementSeries(measurement)))
        complain("an entry did not reach the record: " + recording.store.problem);
}

// A key at the terminal (y or n, no Enter needed), or a line from a pipe;
// no answer, the end of the input or a signal count as no.
static bool askAtTheDish(const std::string& question, volatile sig_atomic_t* stop)
{
    std::fputs((question + " (y/n) ").c_str(), stdout);
    std::fflush(stdout);
    termios before{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        termios raw = before;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    bool yes = false, answered = false;
    for (const uint64_t end = monotonicMs() + answerWaitMs; !answered && !*stop && monotonicMs() < end;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 200) <= 0) continue;
        char key = 0;
        if (read(STDIN_FILENO, &key, 1) != 1) break;
        answered = key == 'y' || key == 'Y' || key == 'n' || key == 'N';
        yes = key == 'y' || key == 'Y';
    }
    if (terminal) tcsetattr(STDIN_FILENO, TCSANOW, &before);
    say(answered ? (yes ? "y" : "n") : "(no answer)");
    return yes;
}

// The tune of a satellite's catalogue transponder, bounded.
static bool tuneSatellite(FrontendWorker& worker, const CardTuning& tuning, volatile sig_atomic_t* stop)
{
    const uint32_t boundMs = worker.tuneBoundMs(tuning);
    return worker.waitBounded(worker.startTune(tuning), boundMs, stop).ok;
}

static ArcReading arcReadingOf(const LatestReading& latest)
{
    ArcReading reading;
    if (!latest.answered) return reading;
    reading.locked = latest.reading.locked;
    reading.carrierToNoiseDb =
        carrierToNoiseInDecibels(latest.figures) ? latest.figures.statistics.carrierToNoiseDb : latest.reading.snr;
    const SignalLevel& level = latest.reading.level;
    reading.hasLevel = level.state != LevelUnknown;
    reading.levelDbm = level.value;
    const NetworkReport& network = latest.network;
    reading.networkKnown =
        reading.locked && network.state == NetworkKnown && network.identity.certainty != PositionUnknown;
    reading.networkLongitudeDeg = network.identity.position / 10.0;
    return reading;
}

// Each satellite's clear-sky C/N: what --reference gives (the installer's
// own figures, which stand alone, also on a simulated sky), else where the
// helper knows the sky; false when that file cannot be used.
static bool addReferences(const HelperOptions& options, std::vector<ArcSatellite>& satellites)
{
    const std::string& path = options.motor.referencePath;
    SimulatedSky sky;
    if (path.empty() && simulatedSkyOf(options.simulatePath, &sky)) {
        const MotorSky dish =
            simulatedMotorSky(sky, std::string(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize));
        for (ArcSatellite& satellite : satellites)
            satellite.clearSkyCnDb = skyClearCarrierToNoiseDb(dish, satellite.longitudeDeg, satellite.frequencyMHz,
                                                              satellite.polarization, satellite.symbolRate);
    }
    if (path.empty()) return true;
    std::string text, error;
    std::vector<ArcReference> references;
    if (!readRegularFile(path, referenceFileLimit, &text, &error) || !parseArcReferences(text, &references, &error)) {
        complain("cannot use the reference " + path + ": " + error);
        return false;
    }
    say("reference: " + std::to_string(applyArcReferences(references, satellites)) +
        " satellites' clear-sky C/N from " + path);
    return true;
}

static ArcOptions arcOptionsOf(const HelperOptions& options)
{
    ArcOptions arc;
    arc.site = options.site;
    arc.limitDeg = options.motor.limitDeg;
    arc.speedDegPerS = options.motor.speedDegPerS;
    arc.hasRange = options.motor.hasFrom && options.motor.hasTo;
    arc.fromDeg = options.motor.fromDeg;
    arc.toDeg = options.motor.toDeg;
    return arc;
}

static ArcCallbacks callbacksFor(const HelperOptions& options, FrontendWorker& worker, ArcRecording& recording,
                                 volatile sig_atomic_t* stop)
{
    ArcCallbacks callbacks;
    // After a command the check waits out the motor's travel: 18 V is held
    // that long, and then the transponder's supply and tone come back.
    std::shared_ptr<bool> moving = std::make_shared<bool>(false);
    callbacks.send = [&worker, &recording, moving, stop](const MotorCommand& command) {
        std::string reason;
        if (*stop) return;
        if (!sendMotorCommand(worker, command, stop, &reason) && !*stop)
            complain(motorCommandText(command) + " did not go out: " + reason);
        *moving = true;
        // What counts is read where the motor stopped last.
        if (recording.recording && recording.measurement.running) beginMeasurement(recording);
    };
    const uint32_t clock = motorClockOf(options);
    callbacks.wait = [clock, &worker, moving, stop](uint32_t ms) {
        waitMotorMs(ms, clock, stop);
        if (!*moving || *stop) return;
        *moving = false;
        const WorkerOutcome resumed = worker.resumeAfterMotor(readWaitMs);
        if (!resumed.ok && !*stop) complain("the tune after the motor: " + resumed.reason);
    };
    callbacks.tune = [&worker, &recording, stop](const ArcSatellite& satellite) {
        CardTuning tuning;
        std::string entry;
        if (*stop ||
            !tuningOfTransponder(satellite.frequencyMHz, satellite.polarization, satellite.symbolRate, &tuning, &entry))
            return;
        if (!tuneSatellite(worker, tuning, stop) && !*stop) complain("cannot tune " + entry);
        // The satellites' own visits are entries; a return for the question is not.
        if (!recording.recording || recording.said >= recording.planned) return;
        recording.tuning = tuning;
        ++recording.count;
        beginMeasurement(recording);
    };
    callbacks.read = [&worker, &recording, stop] {
        if (*stop) return ArcReading();
        const LatestReading latest = worker.readNow(readWaitMs);
        recordReading(recording, latest);
        return arcReadingOf(latest);
    };
    callbacks.ask = [stop](const std::string& question) { return askAtTheDish(question, stop); };
    // The check's first lines are its satellites', each said once measured.
    callbacks.say = [&recording](const std::string& line) {
        say(line);
        if (recording.said++ < recording.planned) recordPoint(recording, line);
    };
    return callbacks;
}

int runArcCommand(const HelperOptions& options, FrontendWorker& worker, volatile sig_atomic_t* stop)
{
    std::string catalogue;
    if (!motorCatalogueText(options, &catalogue)) return ExitFailure;
    std::vector<ArcSatellite> satellites = arcSatellitesFrom(catalogueLines(catalogue));
    if (!addReferences(options, satellites)) return ExitFailure;
    const ArcOptions arc = arcOptionsOf(options);
    const std::vector<ArcPoint> plan = arcPlan(satellites, arc);
    const WorkerOutcome opened = worker.open(openWaitMs);
    if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        return opened.done ? problemExitCode(opened.problem) : ExitFailure;
    }
    if (worker.abilities().remote) {
        complain("--arc: dvbv5-daemon cannot carry a positioner's command");
        return ExitUsage;
    }
    say("arc check from " + std::to_string(plan.size()) + " satellites of the catalogue, east to west");
    ArcRecording recording;
    recording.planned = plan.size();
    recording.site = RecordSite{true, options.site};
    recording.card = "azimora-dvb " + frontendName(options) + " (" + worker.abilities().name + ")";
    recording.recording = openRecordStore(recording.store, recordFolder(), "dvb" + std::to_string(getpid()));
    if (!recording.recording)
        complain("the record cannot be kept (" + recording.store.problem + "); the check goes on without it");
    const ArcResult result = runArcCheck(satellites, arc, callbacksFor(options, worker, recording, stop));
    const std::string recordPath = recordFilePath(recording.store.folder);
    if (recording.recording) closeRecordStore(recording.store);
    if (*stop) return ExitOk;
    for (const std::string& line : arcPicture(result, options.site)) say(line);
    if (!result.problem.empty()) say(result.problem);
    else
        for (const std::string& line : arcVerdictLines(result)) say(line);
    char took[48];
    std::snprintf(took, sizeof took, "%.0f s", result.elapsedMs / 1000.0);
    say(std::string("the check took ") + took);
    if (recording.recording) say("record: " + recordPath);
    if (!options.csvPath.empty()) {
        FILE* file = std::fopen(options.csvPath.c_str(), "wb");
        const std::string text = arcCsv(result);
        const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (file && std::fclose(file) != 0) complain("cannot write " + options.csvPath);
        if (!written) {
            complain("cannot write the CSV file " + options.csvPath);
            return ExitFailure;
        }
    }
    return ExitOk;
}
