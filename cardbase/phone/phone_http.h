// What the phone page's server answers, decided from the bytes a phone sent:
// GET and HEAD of the page, its assets, the stream of readings, the
// pointing's answers (phone_point.h) and the record (phone_report.h), and
// two requests that reach the card: a POST of
// /sweep?band=low&pol=H&switch=&lnb=universal&step=2&try=1 with no body and
// the header "X-Azimora: sweep" (which another site's page cannot send
// without asking first, and this server never agrees), that asks for a band
// sweep (phone_sweep.h), a POST of /peak?do=start&axis=azimuth&edge=1
// with "X-Azimora: peak", that asks the bracketing guide (phone_peak.h),
// and one that turns a motorised dish, a POST of /motor?goto=19.2E with
// "X-Azimora: motor" (phone_motor.h); every other request gets an error,
// and one that names another computer as its Host is refused
// (phone_host.h). Each answer is followed by the end of the connection (the
// stream's when the phone goes). Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "cardbase/motor/card_motor.h"
#include "cardbase/phone/phone_host.h"
#include "cardbase/phone/phone_peak.h"
#include "cardbase/phone/phone_point.h"
#include "cardbase/sweep/sweep_plan.h"

// A request's head (request line and header lines) must fit in this.
constexpr size_t maxRequestHeadBytes = 4096;
constexpr size_t maxRequestHeaderLines = 64;

// The files of the page, built in (phone_assets.cpp is generated from
// cardbase/phone/page at build time).
struct PhoneAsset {
    const char* path;  // "/index.html", "/phone.js", ...
    const char* contentType;
    const unsigned char* bytes;
    size_t size;
};
extern const PhoneAsset phoneAssets[];
extern const size_t phoneAssetCount;

// The path of the stream of readings (text/event-stream).
constexpr char phoneStreamPath[] = "/events";
// The path that asks for a band sweep.
constexpr char phoneSweepPath[] = "/sweep";

struct PhoneAnswer {
    enum Kind {
        NeedMore,     // the head is not complete yet
        Respond,      // send `bytes` and close
        StartStream,  // send `bytes` (the stream's head), then the readings
        AskSweep,     // a sweep as `sweep` says: the server decides whether it starts (sweepAnswer)
        AskPeak,      // the guide asked as `peak` says: the server decides whether it may (acceptedAnswer)
        AskMotor,     // a move as `motor` says: the server decides whether the card gets it (motorAnswer)
    } kind = NeedMore;
    int status = 0;
    std::string bytes;
    SweepRequest sweep;
    PeakRequest peak;
    MotorRequest motor;
};

// What the server serves besides the page. Without `place` the pointing's
// paths are not served, and without `recordFolder` the record's; an empty
// folder refuses them (record=off). Without `hosts` any Host is answered.
struct PhoneServing {
    const PhonePlace* place = nullptr;
    const std::string* recordFolder = nullptr;
    const PhoneHosts* hosts = nullptr;
    size_t answerRoomBytes = SIZE_MAX;  // how much more the answers being sent may hold
};

// The answer to what has been received so far on a connection. `streamRoom`
// tells whether another stream may start (else the stream is refused with
// 503, as too many phones are connected).
PhoneAnswer answerRequest(const std::string& received, bool streamRoom, const PhoneServing& serving);
inline PhoneAnswer answerRequest(const std::string& received, bool streamRoom, const PhonePlace* place = nullptr,
                                 const std::string* recordFolder = nullptr)
{
    PhoneServing serving;
    serving.place = place;
    serving.recordFolder = recordFolder;
    return answerRequest(received, streamRoom, serving);
}
// A refusal: the status, and the reason in words.
PhoneAnswer errorAnswer(int status, const char* text, const char* extraHeaders = "");

// The answer to a sweep asked for: 202 when it starts, else 409 with why not.
PhoneAnswer sweepAnswer(const std::string& refusal);
// The same for the guide: 202 with `done` as the body, else 409 with why not.
PhoneAnswer acceptedAnswer(const std::string& refusal, const char* done);

// The answer to a move asked for: 202 when the card gets it, else 409 with why not.
PhoneAnswer motorAnswer(const std::string& refusal);

// The status line's reason for the codes answerRequest gives.
const char* statusReason(int status);
