#include "dvb/helper/survey_run.h"

#include <chrono>
#include <thread>

#include "cardbase/margin/margin_watch.h"
#include "cardbase/reading_pace.h"
#include "dvb/helper/helper_margin.h"
#include "dvb/helper/survey_judge.h"
#include "dvb/helper/survey_report.h"
#include "dvb/helper/tuned_report.h"

// How often the latest reading is looked at.
static constexpr uint32_t lookMs = 20;

static bool stopped(const SurveySettings& settings) { return settings.stop && *settings.stop; }

static void waitALittle() { std::this_thread::sleep_for(std::chrono::milliseconds(lookMs)); }

// The tune's outcome once done, its bound passed (then withdrawn) or the survey stopped.
static WorkerOutcome tuned(FrontendWorker& worker, const CardTuning& tuning, bool gatherLists,
                           const SurveySettings& settings)
{
    const uint64_t deadline = monotonicMs() + worker.tuneBoundMs(tuning);
    const FrontendWorker::Pending pending = worker.startTune(tuning, gatherLists);
    WorkerOutcome outcome = worker.outcomeOf(pending);
    while (!outcome.done && !stopped(settings) && monotonicMs() < deadline) {
        waitALittle();
        outcome = worker.outcomeOf(pending);
    }
    if (outcome.done) return outcome;
    worker.withdraw(pending);
    return WorkerOutcome{false, false, ProblemOther, "frontend does not answer in time"};
}

static bool lockedNow(const LatestReading& latest) { return latest.answered && latest.reading.locked; }

// One transponder: tuned, waited for, measured for the dwell; with
// `gatherLists`, the lists and the network's word waited for too.
static SurveyResult measure(FrontendWorker& worker, const SurveyTransponder& transponder, bool gatherLists,
                            const SurveySettings& settings, HeardLists* lists)
{
    SurveyResult result;
    result.transponder = transponder;
    const uint64_t began = monotonicMs();
    const WorkerOutcome outcome = tuned(worker, transponder.tuning, gatherLists, settings);
    if (!outcome.ok) {
        result.refusal = outcome.reason;
        return result;
    }
    const TuningSequence sequence = buildTuningSequence(transponder.tuning, worker.abilities(), true, nullptr);
    const uint64_t lockDeadline = monotonicMs() + tunedLockWaitMs(sequence);
    LatestReading latest = worker.latest();
    while (!lockedNow(latest) && !stopped(settings) && monotonicMs() < lockDeadline) {
        waitALittle();
        latest = worker.latest();
    }
    result.lockMs = static_cast<uint32_t>(monotonicMs() - began);
    if (!lockedNow(latest)) return result;
    result.locked = true;
    result.system = attemptSystemText(latest.attempt);
    // Each reading of the dwell once.
    std::vector<double> carrierToNoise, quality;
    bool inDecibels = true;
    uint32_t seen = latest.readingNumber - 1;
    const uint64_t dwellEnd = monotonicMs() + settings.dwellMs;
    for (;;) {
        if (latest.readingNumber != seen && latest.answered) {
            seen = latest.readingNumber;
            ++result.readings;
            if (lockedNow(latest)) {
                ++result.lockedReadings;
                quality.push_back(latest.reading.quality);
                inDecibels = inDecibels && carrierToNoiseInDecibels(latest.figures);
                if (carrierToNoiseInDecibels(latest.figures))
                    carrierToNoise.push_back(latest.figures.statistics.carrierToNoiseDb);
            }
        }
        if (monotonicMs() >= dwellEnd || stopped(settings)) break;
        waitALittle();
        latest = worker.latest();
    }
    // The lists come with the network's word, within its own wait.
    const uint64_t listsDeadline = monotonicMs() + networkInformationWaitMs + 2 * readingIntervalMs;
    while (gatherLists && lockedNow(latest) && !(latest.lists.settled && networkSettled(latest.network)) &&
           !stopped(settings) && monotonicMs() < listsDeadline) {
        waitALittle();
        latest = worker.latest();
    }
    if (gatherLists && lockedNow(latest)) *lists = latest.lists;
    result.carrierToNoiseDb = spreadOf(carrierToNoise);
    result.qualityPercent = spreadOf(quality);
    result.network = latest.network;
    const ModcodWord network =
        latest.network.state == NetworkKnown ? networkWordOf(latest.network) : transponder.listed;
    result.margin = medianMargin(result, inDecibels, latest.tunerModcod, network);
    return result;
}

// Measures, says and keeps one result; false once the survey is stopped.
static bool take(FrontendWorker& worker, const SurveyTransponder& transponder, bool gatherLists,
                 const SurveySettings& settings, SurveyOutcome& outcome)
{
    HeardLists lists;
    outcome.results.push_back(measure(worker, transponder, gatherLists, settings, &lists));
    const SurveyResult& result = outcome.results.back();
    if (stopped(settings)) {
        outcome.stopped = true;
        return false;
    }
    if (settings.say) settings.say(surveyLine(result));
    if (settings.taken) settings.taken(result);
    if (gatherLists && result.locked) {
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

// Where the satellite is: its catalogue line's position, else the network's
// word where the start locked.
static void findPosition(const SurveyInputs& inputs, SurveyOutcome& outcome)
{
    if (inputs.named) {
        outcome.expected = {positionOf(inputs.satellite)};
    } else {
        const CardTuning& start = inputs.start.tuning;
        outcome.expected =
            expectedPositions(inputs.catalogue, start.frequencyMHz, start.polarization, start.symbolRate);
    }
    if (!outcome.expected.empty()) {
        outcome.hasPosition = true;
        outcome.position = outcome.expected.front();
        return;
    }
    for (const SurveyResult& result : outcome.results) {
        const NetworkIdentity& identity = result.network.identity;
        if (result.network.state == NetworkKnown && identity.certainty != PositionUnknown) {
            outcome.hasPosition = true;
            outcome.position = identity.position;
            return;
        }
    }
}

SurveyOutcome runSurvey(FrontendWorker& worker, const SurveyInputs& inputs, const SurveySettings& settings)
{
    SurveyOutcome outcome;
    if (!take(worker, inputs.start, true, settings, outcome)) return outcome;
    // Where the start does not lock, the file's transponders may give the lists.
    for (const SurveyTransponder& each : inputs.file) {
        if (outcome.listsRead || outcome.results.front().locked) break;
        if (measured(outcome, each.tuning)) continue;
        if (!take(worker, each, true, settings, outcome)) return outcome;
        if (outcome.results.back().locked) break;
    }
    findPosition(inputs, outcome);
    std::vector<SurveyTransponder> next;
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
    outcome.sentences = surveySentences(outcome.results, outcome.expected);
    if (outcome.catalogueResult >= 0 && outcome.listsRead) {
        outcome.stale = catalogueStale(outcome.results[static_cast<size_t>(outcome.catalogueResult)], outcome.lists);
        if (outcome.stale) outcome.replacement = replacementFor(outcome.results);
    }
    return outcome;
}
