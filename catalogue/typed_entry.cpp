#include "catalogue/typed_entry.h"

#include <cstring>

#include "catalogue/decimal_value.h"
#include "catalogue/parameter_ranges.h"

static bool isPolarizationLetter(char c) { return c == 'H' || c == 'V'; }

static bool opensDiseqcField(char c) { return c == ' ' || c == 'A' || c == 'B'; }

// Gives the DiSEqC code of a field, or -1 for a pair that means nothing.
static int32_t diseqcCodeOf(char first, char second)
{
    if (first == ' ') {
        return DiseqcNone;
    }
    const bool a = first == 'A';
    if (second == ' ') {
        return a ? DiseqcA : DiseqcB;
    }
    if (second == 'A') {
        return a ? DiseqcAA : DiseqcBA;
    }
    if (second == 'B') {
        return a ? DiseqcAB : DiseqcBB;
    }
    return -1;
}

StartResult parseTypedEntry(const char entryText[typedEntryLength], TuningParameters& tuning, char bannerText[32])
{
    int letterPos;
    if (isPolarizationLetter(entryText[4])) {
        letterPos = 4;
    } else if (isPolarizationLetter(entryText[5])) {
        letterPos = 5;
    } else {
        return StartBadEntry;
    }
    const bool cBand = letterPos == 4;

    tuning.frequencyMHz = decimalValue(entryText, static_cast<size_t>(letterPos));
    const bool frequencyOk = (cBand ? typedCBandRange : kuBandRange).holds(tuning.frequencyMHz);
    if (!frequencyOk) {
        return StartBadEntry;
    }

    // The rate is 4 digits when the field can start right after them, else 5.
    const int rateStart = letterPos + 1;
    int fieldPos;
    if (opensDiseqcField(entryText[rateStart + 4])) {
        fieldPos = rateStart + 4;
    } else if (opensDiseqcField(entryText[rateStart + 5])) {
        fieldPos = rateStart + 5;
    } else {
        return StartBadEntry;
    }
    const int32_t code = diseqcCodeOf(entryText[fieldPos], entryText[fieldPos + 1]);
    if (code < 0) {
        return StartBadEntry;
    }
    tuning.diseqcCode = code;

    tuning.symbolRate = decimalValue(entryText + rateStart, static_cast<size_t>(fieldPos - rateStart));
    if (!symbolRateRange.holds(tuning.symbolRate)) {
        return StartBadEntry;
    }

    tuning.polarization = (entryText[4] == 'V' || entryText[5] == 'V') ? Vertical : Horizontal;
    std::memcpy(bannerText, entryText, typedEntryLength);
    std::memset(bannerText + typedEntryLength, ' ', 31 - typedEntryLength);
    bannerText[31] = '\0';
    return StartOk;
}
