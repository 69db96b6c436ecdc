#include "dvb/helper/survey/survey_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "app/wall_clock.h"
#include "cardbase/pointing/pointing_input.h"
#include "cardbase/record/record_csv.h"
#include "cardbase/record/record_files.h"
#include "cardbase/record/record_store.h"
#include "dvb/common/regular_file.h"
#include "dvb/helper/built_in_catalogue.h"
#include "dvb/helper/exit_codes.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/helper_output.h"
#include "dvb/helper/point_report.h"
#include "dvb/helper/survey/catalogue_update.h"
#include "dvb/helper/survey/survey_judge.h"
#include "dvb/helper/survey/survey_report.h"
#include "dvb/helper/survey/survey_run.h"

// The whole of `bytes` to a new file, on disk before it is named `path`.
static bool writeWhole(const std::string& path, const std::string& bytes, std::string* error)
{
    const std::string temporary = path + ".new";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (size_t at = 0; written && at < bytes.size();) {
        const ssize_t count = write(fd, bytes.data() + at, bytes.size() - at);
        written = count > 0;
        if (written) at += static_cast<size_t>(count);
    }
    written = written && fsync(fd) == 0;
    if (!written) *error = std::strerror(errno);
    if (fd >= 0) close(fd);
    if (written && rename(temporary.c_str(), path.c_str()) != 0) {
        *error = std::strerror(errno);
        written = false;
    }
    if (!written) unlink(temporary.c_str());
    return written;
}

// Where the inputs come from; ExitOk, or the exit code with the complaint said.
static int readInputs(const HelperOptions& options, SurveyInputs* inputs, std::string* catalogueText)
{
    const std::string& path = options.updateCataloguePath.empty() ? options.cataloguePath : options.updateCataloguePath;
    std::string error;
    if (path.empty()) {
        catalogueText->assign(reinterpret_cast<const char*>(builtInCatalogue), builtInCatalogueSize);
    } else if (!readRegularFile(path, pointCatalogueLimit, catalogueText, &error)) {
        complain("cannot read the catalogue " + path + ": " + error);
        return ExitFailure;
    }
    inputs->catalogue = catalogueLines(*catalogueText);
    SurveyTransponder typed;
    if (options.surveyEntry) surveyTransponderOf(options.surveyTyped, FoundAsStart, &typed);
    // The start's letters serve where --switch gives none.
    inputs->diseqcCode = options.switchCode >= 0 ? options.switchCode : typed.tuning.diseqcCode;
    if (options.surveyEntry) {
        inputs->start = typed;
    } else {
        if (!catalogueLineFor(options.surveySatellite, inputs->catalogue, &inputs->satellite, &error)) {
            complain(error);
            std::fprintf(stderr, "Try azimora-dvb --help.\n");
            return ExitUsage;
        }
        if (!catalogueTransponder(inputs->satellite, inputs->diseqcCode, &inputs->start)) {
            complain("the catalogue's line [" + inputs->satellite.name +
                     "] gives no transponder Azimora's keypad takes: survey from a typed one (11362H27500)");
            return ExitUsage;
        }
        inputs->named = true;
    }
    if (options.transpondersPath.empty()) return ExitOk;
    std::string text;
    if (!readRegularFile(options.transpondersPath, transponderFileLimit, &text, &error) ||
        !parseTransponderFile(text, inputs->diseqcCode, &inputs->file, &error)) {
        complain("cannot use the transponders file " + options.transpondersPath + ": " + error);
        return ExitFailure;
    }
    return ExitOk;
}

static std::string satelliteName(const SurveyOutcome& outcome) { return squeezedName(outcome.satellite.name); }

// The stale line rewritten in the file, the old one kept beside it first.
static int updateCatalogue(const HelperOptions& options, const std::string& catalogueText, const SurveyOutcome& outcome)
{
    const std::string& path = options.updateCataloguePath;
    if (!outcome.stale || outcome.replacement < 0) {
        say("catalogue: " + path + " left as it is (" +
            (outcome.stale ? "no replacement" : "its transponder for the satellite is not stale") + ")");
        return ExitOk;
    }
    const CardTuning& tuning = outcome.results[static_cast<size_t>(outcome.replacement)].transponder.tuning;
    std::string rewritten, problem;
    if (!rewriteCatalogueLine(catalogueText, outcome.satellite.name, tuning.frequencyMHz, tuning.polarization,
                              tuning.symbolRate, &rewritten, &problem)) {
        complain("the catalogue " + path + " is not rewritten: " + problem);
        return ExitFailure;
    }
    std::string error;
    if (!writeWhole(path + ".bak", catalogueText, &error)) {
        complain("cannot keep the old catalogue as " + path + ".bak: " + error + "; " + path + " is left as it is");
        return ExitFailure;
    }
    if (!writeWhole(path, rewritten, &error)) {
        complain("cannot rewrite the catalogue " + path + ": " + error);
        return ExitFailure;
    }
    say("catalogue: " + path + " rewritten, [" + outcome.satellite.name + "] now " +
        std::to_string(tuning.frequencyMHz) + (tuning.polarization == 0 ? "h" : "v") +
        std::to_string(tuning.symbolRate) + " (the old file kept as " + path + ".bak)");
    return ExitOk;
}

// What the survey found, after its table.
static void tellFindings(const SurveyOutcome& outcome)
{
    say("");
    std::fputs(surveyTable(outcome).c_str(), stdout);
    say("");
    size_t locked = 0;
    for (const SurveyResult& result : outcome.results) locked += result.entry.locked;
    say(std::to_string(locked) + " of " + std::to_string(outcome.results.size()) + " transponders locked");
    for (const std::string& line : lnbErrorLines(outcome)) say(line);
    for (const std::string& sentence : outcome.sentences) say(sentence);
    // A catalogue transponder may have gone: the networks' lists can tell only where something locks.
    if (outcome.results.size() == 1 && !outcome.results.front().entry.locked &&
        outcome.results.front().transponder.found == FoundInCatalogue)
        say("the catalogue's transponder may be gone: survey from another transponder of the satellite (a typed "
            "one, or --transponders FILE) to check it against the networks' own lists");
    if (outcome.stale) {
        const SurveyResult* replacement =
            outcome.replacement >= 0 ? &outcome.results[static_cast<size_t>(outcome.replacement)] : nullptr;
        say(replacementSentence(satelliteName(outcome), outcome.results[static_cast<size_t>(outcome.catalogueResult)],
                                replacement));
    }
}

static std::string dwellText(uint32_t ms)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

// The --csv file begun with the record's header; -1 (the complaint said)
// when it cannot be written.
static int beginCsv(const std::string& path)
{
    const int csv = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string header = utf8ByteOrderMark + recordHeaderLine();
    if (csv >= 0 && write(csv, header.data(), header.size()) == static_cast<ssize_t>(header.size())) return csv;
    complain("cannot write the CSV file " + path + ": " + std::strerror(errno));
    if (csv >= 0) close(csv);
    return -1;
}

// Every entry to the record in the user's folder, and to the --csv file.
struct SurveyWriting {
    RecordStore store;
    bool recording = false;
    int csv = -1;
    bool csvFailed = false;
};

static void recordInto(SurveyWriting& writing, SurveySettings& settings, const std::string& card)
{
    const std::string tag = "dvb" + std::to_string(getpid());
    writing.recording = openRecordStore(writing.store, recordFolder(), tag);
    if (!writing.recording)
        complain("the record cannot be kept (" + writing.store.problem + "); the survey goes on without it");
    settings.card = card;
    settings.recordTag = tag;
    settings.unixNowMs = wallClockMs;
    settings.zoneMinutesAt = zoneMinutesAt;
    settings.running = [&writing](const RecordEntry& entry, const std::vector<RecordSeriesPoint>& series) {
        if (writing.recording) keepRunning(writing.store, entry, series);
    };
    settings.taken = [&writing](const SurveyResult& result) {
        if (writing.recording && !appendRecord(writing.store, result.entry, result.series))
            complain("an entry did not reach the record: " + writing.store.problem);
        const std::string line = recordLine(result.entry);
        if (writing.csv >= 0 && write(writing.csv, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            writing.csvFailed = true;
    };
}

int surveyCommand(const HelperOptions& options, FrontendWorker& worker, const std::function<std::string()>& cardName,
                  const volatile sig_atomic_t* stop)
{
    SurveyInputs inputs;
    std::string catalogueText;
    const int read = readInputs(options, &inputs, &catalogueText);
    if (read != ExitOk) return read;
    SurveyWriting writing;
    if (!options.csvPath.empty() && (writing.csv = beginCsv(options.csvPath)) < 0) return ExitFailure;
    const WorkerOutcome opened = worker.open(openWaitMs);
    if (!opened.ok) {
        complain(opened.done ? problemMessage(opened.problem, options, opened.reason) : opened.reason);
        if (writing.csv >= 0) close(writing.csv);
        return opened.done ? problemExitCode(opened.problem) : ExitFailure;
    }
    say("survey of " +
        (inputs.named ? squeezedName(inputs.satellite.name) + ", from its catalogue transponder " + inputs.start.entry
                      : "the satellite of " + inputs.start.entry) +
        ", " + dwellText(options.dwellMs) + " on each after its lock");
    if (options.hasSingleCable) say("single cable: " + singleCableWords(options.singleCable));
    SurveySettings settings;
    settings.dwellMs = options.dwellMs;
    settings.singleCable.used = options.hasSingleCable;
    settings.singleCable.setting = options.singleCable;
    settings.stop = stop;
    settings.say = say;
    recordInto(writing, settings, cardName());
    const SurveyOutcome outcome = runSurvey(worker, inputs, settings);
    if (writing.csv >= 0) close(writing.csv);
    const std::string recordPath = recordFilePath(writing.store.folder);
    if (writing.recording) closeRecordStore(writing.store);
    if (outcome.stopped) return ExitOk;
    tellFindings(outcome);
    if (writing.recording) say("record: " + recordPath);
    if (writing.csvFailed) complain("the CSV file " + options.csvPath + " is incomplete: a write failed");
    int code = ExitOk;
    if (!options.updateCataloguePath.empty()) code = updateCatalogue(options, catalogueText, outcome);
    bool anyLock = false;
    for (const SurveyResult& result : outcome.results) anyLock = anyLock || result.entry.locked;
    return code != ExitOk ? code : writing.csvFailed ? ExitFailure : anyLock ? ExitOk : ExitNoLock;
}
