#include "dvb/helper/survey/survey_judge.h"

#include "cardbase/single_cable.h"
#include "catalogue/parameter_ranges.h"

static const char nothingLocks[] = "no lock at all: is the dish on the satellite, the LNB powered, the cable sound?";
static const char noHighBand[] = "no lock on any high-band transponder: is the 22 kHz tone reaching the LNB?";
static const char noHorizontal[] = "no lock on any horizontal transponder: does the LNB switch to 18 V?";

// Whether every measured member of one group failed while one of the other
// group locked.
template <typename InGroup>
static bool groupFails(const std::vector<SurveyResult>& results, InGroup inGroup)
{
    size_t failed = 0;
    bool otherLocks = false;
    for (const SurveyResult& result : results) {
        if (!inGroup(result)) otherLocks = otherLocks || result.entry.locked;
        else if (result.entry.locked) return false;
        else ++failed;
    }
    return failed >= clearPatternCount && otherLocks;
}

std::vector<std::string> surveySentences(const std::vector<SurveyResult>& results,
                                         const std::vector<PositionTenths>& expected, bool singleCable)
{
    std::vector<std::string> sentences;
    bool anyLock = false;
    for (const SurveyResult& result : results) anyLock = anyLock || result.entry.locked;
    if (!results.empty() && !anyLock) return {singleCable ? singleCableNoAnswerText : nothingLocks};
    for (const SurveyResult& result : results) {
        const NetworkIdentity& identity = result.entry.network.identity;
        if (!result.entry.locked || result.entry.network.state != NetworkKnown ||
            judgePosition(identity, expected) != VerdictWrong)
            continue;
        sentences.push_back("this is " + positionDegreesText(identity.position) + ", not " +
                            positionDegreesText(expected.front()));
        break;
    }
    // The device hears neither the tone nor the supply's polarization.
    if (singleCable) return sentences;
    if (groupFails(results, highBand)) sentences.push_back(noHighBand);
    if (groupFails(results, [](const SurveyResult& result) { return result.transponder.tuning.polarization == 0; }))
        sentences.push_back(noHorizontal);
    return sentences;
}

bool catalogueStale(const SurveyResult& catalogueResult, const HeardLists& lists)
{
    return !catalogueResult.entry.locked && !listedAnywhere(lists, catalogueResult.transponder.tuning);
}

static bool fitsCatalogue(const CardTuning& tuning)
{
    return (catalogueCBandRange.holds(tuning.frequencyMHz) || kuBandRange.holds(tuning.frequencyMHz)) &&
           symbolRateRange.holds(tuning.symbolRate) && (tuning.polarization == 0 || tuning.polarization == 1);
}

// The C/N its listed modulation and code rate need; a large figure where the list gives none.
static double neededDb(const SurveyResult& result)
{
    double needed = 0.0;
    const ModcodWord& listed = result.transponder.listed;
    return listed.known && requiredCarrierToNoiseDb(listed.modcod, &needed) ? needed : 1000.0;
}

int replacementFor(const std::vector<SurveyResult>& results)
{
    int best = -1;
    for (size_t i = 0; i < results.size(); ++i) {
        const SurveyResult& candidate = results[i];
        if (!candidate.entry.locked || !candidate.transponder.listedHere ||
            !fitsCatalogue(candidate.transponder.tuning))
            continue;
        if (best >= 0) {
            const SurveyResult& chosen = results[static_cast<size_t>(best)];
            const double need = neededDb(candidate), chosenNeed = neededDb(chosen);
            const double median =
                candidate.entry.carrierToNoiseDb.known ? candidate.entry.carrierToNoiseDb.median : -1000.0;
            const double chosenMedian =
                chosen.entry.carrierToNoiseDb.known ? chosen.entry.carrierToNoiseDb.median : -1000.0;
            if (need > chosenNeed || (need == chosenNeed && median <= chosenMedian)) continue;
        }
        best = static_cast<int>(i);
    }
    return best;
}

// The entry without the switch letters, which a catalogue line has not.
static std::string bareEntry(const SurveyTransponder& transponder)
{
    const CardTuning& tuning = transponder.tuning;
    return std::to_string(tuning.frequencyMHz) + (tuning.polarization == 0 ? "H" : "V") +
           std::to_string(tuning.symbolRate);
}

std::string replacementSentence(const std::string& satelliteName, const SurveyResult& stale,
                                const SurveyResult* replacement)
{
    std::string sentence = "the catalogue's " + bareEntry(stale.transponder) + " for " + satelliteName +
                           " does not lock and no network here lists it: ";
    if (!replacement) return sentence + "no listed transponder locked to replace it";
    const ModcodWord& listed = replacement->transponder.listed;
    return sentence + bareEntry(replacement->transponder) +
           (listed.known ? " (" + modcodName(listed.modcod) + ")" : "") + " replaces it";
}
