// A carrier's spectrum as a tuner sees it through its channel filter: what
// both simulations (the practice dish and the simulated Linux frontend) use
// for the level a tuner reads, so that a sweep shows each carrier as a hump
// of its bandwidth. Platform-neutral.
#pragma once

// A tuner's channel filter opens as wide as the carrier it is tuned for:
// the symbol rate with a roll-off of 0.35 (at least 1 MHz).
double channelWidthMHz(double symbolRateKs);

// The share of a carrier's power that falls between `lowMHz` and `highMHz`
// about its centre: a raised-cosine spectrum of `symbolRateMHz` and `rolloff`.
double carrierShareWithin(double lowMHz, double highMHz, double symbolRateMHz, double rolloff);

// DVB-S2 carriers are mostly sent with the tighter roll-offs it brought.
constexpr double dvbsRolloff = 0.35;
constexpr double dvbs2Rolloff = 0.25;
