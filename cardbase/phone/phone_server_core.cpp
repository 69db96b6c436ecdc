#include "cardbase/phone/phone_server_core.h"

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_motor.h"
#include "cardbase/phone/phone_sweep.h"

int openPhoneConnection(PhoneServerCore& core, uint32_t nowMs)
{
    for (int i = 0; i < maxPhoneConnections; ++i) {
        PhoneConnection& c = core.slots[i];
        if (c.state != PhoneConnectionState::Free) continue;
        c = PhoneConnection();
        c.state = PhoneConnectionState::Request;
        c.sinceMs = c.progressMs = nowMs;
        return i;
    }
    return -1;
}

int phoneStreams(const PhoneServerCore& core)
{
    int count = 0;
    for (const PhoneConnection& c : core.slots) count += c.state == PhoneConnectionState::Streaming;
    return count;
}

static void enter(PhoneConnection& c, PhoneConnectionState state, uint32_t nowMs)
{
    c.state = state;
    c.sinceMs = c.progressMs = nowMs;
}

bool phoneReceived(PhoneServerCore& core, int slot, const char* bytes, size_t size, const PhoneServing& serving,
                   uint32_t nowMs)
{
    PhoneConnection& c = core.slots[slot];
    // After the head nothing a phone sends is read: there is no request body.
    if (c.state != PhoneConnectionState::Request) return false;
    const size_t room = maxRequestHeadBytes + 1 - c.received.size();
    c.received.append(bytes, size < room ? size : room);
    size_t answering = 0;
    for (const PhoneConnection& other : core.slots)
        if (other.state == PhoneConnectionState::Answering) answering += other.queue.size();
    PhoneServing asked = serving;
    asked.answerRoomBytes = answering < maxAnsweringBytes ? maxAnsweringBytes - answering : 0;
    PhoneAnswer answer = answerRequest(c.received, phoneStreams(core) < maxPhoneStreams, asked);
    if (answer.kind == PhoneAnswer::NeedMore) return false;
    if (answer.bytes.size() > maxQueuedBytes && answering + answer.bytes.size() > maxAnsweringBytes)
        answer =
            errorAnswer(503, "the record is being sent to another phone; try again in a moment", "Retry-After: 5\r\n");
    c.received.clear();
    c.received.shrink_to_fit();
    c.queue = answer.bytes;
    switch (answer.kind) {
    case PhoneAnswer::AskSweep:
        c.queue.clear();
        c.awaitsFeed = true;
        c.sweepAsked = answer.sweep;
        enter(c, PhoneConnectionState::Answering, nowMs);
        return true;
    case PhoneAnswer::AskPeak:
        c.queue.clear();
        c.awaitsFeed = true;
        c.peakAsked = true;
        c.peakRequest = answer.peak;
        enter(c, PhoneConnectionState::Answering, nowMs);
        return true;
    case PhoneAnswer::AskMotor:
        c.queue.clear();
        c.awaitsFeed = true;
        c.motorAsked = true;
        c.motorRequest = answer.motor;
        enter(c, PhoneConnectionState::Answering, nowMs);
        return true;
    case PhoneAnswer::StartStream:
        c.awaitsFeed = true;
        enter(c, PhoneConnectionState::Streaming, nowMs);
        return true;
    default: enter(c, PhoneConnectionState::Answering, nowMs); return false;
    }
}

void phoneJoinFeed(PhoneServerCore& core, int slot, const PhoneFeed& feed, int64_t wallMs, uint32_t nowMs)
{
    PhoneConnection& c = core.slots[slot];
    if (!c.awaitsFeed) return;
    c.awaitsFeed = false;
    if (c.state == PhoneConnectionState::Streaming) {
        c.queue += streamOpening(feed, wallMs);
        c.sentSeq = feed.lastSeq;
        c.lastEventMs = nowMs;
        return;
    }
    if (c.peakAsked) {
        const std::string refusal = peakRefusal(feed, c.peakRequest, wallMs);
        if (refusal.empty()) core.peakAsked.push_back(c.peakRequest);
        c.queue = acceptedAnswer(refusal, "asked").bytes;
        c.progressMs = nowMs;
        return;
    }
    if (c.motorAsked) {
        const std::string refusal = core.motorAsked ? "a move is being sent" : motorRefusal(feed, wallMs);
        if (refusal.empty()) {
            core.motorAsked = true;
            core.motorRequest = c.motorRequest;
        }
        c.queue = motorAnswer(refusal).bytes;
        c.progressMs = nowMs;
        return;
    }
    const std::string refusal = core.sweepAsked ? "a sweep is starting" : sweepRefusal(feed, wallMs);
    if (refusal.empty()) {
        core.sweepAsked = true;
        core.sweepRequest = c.sweepAsked;
    }
    c.queue = sweepAnswer(refusal).bytes;
    c.progressMs = nowMs;
}

bool phoneInputEnded(PhoneServerCore& core, int slot)
{
    PhoneConnection& c = core.slots[slot];
    c.inputEnded = true;
    return c.state == PhoneConnectionState::Answering || c.state == PhoneConnectionState::Streaming;
}

// Appends to a stream's queue, or marks the stream for dropping when that
// would pass the bound: a phone that cannot keep up starts again afresh.
static void queueOn(PhoneConnection& c, const std::string& text, uint32_t nowMs)
{
    if (c.queue.size() + text.size() > maxQueuedBytes) {
        c.queue.clear();
        c.state = PhoneConnectionState::Dropped;
        return;
    }
    if (c.queue.empty()) c.progressMs = nowMs;
    c.queue += text;
    c.lastEventMs = nowMs;
}

void phoneFeedStreams(PhoneServerCore& core, const PhoneFeed& feed, int64_t wallMs, uint32_t nowMs)
{
    for (int slot = 0; slot < maxPhoneConnections; ++slot) phoneJoinFeed(core, slot, feed, wallMs, nowMs);
    uint32_t oldestSeq = feed.lastSeq;
    for (const PhoneConnection& c : core.slots)
        if (c.state == PhoneConnectionState::Streaming && c.sentSeq < oldestSeq) oldestSeq = c.sentSeq;
    // Each reading is put into words once, however many phones follow it.
    const std::vector<PhoneReading> fresh = readingsAfter(feed, oldestSeq);
    std::vector<std::string> events;
    for (const PhoneReading& r : fresh) events.push_back(readingEvent(feed, r));
    std::string sweep, peak;  // put into words once, when some stream is due them
    for (PhoneConnection& c : core.slots) {
        if (c.state != PhoneConnectionState::Streaming) continue;
        bool any = false;
        for (size_t i = 0; i < fresh.size() && c.state == PhoneConnectionState::Streaming; ++i) {
            if (fresh[i].seq <= c.sentSeq) continue;
            queueOn(c, events[i], nowMs);
            c.sentSeq = fresh[i].seq;
            any = true;
        }
        if (c.state != PhoneConnectionState::Streaming) continue;
        if (c.sentSeq > feed.lastSeq) c.sentSeq = feed.lastSeq;
        const bool sweepDue = c.sentSweepVersion != feed.sweepVersion &&
                              (feed.sweep.state != SweepRunning || nowMs - c.lastSweepEventMs >= sweepEventGapMs);
        if (sweepDue) {
            if (sweep.empty()) sweep = sweepEvent(feed.sweep);
            queueOn(c, sweep, nowMs);
            c.sentSweepVersion = feed.sweepVersion;
            c.lastSweepEventMs = nowMs;
            any = true;
        }
        if (c.state != PhoneConnectionState::Streaming) continue;
        const bool peakDue = c.sentPeakVersion != feed.peakVersion &&
                             (c.sentPeakSteps != feed.peak.changes || nowMs - c.lastPeakEventMs >= peakEventGapMs);
        if (peakDue) {
            if (peak.empty()) peak = peakEvent(feed.peak);
            queueOn(c, peak, nowMs);
            c.sentPeakVersion = feed.peakVersion;
            c.sentPeakSteps = feed.peak.changes;
            c.lastPeakEventMs = nowMs;
            any = true;
        }
        if (c.state != PhoneConnectionState::Streaming) continue;
        if (c.sentMotorVersion != feed.motorVersion) {
            queueOn(c, motorEvent(feed), nowMs);
            c.sentMotorVersion = feed.motorVersion;
            any = true;
        }
        if (c.state != PhoneConnectionState::Streaming) continue;
        if (!any && nowMs - c.lastEventMs >= idleEventMs) queueOn(c, idleEvent(feed, wallMs), nowMs);
    }
}

void phoneSent(PhoneServerCore& core, int slot, size_t count, uint32_t nowMs)
{
    PhoneConnection& c = core.slots[slot];
    if (count == 0) return;
    c.queue.erase(0, count);
    c.progressMs = nowMs;
}

PhoneAction phoneActionFor(PhoneServerCore& core, int slot, uint32_t nowMs)
{
    PhoneConnection& c = core.slots[slot];
    const uint32_t inState = nowMs - c.sinceMs;
    switch (c.state) {
    case PhoneConnectionState::Free:
    case PhoneConnectionState::Dropped: return PhoneAction::Close;
    case PhoneConnectionState::Request: return inState >= requestTimeoutMs ? PhoneAction::Close : PhoneAction::Keep;
    case PhoneConnectionState::Answering:
        if (c.awaitsFeed) return PhoneAction::Keep;
        if (c.queue.empty()) {
            enter(c, PhoneConnectionState::Closing, nowMs);
            return PhoneAction::HalfClose;
        }
        return nowMs - c.progressMs >= stalledPhoneMs ? PhoneAction::Close : PhoneAction::Keep;
    case PhoneConnectionState::Closing:
        return c.inputEnded || inState >= closingTimeoutMs ? PhoneAction::Close : PhoneAction::Keep;
    case PhoneConnectionState::Streaming:
        return !c.queue.empty() && nowMs - c.progressMs >= stalledPhoneMs ? PhoneAction::Close : PhoneAction::Keep;
    }
    return PhoneAction::Close;
}

void closePhoneConnection(PhoneServerCore& core, int slot) { core.slots[slot] = PhoneConnection(); }
