#include "dvb/helper/survey_result.h"

#include <algorithm>

FigureSpread spreadOf(std::vector<double> samples)
{
    FigureSpread spread;
    if (samples.empty()) return spread;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    spread.known = true;
    spread.minimum = samples.front();
    spread.peak = samples.back();
    spread.median = samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return spread;
}

double lockedShare(const SurveyResult& result)
{
    return result.readings ? static_cast<double>(result.lockedReadings) / result.readings : 0.0;
}

LinkMargin medianMargin(const SurveyResult& result, bool inDecibels, const ModcodWord& tuner, const ModcodWord& network)
{
    MarginInputs inputs;
    inputs.locked = result.locked;
    inputs.carrierToNoiseInDecibels = inDecibels && result.carrierToNoiseDb.known;
    inputs.carrierToNoiseDb = result.carrierToNoiseDb.median;
    inputs.tuner = tuner;
    inputs.network = network;
    return linkMargin(inputs);
}

bool highBand(const SurveyResult& result) { return result.transponder.tuning.lnbSelection == 1; }
