#include "dvb/helper/survey/survey_result.h"

double lockedShare(const SurveyResult& result)
{
    const RecordEntry& entry = result.entry;
    return entry.readings ? static_cast<double>(entry.lockedReadings) / entry.readings : 0.0;
}

bool highBand(const SurveyResult& result) { return result.transponder.tuning.lnbSelection == 1; }
