#include "dvb/card/dvb_motor.h"

#include "cardbase/settings_line.h"
#include "dvb/protocol/motor_words.h"

MotorSettings dvbMotorSettings(const std::string& fileBytes)
{
    bool inCodePage = false;
    return motorSettingsFrom(settingsFileText(fileBytes, &inCodePage));
}

// The move's command to the helper; "" once it went out, else why not.
static std::string sendMove(const CardMotorMove& move, const DvbMotorLink& link)
{
    Reply reply;
    if (!link.exchange(motorRequest(move.command, move.travelMs), &reply)) return "azimora-dvb cannot be reached";
    return motorAnswerRefusal(reply);
}

bool dvbMotorTurnsFirst(DvbMotor& motor, const std::vector<CatalogueLine>& catalogue, const CardTuning& next,
                        uint32_t nowMs, const DvbMotorLink& link)
{
    motor.startWaits = false;
    const CardMotorMove move = cardMotorForTune(motor.motor, catalogue, next, nowMs);
    if (move.steps.empty()) {
        if (!move.words.empty()) link.cardLine(move.words);
        return false;
    }
    const std::string refusal = sendMove(move, link);
    if (!refusal.empty()) {
        motor.motor.holding = false;
        link.cardLine(refusal);
        return false;
    }
    link.cardLine(move.words);
    motor.startWaits = true;
    motor.waiting = next;
    return true;
}

bool dvbMotorHolds(DvbMotor& motor, uint32_t nowMs, const DvbMotorLink& link, bool* startNow, CardTuning* start)
{
    bool arrived = false;
    const bool holds = cardMotorHolds(motor.motor, nowMs, &arrived);
    *startNow = arrived && motor.startWaits;
    if (*startNow) {
        motor.startWaits = false;
        *start = motor.waiting;
        link.cardLine("at " + motor.motor.at);
    }
    return holds;
}

std::string dvbMotorRequest(DvbMotor& motor, const MotorRequest& request, uint32_t nowMs, const DvbMotorLink& link)
{
    const CardMotorMove move = cardMotorForRequest(motor.motor, request, nowMs);
    if (move.steps.empty()) return move.words;
    const std::string refusal = sendMove(move, link);
    const std::string words = refusal.empty() ? move.words : refusal;
    link.cardLine(words);
    return words;
}

std::vector<StartCall> startCalls(const CardTuning& tuning)
{
    return {{RequestSetLnbSelection, SetLnbSelectionCall, tuning.lnbSelection},
            {RequestSetLnbFrequency, SetLnbFrequencyCall, tuning.lnbFrequencyMHz},
            {RequestSetPolarity, SetPolarityCall, tuning.polarization},
            {RequestSetSymbolRate, SetSymbolRateCall, tuning.symbolRate},
            {RequestSetTransponderFrequency, SetTransponderFrequencyCall, tuning.frequencyMHz},
            {RequestSetDiseqc, SetDiseqcCall, tuning.diseqcCode}};
}
