#include "dvb/helper/survey/survey_run.h"

#include <chrono>
#include <thread>

#include "cardbase/margin/margin_watch.h"
#include "cardbase/reading_pace.h"
#include "cardbase/record/measurement.h"
#include "cardbase/record/record_store.h"
#include "dvb/helper/frontend/helper_margin.h"
#include "dvb/helper/frontend/tuned_report.h"
#include "dvb/helper/survey/survey_judge.h"
#include "dvb/helper/survey/survey_report.h"

// How often the latest reading is looked at.
static constexpr uint32_t lookMs = 20;

static bool stopped(const SurveySettings& settings) { return settings.stop && *settings.stop; }

static void waitALittle() { std::this_thread::sleep_for(std::chrono::milliseconds(lookMs)); }

// The tune's outcome once done, its bound passed (then withdrawn) or the survey stopped.
static WorkerOutcome tuned(FrontendWorker& worker, const CardTuning& tuning, bool gatherLists,
                           const SurveySettings& settings)
{
    const uint32_t boundMs = worker.tuneBoundMs(tuning);
    return worker.waitBounded(worker.startTune(tuning, gatherLists), boundMs, settings.stop);
}

static bool lockedNow(const LatestReading& latest) { return latest.answered && latest.reading.locked; }

static uint32_t clockMs() { return static_cast<uint32_t>(monotonicMs()); }

// What the record keeps beside a reading: the margin by the tuner's word,
// else this stream's own NIT entry, else its entry in the lists.
static MeasurementContext contextOf(const LatestReading& latest, const SurveyTransponder& transponder,
                                    const std::vector<PositionTenths>& expected)
{
    MeasurementContext context;
    context.carrierToNoiseInDecibels = carrierToNoiseInDecibels(latest.figures);
    MarginInputs inputs;
    inputs.locked = lockedNow(latest);
    inputs.carrierToNoiseInDecibels = context.carrierToNoiseInDecibels;
    inputs.carrierToNoiseDb = latest.figures.statistics.carrierToNoiseDb;
    inputs.carrierToNoiseAtLeast = latest.figures.carrierToNoiseAtLeast;
    inputs.carrierToNoiseAtMost = latest.figures.carrierToNoiseAtMost;
    inputs.tuner = latest.tunerModcod;
    const ModcodWord own = networkWordOf(latest.network);
    inputs.network = own.known || !transponder.listed.known ? own : transponder.listed;
    context.margin = linkMargin(inputs);
    context.network = latest.network;
    context.expected = expected;
    context.lnbError = latest.lnbError;
    return context;
}

// One transponder as one measurement of the record: tuned, waited for one
// round of the delivery systems, measured for the dwell after its lock;
// with `gatherLists`, the lists and the network's word waited for too.
// Every reading taken meanwhile counts, each once.
static SurveyResult measure(FrontendWorker& worker, const SurveyTransponder& transponder, bool gatherLists,
                            const SurveySettings& settings, const std::vector<PositionTenths>& expected, uint32_t count,
                            HeardLists* lists)
{
    SurveyResult result;
    result.transponder = transponder;
    Measurement measurement;
    const int64_t unixMs = settings.unixNowMs ? settings.unixNowMs() : 0;
    startMeasurement(measurement, measurementId(unixMs, settings.recordTag, count), settings.card, transponder.tuning,
                     unixMs, settings.zoneMinutesAt ? settings.zoneMinutesAt(unixMs) : 0, clockMs());
    if (settings.singleCable.used)
        measurement.entry.singleCable = singleCableSettingText(settings.singleCable.setting, false);
    const uint64_t began = monotonicMs();
    const WorkerOutcome outcome = tuned(worker, transponder.tuning, gatherLists, settings);
    if (!outcome.ok) {
        result.refusal = outcome.reason;
        result.entry = measurementEntry(measurement, settings.site);
        return result;
    }
    uint32_t seen = 0;  // readings are numbered from 1 after each tune
    uint64_t keptAtMs = 0;
    LatestReading latest;
    const auto look = [&] {
        latest = worker.latest();
        if (!latest.answered || latest.readingNumber == seen) return;
        seen = latest.readingNumber;
        measureReading(measurement, latest.reading, contextOf(latest, transponder, expected), clockMs());
        if (!latest.userBandNote.empty()) measurement.entry.userBandNote = latest.userBandNote;
        if (settings.running && (keptAtMs == 0 || monotonicMs() - keptAtMs >= runningFileIntervalMs)) {
            keptAtMs = monotonicMs();
            settings.running(measurementEntry(measurement, settings.site), measurementSeries(measurement));
        }
    };
    const TuningSequence sequence =
        buildTuningSequence(transponder.tuning, worker.abilities(), true, nullptr, settings.singleCable);
    const uint64_t lockDeadline = monotonicMs() + tunedLockWaitMs(sequence);
    for (look(); !lockedNow(latest) && !stopped(settings) && monotonicMs() < lockDeadline; look()) waitALittle();
    result.waitedMs = static_cast<uint32_t>(monotonicMs() - began);
    if (lockedNow(latest)) {
        result.system = attemptSystemText(latest.attempt);
        const uint64_t dwellEnd = monotonicMs() + settings.dwellMs;
        while (monotonicMs() < dwellEnd && !stopped(settings)) {
            waitALittle();
            look();
        }
        // The lists come with the network's word, within its own wait.
        const uint64_t listsDeadline = monotonicMs() + networkInformationWaitMs + 2 * readingIntervalMs;
        while (gatherLists && lockedNow(latest) && !(latest.lists.settled && networkSettled(latest.network)) &&
               !stopped(settings) && monotonicMs() < listsDeadline) {
            waitALittle();
            look();
        }
        if (gatherLists && lockedNow(latest)) *lists = latest.lists;
    }
    result.entry = measurementEntry(measurement, settings.site);
    result.series = measurementSeries(measurement);
    return result;
}

// Measures, says and keeps one result; false once the survey is stopped.
static bool take(FrontendWorker& worker, const SurveyTransponder& transponder, bool gatherLists,
                 const SurveySettings& settings, SurveyOutcome& outcome)
{
    HeardLists lists;
    const uint32_t count = static_cast<uint32_t>(outcome.results.size()) + 1;
    outcome.results.push_back(measure(worker, transponder, gatherLists, settings, outcome.expected, count, &lists));
    const SurveyResult& result = outcome.results.back();
    // A measurement a signal cut short is still an entry of the record.
    if (settings.taken) settings.taken(result);
    if (stopped(settings)) {
        outcome.stopped = true;
        return false;
    }
    if (settings.say) settings.say(surveyLine(result));
    if (gatherLists && result.entry.locked) {
        outcome.listsRead = true;
        outcome.lists = lists;
    }
    return true;
}

static bool measured(const SurveyOutcome& outcome, const CardTuning& tuning)
{
    for (const SurveyResult& result : outcome.results)
        if (sameTransponder(result.transponder.tuning, tuning)) return true;
    return false;
}

// Where the satellite is expected: its catalogue line's position, or for a
// typed start the positions of the catalogue lines that list it.
static std::vector<PositionTenths> expectedFor(const SurveyInputs& inputs)
{
    if (inputs.named) return {positionOf(inputs.satellite)};
    const CardTuning& start = inputs.start.tuning;
    return expectedPositions(inputs.catalogue, start.frequencyMHz, start.polarization, start.symbolRate);
}

// Where the satellite is: where it was expected, else the network's word
// where something locked.
static void findPosition(SurveyOutcome& outcome)
{
    if (!outcome.expected.empty()) {
        outcome.hasPosition = true;
        outcome.position = outcome.expected.front();
        return;
    }
    for (const SurveyResult& result : outcome.results) {
        const NetworkIdentity& identity = result.entry.network.identity;
        if (result.entry.network.state == NetworkKnown && identity.certainty != PositionUnknown) {
            outcome.hasPosition = true;
            outcome.position = identity.position;
            return;
        }
    }
}

SurveyOutcome runSurvey(FrontendWorker& worker, const SurveyInputs& inputs, const SurveySettings& settings)
{
    SurveyOutcome outcome;
    outcome.expected = expectedFor(inputs);
    if (!take(worker, inputs.start, true, settings, outcome)) return outcome;
    // Where the start does not lock, the file's transponders may give the lists.
    for (const SurveyTransponder& each : inputs.file) {
        if (outcome.listsRead || outcome.results.front().entry.locked) break;
        if (measured(outcome, each.tuning)) continue;
        if (!take(worker, each, true, settings, outcome)) return outcome;
        if (outcome.results.back().entry.locked) break;
    }
    findPosition(outcome);
    if (outcome.listsRead && outcome.hasPosition)
        outcome.listed = listedAt(outcome.lists, outcome.position, inputs.diseqcCode);
    const std::vector<SurveyTransponder>& toMeasure =
        outcome.listed.tunable.empty() ? inputs.file : outcome.listed.tunable;
    if (outcome.listsRead && settings.say) settings.say(listsLine(outcome));
    // What was measured before the lists came may be in them too.
    for (SurveyResult& result : outcome.results)
        for (const SurveyTransponder& each : outcome.listed.tunable)
            if (sameTransponder(result.transponder.tuning, each.tuning)) {
                result.transponder.listedHere = true;
                result.transponder.listed = each.listed;
            }
    // The catalogue's own transponder for the satellite, so that a stale one shows.
    outcome.hasSatellite = inputs.named;
    outcome.satellite = inputs.satellite;
    if (!inputs.named && outcome.hasPosition)
        outcome.hasSatellite = catalogueLineAt(outcome.position, inputs.catalogue, &outcome.satellite);
    SurveyTransponder catalogued;
    const bool catalogueTunable =
        outcome.hasSatellite && catalogueTransponder(outcome.satellite, inputs.diseqcCode, &catalogued);
    for (const SurveyTransponder& each : toMeasure) {
        if (measured(outcome, each.tuning)) continue;
        if (!take(worker, each, false, settings, outcome)) return outcome;
    }
    if (catalogueTunable && !measured(outcome, catalogued.tuning) &&
        !take(worker, catalogued, false, settings, outcome))
        return outcome;
    for (size_t i = 0; catalogueTunable && i < outcome.results.size(); ++i)
        if (sameTransponder(outcome.results[i].transponder.tuning, catalogued.tuning))
            outcome.catalogueResult = static_cast<int>(i);
    outcome.sentences = surveySentences(outcome.results, outcome.expected, settings.singleCable.used);
    if (outcome.catalogueResult >= 0 && outcome.listsRead) {
        outcome.stale = catalogueStale(outcome.results[static_cast<size_t>(outcome.catalogueResult)], outcome.lists);
        if (outcome.stale) outcome.replacement = replacementFor(outcome.results);
    }
    return outcome;
}
