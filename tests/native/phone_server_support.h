// The phone page's server without its sockets, as the tests drive it: the
// socket loop's steps by hand, on a clock of their own.
#pragma once
#include <string>

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_server_core.h"

// As the socket loop does, for a test that drives the core with a feed of its own.
inline void receiveWithFeed(PhoneServerCore& core, int slot, const std::string& bytes, const PhoneFeed& feed,
                            int64_t wallMs, uint32_t nowMs = 0)
{
    PhoneServing serving;
    serving.place = &feed.place;
    serving.recordFolder = &feed.recordFolder;
    if (phoneReceived(core, slot, bytes.data(), bytes.size(), serving, nowMs))
        phoneJoinFeed(core, slot, feed, wallMs, nowMs);
}

struct Server {
    PhoneServerCore core;
    PhoneFeed feed;
    uint32_t now = 1000;

    int open() { return openPhoneConnection(core, now); }
    // As the socket loop does: the answer made, then what it needs of the feed.
    void send(int slot, const std::string& bytes)
    {
        PhoneServing serving;
        serving.place = &feed.place;
        serving.recordFolder = &feed.recordFolder;
        if (phoneReceived(core, slot, bytes.data(), bytes.size(), serving, now))
            phoneJoinFeed(core, slot, feed, 1700000000000 + now, now);
    }
    int stream()
    {
        const int slot = open();
        send(slot, "GET /events HTTP/1.1\r\n\r\n");
        return slot;
    }
    std::string& queue(int slot) { return core.slots[slot].queue; }
    // Everything queued goes out.
    std::string drain(int slot)
    {
        const std::string sent = queue(slot);
        phoneSent(core, slot, sent.size(), now);
        return sent;
    }
    void reading(int32_t quality, float cn)
    {
        feedReading(feed, SignalReading{true, quality, cn}, feed.network, feed.margin, 1700000000000 + now);
        phoneFeedStreams(core, feed, 1700000000000 + now, now);
    }
};

inline int countOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}
