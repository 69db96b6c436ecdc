// What a card substitute tells the phones: the card, the transponder of the
// latest start and every reading handed to the program, the last minute of
// them kept for a phone that connects or comes back, and the messages of
// the stream of readings (server-sent events, each a JSON object, so that
// further fields can join without breaking a page). Platform-neutral; the
// caller keeps it from being used by two threads at once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/margin/link_margin.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/peak/peak_guide.h"
#include "cardbase/phone/phone_point.h"
#include "cardbase/signal_scale.h"
#include "cardbase/sweep/sweep_result.h"

// A minute at ten readings a second, with room to spare.
constexpr uint32_t phoneHistoryMs = 60000;
constexpr size_t phoneHistoryCapacity = 720;

struct PhoneReading {
    uint32_t seq = 0;    // 1, 2, ... in the order taken
    int64_t timeMs = 0;  // wall clock, ms since 1970
    bool locked = false;
    int32_t quality = 0;
    float carrierToNoiseDb = 0.0f;
    bool carrierToNoiseOrMore = false;  // the true C/N is at least the figure
    bool carrierToNoiseOrLess = false;  // at most the figure: the driver's floor
    uint32_t searchingMs = 0;           // unlocked while the driver searches, this long
    uint32_t tune = 0;                  // the start it belongs to (PhoneTuning::number)
    float thresholdDb = 0.0f;           // what the locked modulation and code rate need, NaN without a margin
    SignalLevel level{};                // the level beside them, with or without a lock
    // What was known with it: the network (networkJson) and the link margin.
    std::string network;
    LinkMargin margin;
};

struct PhoneTuning {
    uint32_t number = 0;  // 0 before the first complete start
    int32_t frequencyMHz = 0;
    int32_t polarization = 0;  // as the program sends it: 0 H, 1 V, 3 no letter
    int32_t symbolRate = 0;    // kS/s
    int32_t diseqcCode = 0;
    int64_t atMs = 0;
};

// The messages' "network" object: what the card knows of the network it is
// locked to, {"state": "unlocked" | "reading" | "known" | "none", "name",
// "id" ("0xff44"), "position" ("19.2° E", or null when unknown),
// "uncertain" (the stream's own entry was not found), "expected" (the
// catalogue's positions for the tuned transponder), "verdict": "expected" |
// "wrong" | "probable" (an uncertain position, never judged) | "unexpected"
// (nothing was expected) | "unknown"}.
std::string networkJson(const NetworkReport& report, const std::vector<PositionTenths>& expected);

struct PhoneFeed {
    // This run of the server, told apart from every other: a program started
    // again numbers its readings and starts from 1 again, and a page that
    // followed the one before must not take them for old ones.
    std::string run;
    std::string card;  // which card is measuring, UTF-8
    CardTuning pending;
    PhoneTuning tuning;
    std::vector<PhoneReading> ring = std::vector<PhoneReading>(phoneHistoryCapacity);
    uint32_t lastSeq = 0;
    std::string network = networkJson(NetworkReport(), {});  // as of the latest reading
    PhonePlace place;                                        // for the pointing's answers
    LinkMargin margin;                                       // as of the latest reading
    std::string recordFolder;     // where the record is read for the page; "" while it is not shown
    uint32_t servingVersion = 0;  // counts the changes of the place and the record's folder
    bool canSweep = false;        // the card sweeps the band when asked (phone_sweep.h)
    SweepStatus sweep;            // the latest sweep, as it goes
    uint32_t sweepVersion = 0;    // counts its changes
    // Through a single-cable device: "EN 50494, user band 1 at 1210 MHz",
    // else ""; and "another receiver uses user band 1" once the card has
    // seen it since the latest start (a new start forgets it), else "".
    std::string singleCable;
    std::string userBandNote;
    PeakGuide peak;             // the bracketing guide (phone_peak.h), fed every reading
    uint32_t peakVersion = 0;   // counts its changes: its step, its best
    uint32_t peakClockMs = 0;   // the card's clock at the latest reading
    bool canMotor = false;      // the card turns a motorised dish when asked (phone_motor.h)
    std::string motorWords;     // what the card did at the latest ask
    uint32_t motorVersion = 0;  // counts its changes
};

// One of the program's set calls; the sixth of a start makes a new tuning
// (and forgets the user band's note).
void feedSetCall(PhoneFeed& feed, CardSetCall call, int32_t value, int64_t nowMs);
// A reading handed to the program, with what was known with it: the
// network (networkJson) and the link margin; the newest of each also stand
// for the card's state in the messages that carry no reading. `peak` is
// what the bracketing guide takes of it (its start and wall time are
// filled in here).
void feedReading(PhoneFeed& feed, const SignalReading& reading, const std::string& network, const LinkMargin& margin,
                 int64_t nowMs, const PeakReading& peak = PeakReading());

// The readings after `seq` still held, oldest first.
std::vector<PhoneReading> readingsAfter(const PhoneFeed& feed, uint32_t seq);

// The stream's messages, each a complete event; each carries the link
// margin as "margin" (phone_margin.h), "singleCable" and "userBand" (the
// feed's words, or null), a reading's event the network and
// margin of its own moment, however late it is sent, and each reading its
// level as "level" (phone_level.h).
// First on every connection: how soon to reconnect, the last minute (each
// row with the threshold then, or null, and the level), the table of
// thresholds and whether the record is shown ("record": true or false).
std::string streamOpening(const PhoneFeed& feed, int64_t nowMs);
std::string readingEvent(const PhoneFeed& feed, const PhoneReading& reading);
// While the program takes no readings (it is not measuring).
std::string idleEvent(const PhoneFeed& feed, int64_t nowMs);

// "H", "V" or "" (a catalogue line without a letter).
const char* polarizationLetter(int32_t polarization);
// The switch letters of a DiSEqC code: "", "A", "B", "AA", "BA", "AB", "BB".
const char* switchLetters(int32_t diseqcCode);
// A JSON string literal of UTF-8 text.
std::string jsonString(const std::string& text);
// A JSON number in this printf form, or null where it is none.
std::string jsonNumber(double value, const char* pattern = "%.2f");
