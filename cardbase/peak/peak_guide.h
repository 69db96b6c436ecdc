// The bracketing guide: a beam's top is flat (0.3° off the middle of a
// 2.4° beam reads only 0.19 dB below its best), so the highest reading
// leaves a dish a few tenths of a degree off. The guide brackets instead,
// one axis at a time: it holds the best reading seen and calls the edge
// where the reading has fallen the edge's depth below that best after
// rising to it, then the peak passed on the way back and the other edge;
// the middle between the marks made at the two edges is the beam's. It
// then checks the result at the set point. On the readings every card
// already gives: the C/N where it is in dB, else the level in dBm or dB.
// Platform-neutral; the caller supplies the time and keeps one thread.
#pragma once
#include <cstdint>
#include <vector>

#include "cardbase/peak/skew_chance.h"
#include "cardbase/signal_scale.h"

enum PeakAxis : uint8_t { PeakAzimuth, PeakElevation, PeakSkew };

// The depths a user picks from (the page's edge=), and the usual one.
constexpr double peakEdgeChoicesDb[] = {0.5, 1.0, 3.0};
constexpr double defaultPeakEdgeDb = 1.0;
// The check's verdict: the set point within this of the best is done.
constexpr double peakDoneWithinDb = 0.1;
// A card that does not say how often it measures its figures is taken to
// measure twice a second, as demodulators' statistics commonly do.
constexpr uint32_t unknownFiguresRefreshMs = 500;

// What the guide says now; each step has its words (peak_words.h).
enum PeakStep : uint8_t {
    PeakIdle,           // never started, or stopped
    PeakNoReading,      // started; no reading yet (the program is not measuring)
    PeakNoLock,         // the C/N is the figure, and there is no lock
    PeakNoDecibels,     // neither the C/N nor the level is in dB: nothing to bracket by
    PeakSkewWaiting,    // the skew: the network's list of transponders is being read
    PeakSkewElsewhere,  // the skew cannot be judged on this transponder (SkewChance says where it can)
    PeakSeeking,        // turn slowly one way
    PeakWrongWay,       // the reading fell without rising first: turn the other way
    PeakRising,         // after turning the other way, the reading has risen back to the best
    PeakEdgeOne,        // mark the mount, turn back
    PeakPastPeak,       // on the way back, past the peak
    PeakEdgeTwo,        // mark the mount
    PeakSetHalfway,     // set the dish between the marks, then ask for the check
    PeakChecking,       // the set point is being read
    PeakDone,           // the set point is within peakDoneWithinDb of the best
    PeakTryAgain,       // it is not
    PeakCoarse,         // the card reads whole decibels, no finer than the edge's depth
    PeakRetuned,        // the program tuned another transponder: the guide's figures no longer hold
};

// Where the guide's figure comes from.
enum PeakSource : uint8_t { PeakSourceNone, PeakSourceCarrierToNoise, PeakSourceLevel };

// What the guide takes of one reading the card handed on.
struct PeakReading {
    uint32_t atMs = 0;   // the card's monotonic clock
    int64_t wallMs = 0;  // for the marks on the page's chart
    uint32_t tune = 0;   // the start it belongs to
    PeakSource source = PeakSourceNone;
    bool hasValue = false;                         // false: without lock where the C/N is the figure
    double value = 0.0;                            // dB (C/N) or dBm / dB (level)
    uint32_t refreshMs = unknownFiguresRefreshMs;  // how often the card measures this figure
    SkewChance skew;                               // for the skew: whether it can be judged on this transponder
};

// The guide's figure of a reading: the C/N where the card measures it in
// dB (`carrierToNoiseInDecibels`, the card's word unless the reading says
// its own unit), else a level in dBm or dB; `cardRefreshMs` the card's
// own refresh of its figures, unless the reading or its level says theirs.
PeakReading peakReadingOf(const SignalReading& reading, bool carrierToNoiseInDecibels, uint32_t cardRefreshMs);

enum PeakMarkKind : uint8_t { PeakMarkEdgeOne, PeakMarkPastPeak, PeakMarkEdgeTwo, PeakMarkCheck };
struct PeakMark {
    PeakMarkKind kind;
    int64_t wallMs;
    double value;
};

struct PeakGuide {
    PeakStep step = PeakIdle;
    PeakAxis axis = PeakAzimuth;
    double edgeDb = defaultPeakEdgeDb;
    uint32_t tune = 0;  // the start the guide was begun on
    PeakSource source = PeakSourceNone;
    uint32_t stepAtMs = 0;  // when the step began
    bool counting = false;  // a reading has counted
    uint32_t countedAtMs = 0;
    uint32_t counted = 0;
    bool fineSteps = false;  // a counted value not on a whole decibel
    double firstValue = 0.0;
    bool twoValues = false;  // counted values differ
    bool hasBest = false;
    double best = 0.0;
    double lowSinceTurn = 0.0;   // the lowest since the start, the latest "turn the other way" or the first edge
    int beyondEdge = 0;          // counted readings in a row at least the depth below the best
    bool risen = false;          // on the way out, risen since the latest turn
    bool nearPeakAgain = false;  // on the way back, risen since the first edge
    double bestSinceEdge = 0.0;
    int pastPeak = 0;  // counted readings in a row clearly below the best since edge one
    // The check: readings after the set point's first refresh.
    uint32_t checkFromMs = 0;
    uint32_t checkReadings = 0;
    double checkBest = 0.0;
    double belowDb = 0.0;  // how far below the best the set point was
    SkewChance skew;       // as judged when the skew began
    std::vector<PeakMark> marks;
    uint32_t changes = 0;  // counts the steps taken, for whoever follows the words
    // Kept from one axis to the next: the elevation was done (azimuth, then
    // elevation, then azimuth again).
    bool elevationDone = false;
};

// Begins bracketing `axis` with edges `edgeDb` deep (one of
// peakEdgeChoicesDb) on the transponder of start `tune`.
void startPeak(PeakGuide& guide, PeakAxis axis, double edgeDb, uint32_t tune, uint32_t nowMs);
void stopPeak(PeakGuide& guide, uint32_t nowMs);
// The installer has set the dish between the marks: the guide reads the
// set point and says whether it is done. False when there is nothing to check.
bool checkPeak(PeakGuide& guide, uint32_t nowMs);
// Takes one reading; true when the guide's step changed.
bool peakTakeReading(PeakGuide& guide, const PeakReading& reading);
// Whether the guide is under way (not idle, and not at a final word).
bool peakRunning(const PeakGuide& guide);
// The edge's depth the page asks for, "0.5", "1" or "3"; false otherwise.
bool parsePeakEdge(const char* text, double* edgeDb);
