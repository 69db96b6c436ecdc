// A sweep of one band of one polarization: the tuner stepped across the
// LNB's output, its level read at each step, so that the band's carriers
// show as humps before anything is locked. What is asked (band,
// polarization, switch port, LNB, step, whether to try locking the peaks),
// read from the words that ask it on every path (azimora-dvb's options,
// the line protocol, the phone page's form), and the steps as data, for
// every card substitute to carry out and report alike. Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"

enum SweepBand : uint8_t { SweepLowBand, SweepHighBand };

struct SweepRequest {
    SweepBand band = SweepLowBand;
    int32_t polarization = 0;   // 0 horizontal (18 V), 1 vertical (13 V)
    int32_t diseqcCode = 0;     // as the program numbers switch ports: 0 none, 1 A, 2 B, 3 AA ...
    int32_t oscillatorMHz = 0;  // a single local oscillator; 0 for a universal LNB (9750/10600 by the tone)
    int32_t stepMHz = 2;
    bool tryPeaks = false;  // try to lock each peak found
};

// The tuner's intermediate frequencies.
constexpr int32_t lowestIntermediateMHz = 950;
constexpr int32_t highestIntermediateMHz = 2150;
constexpr int32_t universalLowMHz = 9750;
constexpr int32_t universalHighMHz = 10600;
constexpr int32_t universalSplitMHz = 11700;
constexpr int32_t largestSweepStepMHz = 50;
// The coarse pass measures a step this far apart at most (sweep_refine.h).
constexpr int32_t coarseSweepSpacingMHz = 8;

struct SweepPlan {
    SweepRequest request;
    int32_t oscillatorMHz = universalLowMHz;
    bool toneOn = false;
    bool oscillatorAbove = false;         // a C-band LNB mixes from above: the downlink is the oscillator less the IF
    std::vector<int32_t> frequenciesMHz;  // the downlink of each step, rising
    int32_t symbolRate = 0;               // kS/s the sweep tunes with: a channel about a step wide
    // The coarse pass measures every coarseStride-th step, the fine pass
    // the steps between where the level rises (sweep_refine.h); 1 measures
    // every step in order (a sweep for narrow tones wants every one).
    int32_t coarseStride = 1;
};

SweepPlan planSweep(const SweepRequest& request);
int32_t intermediateMHzOf(const SweepPlan& plan, int32_t downlinkMHz);

// "low"/"high", "H"/"V" (any case), switch letters as Azimora's ("", A, B,
// AA, BA, AB, BB), "universal" or an oscillator in MHz (5150, 9750, 10750
// ...), a step of 1 .. 50 MHz. Each false with `problem` set for the user.
bool parseSweepBand(const std::string& text, SweepBand* band, std::string* problem);
bool parseSweepPolarization(const std::string& text, int32_t* polarization, std::string* problem);
bool parseSweepSwitch(const std::string& text, int32_t* diseqcCode, std::string* problem);
bool parseSweepLnb(const std::string& text, int32_t* oscillatorMHz, std::string* problem);
bool parseSweepStep(const std::string& text, int32_t* stepMHz, std::string* problem);

// The request as one line of words and back, as the line protocol and the
// phone's form carry it: "band=low pol=H switch=A lnb=universal step=2 try=1"
// (the phone's form separates them with & rather than blanks).
std::string sweepRequestWords(const SweepRequest& request);
bool parseSweepRequestWords(const std::string& text, char separator, SweepRequest* request, std::string* problem);

// The six values a start would send for one step of the sweep, or a try
// at a peak with `symbolRate`: what every card tunes to for it.
CardTuning sweepStepTuning(const SweepPlan& plan, int32_t frequencyMHz, int32_t symbolRate);

// "10700-11698 MHz H, low band, switch A": what a sweep covers, for its reports.
std::string sweepTitle(const SweepPlan& plan);
