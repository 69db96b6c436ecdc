#include "cardbase/margin/margin_watch.h"

void marginRetuned(MarginWatch& watch)
{
    watch.locked = false;
    watch.tuner = missingWord(GapNotAsked);
    watch.network = missingWord(GapNoNetworkTable);
}

void marginLock(MarginWatch& watch, bool locked)
{
    if (!locked) {
        watch.tuner = missingWord(GapNotAsked);
        if (watch.networkApart) watch.network = missingWord(GapNoNetworkTable);
    }
    watch.locked = locked;
}

void marginTunerWord(MarginWatch& watch, const ModcodWord& word) { watch.tuner = word; }

ModcodWord networkWordOf(const NetworkReport& network)
{
    switch (network.state) {
    case NetworkKnown: return network.identity.modcod;
    case NetworkReading: return missingWord(GapNetworkReading);
    case NetworkNotLocked:
    case NetworkNoInformation: break;
    }
    return missingWord(GapNoNetworkTable);
}

LinkMargin watchedMargin(const MarginWatch& watch, const NetworkReport& network, const SignalReading& reading)
{
    MarginInputs inputs;
    inputs.locked = reading.locked;
    // A reading that says its own unit (a card whose figures change kind) counts by it.
    inputs.carrierToNoiseInDecibels =
        reading.unit == SnrUnitOfCard ? watch.carrierToNoiseInDecibels : reading.unit != SnrUnitDerived;
    inputs.carrierToNoiseAtLeast = reading.unit == SnrUnitDecibelOrMore;
    inputs.carrierToNoiseAtMost = reading.unit == SnrUnitDecibelOrLess;
    inputs.carrierToNoiseDb = reading.snr;
    inputs.tuner = watch.tuner;
    inputs.network = watch.networkApart ? watch.network : networkWordOf(network);
    return linkMargin(inputs);
}
