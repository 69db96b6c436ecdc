// The simulated card on a single-cable installation: its setting (scr= in
// simcard.ini beside the card, read by the one reader every card uses) and
// which of the steps every card carries out (cardbase/single_cable.h) are
// due at a tune, after a poll and at its release. The card carries them out
// against the practice dish's cable (sim/dish/dish_cable.h).
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/single_cable.h"
#include "sim/dish/dish_cable.h"

// The driver's time for a lock: where none came this long after a tune's
// command, the command goes once more.
constexpr uint32_t simCableLockWaitMs = 1000;

struct SimCable {
    bool wanted = false;  // the settings file has a scr= line with a value
    bool settingRead = false;
    SingleCableSetting setting;
    std::string badValue;  // why the value does not read, as the card says it
    SingleCablePlan plan;  // of the latest tune
    bool sent = false;     // a command went out since the card started: its release frees the band
    bool awaitingLock = false;
    bool retried = false;
    uint32_t sentAtMs = 0;
    UserBandWatch watch;
};

// From the card's settings file, decoded (settingsFileText).
SimCable simCableFrom(const std::string& settingsText);

// What the practice dish's cable knows of the card's side at the start.
void startDishCable(const SimCable& card, DishCable& cable);

// The six set calls of a start have come: the tune's steps, or none with
// `refusal` saying why nothing is sent.
std::vector<SingleCableStep> simCableTune(SimCable& cable, const CardTuning& tuning, uint32_t nowMs,
                                          std::string* refusal);
// After each poll: the retry's steps, once a tune's command has waited
// simCableLockWaitMs without a lock (`random` picks its pause), else none.
std::vector<SingleCableStep> simCableAfterPoll(SimCable& cable, bool locked, uint32_t nowMs, uint32_t random);
// At the card's end: the release's steps with the power-off command where
// a command went out, else none.
std::vector<SingleCableStep> simCableRelease(SimCable& cable);

// What the card says of itself on the phone page: its name, and why the
// latest tune sent nothing where it did not.
std::string simCardLine(const std::string& cardName, const std::string& refusal);
