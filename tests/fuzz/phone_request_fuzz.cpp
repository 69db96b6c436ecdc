// Whatever a phone sends, in pieces of any size: the server answers within
// its bounds, an error to anything but reading, and never reads past the
// head; the pointing's queries (read against a small catalogue) and the
// Host that must name this computer among them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cardbase/phone/phone_http.h"
#include "cardbase/phone/phone_server_core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const PhonePlace place = phonePlaceFrom("site=55.75,37.62\n", "simcard.ini", nullptr,
                                                   "[HotBird1-6   13.0e]=10723h29900;[AMC1   103.0w]=3740v29270;");
    static const PhoneHosts hosts = [] {
        PhoneHosts own = loopbackHosts();
        addHostName(own, "mypc");
        return own;
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    PhoneServing serving;
    serving.place = &place;
    serving.hosts = &hosts;
    const PhoneAnswer whole = answerRequest(bytes, size % 2 == 0, serving);
    if (whole.kind != PhoneAnswer::NeedMore) {
        if (whole.bytes.compare(0, 9, "HTTP/1.1 ") != 0) std::abort();
        const bool reading = bytes.compare(0, 4, "GET ") == 0 || bytes.compare(0, 5, "HEAD ") == 0;
        if (whole.status == 200 && !reading) std::abort();
    } else if (bytes.size() >= maxRequestHeadBytes) {
        std::abort();
    }
    // The same bytes through a connection, split where the first byte says.
    PhoneServerCore core;
    PhoneFeed feed;
    const int slot = openPhoneConnection(core, 0);
    const size_t piece = size ? 1 + data[0] % 64 : 1;
    for (size_t at = 0; at < size; at += piece) {
        const size_t length = size - at < piece ? size - at : piece;
        phoneReceived(core, slot, bytes.data() + at, length, serving, 0);
        if (core.slots[slot].received.size() > maxRequestHeadBytes + 1) std::abort();
    }
    phoneFeedStreams(core, feed, 0, idleEventMs);
    if (core.slots[slot].queue.size() > maxQueuedBytes + 4096) std::abort();
    return 0;
}
