#include "sim/card/sim_cable.h"

#include "cardbase/settings_line.h"

SimCable simCableFrom(const std::string& settingsText)
{
    SimCable cable;
    std::string value;
    // An emptied line turns single cable off, as no line does.
    if (!findSettingLine(settingsText, "scr", &value) || value.empty()) return cable;
    cable.wanted = true;
    std::string reason;
    cable.settingRead = parseSingleCable(value, &cable.setting, &reason);
    if (!cable.settingRead) cable.badValue = "scr= refused: " + reason;
    return cable;
}

void startDishCable(const SimCable& card, DishCable& cable)
{
    cable.throughDevice = card.wanted;
    cable.settingRead = card.settingRead;
    cable.setting = card.setting;
    cable.refusal = card.badValue;
}

std::vector<SingleCableStep> simCableTune(SimCable& cable, const CardTuning& tuning, uint32_t nowMs,
                                          std::string* refusal)
{
    cable.awaitingLock = false;
    cable.retried = false;
    userBandRetuned(cable.watch);
    if (!cable.settingRead) {
        *refusal = cable.badValue;
        return {};
    }
    cable.plan = singleCablePlanFor(tuning, cable.setting);
    *refusal = cable.plan.refusal;
    if (!refusal->empty()) return {};
    cable.sent = cable.awaitingLock = true;
    cable.sentAtMs = nowMs;
    return singleCableTuneSteps();
}

std::vector<SingleCableStep> simCableAfterPoll(SimCable& cable, bool locked, uint32_t nowMs, uint32_t random)
{
    if (locked) cable.awaitingLock = false;
    if (!cable.awaitingLock || cable.retried || nowMs - cable.sentAtMs < simCableLockWaitMs) return {};
    cable.retried = true;
    return singleCableRetrySteps(random);
}

std::vector<SingleCableStep> simCableRelease(SimCable& cable)
{
    if (!cable.sent) return {};
    cable.sent = cable.awaitingLock = false;
    cable.plan.powerOff = singleCablePowerOff(cable.setting);
    return singleCableReleaseSteps();
}

std::string simCardLine(const std::string& cardName, const std::string& refusal)
{
    return refusal.empty() ? cardName : cardName + "; " + refusal;
}
