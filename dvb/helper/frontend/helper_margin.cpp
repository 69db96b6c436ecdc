#include "dvb/helper/frontend/helper_margin.h"

#include "cardbase/margin/margin_watch.h"

bool carrierToNoiseInDecibels(const FrontendFigures& figures)
{
    const bool measured = figures.form == FormDecibel || figures.form == FormDriverDecibel;
    return measured && figures.statistics.hasCarrierToNoise && !figures.carrierToNoiseBelow;
}

static bool lockedNow(const LatestReading& latest) { return latest.answered && latest.reading.locked; }

ModcodAnswer modcodAnswerOf(const LatestReading& latest)
{
    ModcodAnswer answer;
    if (!lockedNow(latest)) return answer;
    answer.locked = true;
    answer.carrierToNoiseInDecibels = carrierToNoiseInDecibels(latest.figures);
    answer.tuner = latest.tunerModcod;
    answer.network = networkWordOf(latest.network);
    return answer;
}

LinkMargin helperMargin(const LatestReading& latest, const ModcodWord& user)
{
    const ModcodAnswer answer = modcodAnswerOf(latest);
    MarginInputs inputs;
    inputs.locked = answer.locked;
    inputs.carrierToNoiseInDecibels = answer.carrierToNoiseInDecibels;
    inputs.carrierToNoiseDb = latest.figures.statistics.carrierToNoiseDb;
    inputs.carrierToNoiseAtLeast = latest.figures.carrierToNoiseAtLeast;
    inputs.carrierToNoiseAtMost = latest.figures.carrierToNoiseAtMost;
    inputs.tuner = answer.tuner;
    inputs.network = answer.network;
    inputs.user = user;
    return linkMargin(inputs);
}
