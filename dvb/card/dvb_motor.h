// dvbcard.dll's motorised dish (dvbcard.ini's motor= lines, read by the one
// reader of cardbase/motor/motor_settings.h): the card decides by the
// cards' own rules (cardbase/motor/card_motor.h) and azimora-dvb carries
// the command out ("Motor", dvb/protocol/motor_words.h). Where a start's
// transponder is a catalogue satellite's, the start's completing call sends
// the GotoX instead of the tune and returns at once; the card reports no
// lock until the motor's estimated arrival, when the start's six values go
// to the helper again (the Motor request made it forget them). The phone
// page's "Go to" and steps are card requests, sent the same way. Where the
// helper cannot carry the command (an older one, or one behind
// dvbv5-daemon), the card's line says why and the start goes out where the
// dish stands. Platform-neutral: the card supplies the link.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cardbase/motor/card_motor.h"
#include "dvb/protocol/line_protocol.h"

struct DvbMotorLink {
    // One request and its reply, the link made first where it is not: false when it failed.
    std::function<bool(const Request&, Reply*)> exchange;
    // The card's line (after its name): "motor: turning the dish to ...".
    std::function<void(const std::string&)> cardLine;
};

struct DvbMotor {
    CardMotor motor;
    bool startWaits = false;  // a start's six values wait for the motor's arrival
    CardTuning waiting;       // those values
};

// dvbcard.ini's motor=, motor-limit=, motor-speed=, site=, motor-positions=.
MotorSettings dvbMotorSettings(const std::string& fileBytes);

// A start's completing call with all six values `next`: true where the
// motor turns first (the command went out; the start now waits).
bool dvbMotorTurnsFirst(DvbMotor& motor, const std::vector<CatalogueLine>& catalogue, const CardTuning& next,
                        uint32_t nowMs, const DvbMotorLink& link);
// At each reading: whether the card still holds the lock back; the first
// time the motor is there with a start waiting, the card's line says where
// and `start` gets its values.
bool dvbMotorHolds(DvbMotor& motor, uint32_t nowMs, const DvbMotorLink& link, bool* startNow, CardTuning* start);
// A phone page's request: the move's words, or why not.
std::string dvbMotorRequest(DvbMotor& motor, const MotorRequest& request, uint32_t nowMs, const DvbMotorLink& link);

// A start's six set calls, in the order the program sends them.
struct StartCall {
    RequestKind kind;
    CardSetCall call;
    int32_t value;
};
std::vector<StartCall> startCalls(const CardTuning& tuning);
