// The decisions of the phone page's server, apart from its sockets: which
// connections it takes, what each is sent, and when each ends. A few phones
// at a time; a request's head bounded in size and time; a queue per phone
// bounded, and a phone that takes nothing for a while dropped, so that no
// phone ever holds up another or the card. Platform-neutral: the socket
// loop (phone_service.cpp) hands it what arrives and sends what it queues.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/motor/card_motor.h"
#include "cardbase/phone/phone_feed.h"
#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_peak.h"

constexpr int maxPhoneConnections = 16;  // page loads and streams together
constexpr int maxPhoneStreams = 8;       // phones following the readings
constexpr size_t maxQueuedBytes = 64 * 1024;
// Answers being sent hold at most this much together: the record's file
// (bounded itself) goes to one phone at a time or two, not to every one at once.
constexpr size_t maxAnsweringBytes = 9 * 1024 * 1024;
constexpr uint32_t requestTimeoutMs = 5000;  // for the whole head to arrive
constexpr uint32_t stalledPhoneMs = 5000;    // a phone that takes nothing for this long is dropped
constexpr uint32_t closingTimeoutMs = 2000;  // for the phone to end a connection answered
constexpr uint32_t idleEventMs = 1000;       // while no readings come

enum class PhoneConnectionState : uint8_t {
    Free,
    Request,    // reading the request's head
    Answering,  // sending the answer; then half-closed
    Closing,    // answer sent, waiting for the phone to close
    Streaming,  // sending readings until the phone goes
    Dropped,    // a stream that could not keep up
};

struct PhoneConnection {
    PhoneConnectionState state = PhoneConnectionState::Free;
    std::string received;
    std::string queue;              // bytes still to send
    uint32_t sinceMs = 0;           // when the current state began
    uint32_t progressMs = 0;        // the latest send that took bytes, or the time the queue filled
    uint32_t sentSeq = 0;           // the newest reading queued
    uint32_t lastEventMs = 0;       // the latest event queued
    bool inputEnded = false;        // the phone sends nothing more (it half-closed)
    uint32_t sentSweepVersion = 0;  // the sweep's state the stream has had
    uint32_t lastSweepEventMs = 0;
    // What the answer still needs of the feed (phoneJoinFeed): a stream's
    // opening, or the decision on a sweep, the guide or a move asked for.
    bool awaitsFeed = false;
    SweepRequest sweepAsked;
    bool peakAsked = false;
    PeakRequest peakRequest;
    bool motorAsked = false;
    MotorRequest motorRequest;
    uint32_t sentPeakVersion = 0;  // the guide's state the stream has had
    uint32_t sentPeakSteps = 0;    // and its steps
    uint32_t lastPeakEventMs = 0;
    uint32_t sentMotorVersion = 0;  // the motor's words the stream has had
};

struct PhoneServerCore {
    PhoneConnection slots[maxPhoneConnections];
    // A sweep a phone asked for and may have: the service starts it.
    bool sweepAsked = false;
    SweepRequest sweepRequest;
    // What phones asked of the guide and may have, in order: the service carries them out.
    std::vector<PeakRequest> peakAsked;
    // A move a phone asked for and may have: the service hands it to the card.
    bool motorAsked = false;
    MotorRequest motorRequest;
};

// What the socket loop is to do with a connection now.
enum class PhoneAction : uint8_t {
    Keep,
    HalfClose,  // everything is sent: shutdown sending, then wait for the phone (now Closing)
    Close,      // close the socket and free the slot (done, timed out or dropped)
};

// A new connection's slot, or -1 when all are taken (it is then closed at once).
int openPhoneConnection(PhoneServerCore& core, uint32_t nowMs);
int phoneStreams(const PhoneServerCore& core);
// Bytes arrived; the request's answer, once its head is complete, is made
// and queued without the feed, so that the record's pages are read and
// built while the card hands readings on. True when the answer needs the
// feed as well: phoneJoinFeed, or the next phoneFeedStreams, gives it.
bool phoneReceived(PhoneServerCore& core, int slot, const char* bytes, size_t size, const PhoneServing& serving,
                   uint32_t nowMs);
// What an answer needs of the feed, with the feed held from its writers:
// a stream's opening (the last minute), a sweep's answer. Quick.
void phoneJoinFeed(PhoneServerCore& core, int slot, const PhoneFeed& feed, int64_t wallMs, uint32_t nowMs);
// The phone will send nothing more: it closed, or only half-closed after
// its request and still reads. An answer already queued is sent all the
// same; false when the connection is to be closed now (its head never came).
bool phoneInputEnded(PhoneServerCore& core, int slot);
// Joins the answers that wait for the feed to it, then queues every reading
// the streams have not had yet, or an idle event where none came for a
// while, the sweep's state where it changed (at most every sweepEventGapMs
// while it runs) and the guide's (a new step at once, a new best at most
// every peakEventGapMs). A stream whose queue would grow past its bound is
// marked for closing.
void phoneFeedStreams(PhoneServerCore& core, const PhoneFeed& feed, int64_t wallMs, uint32_t nowMs);
// `count` bytes of the queue went out.
void phoneSent(PhoneServerCore& core, int slot, size_t count, uint32_t nowMs);
PhoneAction phoneActionFor(PhoneServerCore& core, int slot, uint32_t nowMs);
void closePhoneConnection(PhoneServerCore& core, int slot);
