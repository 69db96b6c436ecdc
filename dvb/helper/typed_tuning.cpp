#include "dvb/helper/typed_tuning.h"

#include <cstring>

#include "catalogue/parameter_ranges.h"
#include "catalogue/typed_entry.h"
#include "tuner/tuning_plan.h"

// What the keypad can type: digits, H, V, A and B.
static bool typedCharacters(std::string* entry)
{
    for (char& c : *entry) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= '0' && c <= '9') || c == 'H' || c == 'V' || c == 'A' || c == 'B')) return false;
    }
    return true;
}

bool tuningFromEntry(const std::string& entry, CardTuning* tuning, std::string* typed, std::string* error,
                     const char* option)
{
    std::string keyed = entry;
    TuningParameters parameters;
    char text[typedEntryLength];
    char banner[32];
    bool accepted = !keyed.empty() && keyed.size() <= static_cast<size_t>(typedEntryLength) && typedCharacters(&keyed);
    if (accepted) {
        std::memset(text, ' ', sizeof text);
        std::memcpy(text, keyed.data(), keyed.size());
        accepted = parseTypedEntry(text, parameters, banner) == StartOk;
    }
    if (!accepted) {
        *error = std::string(option) + " wants a transponder as Azimora's keypad takes it: the frequency (" +
                 std::to_string(typedCBandRange.low) + "-" + std::to_string(typedCBandRange.high) + " or " +
                 std::to_string(kuBandRange.low) + "-" + std::to_string(kuBandRange.high) + " MHz), H or V, the " +
                 "symbol rate (" + std::to_string(symbolRateRange.low) + "-" + std::to_string(symbolRateRange.high) +
                 " kS/s) and any DiSEqC letters (A, B, AA, BA, AB, BB), as 11597V27500 or 12245H27500AB; not \"" +
                 entry.substr(0, 32) + "\"";
        return false;
    }
    TuningStep steps[tuningStepCount];
    planTuning(parameters, steps);
    CardTuning planned;
    for (const TuningStep& step : steps) recordSetCall(planned, static_cast<CardSetCall>(step.call), step.argument);
    *tuning = planned;
    *typed = keyed;
    return true;
}
