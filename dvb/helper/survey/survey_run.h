// A survey carried out through the frontend worker (the same tuning
// sequence, delivery-system search, log and network reader as a connection's
// start): the start transponder first, with the networks' lists gathered
// where it locks; where it does not, the --transponders file's in turn
// until one locks and gives the lists. Then every transponder the lists
// give at the satellite's position (or the file's, where they give none),
// and the catalogue's own transponder for the satellite, each tuned, waited
// for one round of the delivery systems, and measured for the dwell after
// its lock. Each result is said as it comes. Platform-neutral: the caller
// opens the worker and supplies the stop flag.
#pragma once
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cardbase/record/measurement.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/survey/survey_result.h"

constexpr uint32_t defaultDwellMs = 2000;

struct SurveyInputs {
    SurveyTransponder start;
    bool named = false;                    // the start is the catalogue's transponder of a named satellite
    CatalogueLine satellite;               // that satellite's line, with named
    std::vector<CatalogueLine> catalogue;  // where the expected positions and a typed start's satellite are found
    std::vector<SurveyTransponder> file;   // --transponders
    int32_t diseqcCode = 0;                // --switch
};

struct SurveySettings {
    uint32_t dwellMs = defaultDwellMs;
    SingleCableUse singleCable;  // the worker's tunes go through this device (FrontendWorker::useSingleCable)
    // For the record's entries: the card's name, this recorder's tag (the
    // measurements' ids), the site where one is known, the wall clock and
    // the PC's offset from UTC at a moment.
    std::string card;
    std::string recordTag;
    RecordSite site;
    std::function<int64_t()> unixNowMs;
    std::function<int32_t(int64_t)> zoneMinutesAt;
    const volatile sig_atomic_t* stop = nullptr;     // set when the helper is to end
    std::function<void(const std::string&)> say;     // a line of output, as it happens
    std::function<void(const SurveyResult&)> taken;  // each result once measured: to the record
    // The measurement under way, at its first reading and then every
    // runningFileIntervalMs: kept aside in case the helper ends before it does.
    std::function<void(const RecordEntry&, const std::vector<RecordSeriesPoint>&)> running;
};

struct SurveyOutcome {
    std::vector<SurveyResult> results;  // in the order measured
    bool listsRead = false;
    HeardLists lists;
    bool hasPosition = false;  // the satellite's position, where known
    PositionTenths position = 0;
    std::vector<PositionTenths> expected;  // where the satellite was expected (its catalogue line)
    ListedTransponders listed;             // what the lists gave there
    bool hasSatellite = false;             // the catalogue's line for the satellite
    CatalogueLine satellite;
    int catalogueResult = -1;  // its transponder's result
    std::vector<std::string> sentences;
    bool stale = false;    // the catalogue's transponder is stale
    int replacement = -1;  // the result that replaces it
    bool stopped = false;  // a signal ended the survey
};

SurveyOutcome runSurvey(FrontendWorker& worker, const SurveyInputs& inputs, const SurveySettings& settings);
