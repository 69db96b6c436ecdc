// A motorised dish on the phone page: "Go to" a satellite and steps east or
// west are card requests, as the band sweep is: a POST of
// /motor?goto=19.2E, /motor?step=east&n=1 (n 1-128) or /motor?halt=1 with
// no body and the header "X-Azimora: motor", refused while Azimora
// measures (it turns the dish itself then); what the card did goes out to
// the page as the stream's "motor" event: {"words": "turning the dish to
// 19.2° E (21.3° east), there in about 15 s"}. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/motor/card_motor.h"
#include "cardbase/phone/phone_feed.h"

constexpr char phoneMotorPath[] = "/motor";

// The query's words (percent-encoding is not needed by any of them);
// false with the problem said.
bool parseMotorRequestWords(const std::string& query, MotorRequest* request, std::string* problem);

// "" when a move may be asked now, else why not, in words for the page.
std::string motorRefusal(const PhoneFeed& feed, int64_t wallMs);

std::string motorEvent(const PhoneFeed& feed);
