// The line protocol's words for a motorised dish:
//   request  Motor command=E0316EE155 travel=15500
//            a positioner's command (3 to 6 bytes, two capital hexadecimal
//            digits each) sent once with its steps (the tone off, 18 V, the
//            lead, the command), any time after Initialize; the helper
//            answers once it went out ("ok", or "fail REASON": a frontend
//            behind dvbv5-daemon carries none), sends nothing more and reads
//            nothing until the connection's next tune, and keeps the
//            frontend (18 V on) for `travel` ms (the motor's estimated
//            arrival, 0 to 600000) before its idle time counts. The
//            connection's tuning is forgotten: the next start sends its six
//            values again. An older helper answers "fail malformed request".
// Strict both ways. Platform-neutral: both sides build it.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/motor/motor_commands.h"
#include "dvb/protocol/line_protocol.h"

constexpr uint32_t longestMotorTravelMs = 600000;

std::string motorRequestWords(const MotorCommand& command, uint32_t travelMs);
// False with `reason` set for words that do not read.
bool parseMotorRequestWords(const std::string& words, MotorCommand* command, uint32_t* travelMs, std::string* reason);
Request motorRequest(const MotorCommand& command, uint32_t travelMs);
// Why the command did not go out after the helper's answer: "" for "ok"; an
// older helper, which knows no such request, "this azimora-dvb is too old to
// turn a motor"; else the helper's own reason.
std::string motorAnswerRefusal(const Reply& reply);
