// What azimora-dvb tells dvbcard.dll beyond the tuner control calls, each
// handed to the card's reading feed: the level of every status, locked or
// not, and while locked, every few readings, what the link margin rests on,
// the LNB's own error, the network and where the skew can be judged on it.
// A helper that does not know a request (an older one) is not asked it
// again on this link.
#pragma once
#include <functional>

#include "cardbase/reading_feed.h"
#include "dvb/protocol/line_protocol.h"

// Readings come ten a second: the network is asked for about twice a second.
constexpr unsigned networkQueryEvery = 5;

// One request without a value and its reply, whole, on the card's link.
typedef std::function<bool(RequestKind kind, Reply* reply)> HelperCall;

struct HelperWords {
    bool tellsLevel = true;
    bool tellsModcod = true;
    bool tellsLnbError = true;
    bool tellsNetwork = true;
    bool tellsSkew = true;
    unsigned lockedReadings = 0;  // in a row, counted as the network is asked
};

// A new link: every request is asked again.
void helperWordsNewLink(HelperWords& words);
// Whether this locked reading is one of the few that ask (the first among them).
bool helperWordsDue(const HelperWords& words);

// The level of the status just read.
SignalLevel askHelperLevel(HelperWords& words, const HelperCall& call);
// Before a locked reading is published, so that the first with the lock has its margin.
void askHelperMargin(HelperWords& words, const HelperCall& call, ReadingFeed& feed);
// After each status: while locked, the network and the skew every few
// readings; the lock gone, the count starts again.
void askHelperNetwork(HelperWords& words, bool locked, const HelperCall& call, ReadingFeed& feed);
