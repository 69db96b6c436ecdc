// What a card substitute knows, moment by moment, of the modulation and code
// rate it is locked to: the tuner's word after lock and, beside the
// network's own word (network_watch.h), whether its C/N is a measured
// figure in dB. A new start forgets both words, and a lost lock the tuner's
// (the dish may have moved to another transponder). Platform-neutral.
#pragma once
#include "cardbase/margin/link_margin.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/signal_scale.h"

struct MarginWatch {
    bool carrierToNoiseInDecibels = false;  // the card's C/N is measured in dB (SnrUnitOfCard)
    bool locked = false;
    ModcodWord tuner = missingWord(GapNotAsked);
    // A card that learns the network's word apart from its identity (the
    // Linux bridge, from azimora-dvb) keeps it here.
    bool networkApart = false;
    ModcodWord network = missingWord(GapNoNetworkTable);
};

void marginRetuned(MarginWatch& watch);
// The lock of the latest reading.
void marginLock(MarginWatch& watch, bool locked);
// The tuner's word, read while locked: it holds until the lock goes.
void marginTunerWord(MarginWatch& watch, const ModcodWord& word);
// The network's word as the network report gives it: this stream's own
// entry once the table is known, else why there is none yet.
ModcodWord networkWordOf(const NetworkReport& network);

LinkMargin watchedMargin(const MarginWatch& watch, const NetworkReport& network, const SignalReading& reading);
