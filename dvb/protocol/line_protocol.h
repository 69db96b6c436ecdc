// The line protocol between dvbcard.dll and azimora-dvb: one request line
// per tuner control call, one reply line each, plain ASCII words.
//   request  NAME [VALUE]      "SetPolarity 0", "QuerySignalStatus"
//            Sweep WORDS       "Sweep band=low pol=H switch= lnb=universal step=2 try=0"
//            SingleCable WORDS "SingleCable en50494,1,1210" (single_cable_words.h)
//            Motor WORDS       "Motor command=E0316EE155 travel=15500" (motor_words.h)
//   reply    ok [VALUE]        "ok", "ok 55"
//            ok WORDS          "ok network reading" (for QueryNetwork, QueryModcod, QueryLevel,
//                              QuerySkew and QueryLnbError)
//            fail REASON       "fail no lock"
// Values are 32-bit signed decimal integers; the s/n travels in 0.001 dB.
// Words are printable ASCII, start with a lower-case letter and end with
// no blank.
// A line holds at most maxLineLength bytes before its newline.
// Platform-neutral: both sides build it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t maxLineLength = 96;

// The calls, named as the tuner control interface names them.
enum RequestKind : uint8_t {
    RequestInitialize,
    RequestSetFec,
    RequestSetLnbSelection,
    RequestSetLnbFrequency,
    RequestSetPolarity,
    RequestSetSymbolRate,
    RequestSetTransponderFrequency,
    RequestSetDiseqc,
    RequestQuerySignalStatus,
    RequestRefreshSignalReadings,
    RequestGetSignalQuality,
    RequestGetSignalNoiseRatio,
    RequestQueryNetwork,  // the helper's own: what it knows of the network it is locked to
    RequestQueryModcod,   // the helper's own: what the link margin of its lock rests on
    RequestQueryLevel,    // the helper's own: the level of the latest status, locked or not
    // The helper's own band sweep (sweep_answer.h).
    RequestSweep,
    RequestQuerySweep,
    RequestSweepLevels,
    RequestSweepPeak,
    RequestSweepPeakName,
    // The helper's own: the tunes of this connection go through a
    // single-cable device, and whether another receiver took its user band.
    RequestSingleCable,
    RequestQueryUserBand,
    // The helper's own: whether the LNB's turn can be judged on the transponder tuned (skew_answer.h).
    RequestQuerySkew,
    RequestQueryLnbError,  // the helper's own: the LNB's own error, as the driver's found frequency shows it
    // The helper's own: a positioner's command (motor_words.h).
    RequestMotor,
};
constexpr int requestKindCount = 25;

struct Request {
    RequestKind kind;
    int32_t value;        // for the set calls and the sweep's lines
    std::string words{};  // for Sweep, SingleCable and Motor: printable ASCII without a blank at either end
};

bool requestTakesValue(RequestKind kind);
bool requestTakesWords(RequestKind kind);

std::string formatRequest(const Request& request);
// Strict: one known name, a value exactly when the call takes one (words
// when it takes words), single spaces, no sign on zero, nothing else.
bool parseRequest(const std::string& line, Request* request);

struct Reply {
    bool ok = false;
    bool hasValue = false;
    int32_t value = 0;
    std::string text;    // for "ok WORDS": the words
    std::string reason;  // for a failure: lower-case words, at most one line
};

Reply okReply();
Reply valueReply(int32_t value);
Reply textReply(const std::string& words);
Reply failReply(const std::string& reason);

// Words and a reason are cut to fit the line and anything but printable
// ASCII becomes a blank.
std::string formatReply(const Reply& reply);
bool parseReply(const std::string& line, Reply* reply);

// Cuts a byte stream into lines. A line that grows past maxLineLength is
// reported once as too long and the rest of it, up to its newline, dropped.
struct LineReader {
    std::string pending;
    bool discarding = false;
};

struct ReadLine {
    bool tooLong;
    std::string text;  // without the newline or a carriage return before it
};

void readLines(LineReader& reader, const char* bytes, size_t size, std::vector<ReadLine>* lines);

// "HOST:PORT" or, when `defaultHost` is given, a bare "PORT". Ports 1..65535,
// and 0 as well when `allowAnyPort` (let the system pick one).
bool parseHostPort(const std::string& text, const char* defaultHost, bool allowAnyPort, std::string* host,
                   uint16_t* port);
