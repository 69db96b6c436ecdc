#include "cardbase/peak/peak_guide.h"

#include <cmath>
#include <cstring>

// Readings come on a pace of their own (every 100 ms), each a little early
// or late: one within this of a refresh after the one counted before is the
// card's next measure.
static const uint32_t paceSlackMs = 50;
// An edge, the peak passed: only after this many counted readings beyond.
static const int readingsBeyond = 2;
// After the second edge, time to mark the mount before the next word.
static const uint32_t markPauseMs = 3000;
// The check reads the set point at least this long (as long as the slow
// fading of a clear sky takes to rise and fall again), and this many
// counted readings, from its first refresh on.
static const uint32_t checkMs = 5000;
static const uint32_t leastCheckReadings = 3;
// Counted readings, differing, all on whole decibels: a card that reads whole decibels.
static const uint32_t wholeDecibelReadings = 3;
// The coarsest depth a card of whole decibels cannot bracket by.
static const double wholeDecibelEdgeDb = 1.0;

// Before an edge counts, the reading must have come over the top since the
// latest turn, rather than fallen all along: risen by riseDb from its
// lowest since, to within insideDb of the best (not to the best itself: a
// best the fading lifted for a moment may never come again).
static double riseDb(double edgeDb) { return std::fmax(0.3, edgeDb / 2.0); }
static double insideDb(double edgeDb) { return std::fmax(0.35, edgeDb / 2.0); }
static bool overTheTop(const PeakGuide& guide, double value)
{
    return value - guide.lowSinceTurn >= riseDb(guide.edgeDb) && value >= guide.best - insideDb(guide.edgeDb);
}
// Past the peak: this far below the best since the first edge.
static double passDb(double edgeDb) { return std::fmax(0.25, edgeDb / 4.0); }

PeakReading peakReadingOf(const SignalReading& reading, bool carrierToNoiseInDecibels, uint32_t cardRefreshMs)
{
    PeakReading taken;
    taken.refreshMs = reading.refreshMs    ? reading.refreshMs
                      : cardRefreshMs != 0 ? cardRefreshMs
                                           : unknownFiguresRefreshMs;
    const bool decibels = reading.unit == SnrUnitOfCard ? carrierToNoiseInDecibels : reading.unit != SnrUnitDerived;
    if (decibels) {
        taken.source = PeakSourceCarrierToNoise;
        taken.hasValue = reading.locked && std::isfinite(reading.snr);
        taken.value = reading.snr;
    } else if (levelHasValue(reading.level) && levelInDecibels(reading.level.unit)) {
        taken.source = PeakSourceLevel;
        taken.hasValue = true;
        taken.value = reading.level.value;
        if (reading.level.refreshMs > taken.refreshMs) taken.refreshMs = reading.level.refreshMs;
    }
    return taken;
}

static void enterStep(PeakGuide& guide, PeakStep step, uint32_t nowMs)
{
    guide.step = step;
    guide.stepAtMs = nowMs;
    ++guide.changes;
}

static void addMark(PeakGuide& guide, PeakMarkKind kind, const PeakReading& reading, double value)
{
    guide.marks.push_back(PeakMark{kind, reading.wallMs, value});
}

void startPeak(PeakGuide& guide, PeakAxis axis, double edgeDb, uint32_t tune, uint32_t nowMs)
{
    const uint32_t changes = guide.changes;
    const bool elevationDone = guide.elevationDone;
    guide = PeakGuide();
    guide.changes = changes;
    guide.elevationDone = elevationDone;
    guide.axis = axis;
    guide.edgeDb = edgeDb;
    guide.tune = tune;
    enterStep(guide, PeakNoReading, nowMs);
}

void stopPeak(PeakGuide& guide, uint32_t nowMs)
{
    if (guide.step != PeakIdle) enterStep(guide, PeakIdle, nowMs);
}

bool checkPeak(PeakGuide& guide, uint32_t nowMs)
{
    switch (guide.step) {
    case PeakEdgeTwo:
    case PeakSetHalfway:
    case PeakDone:
    case PeakTryAgain: break;
    default: return false;
    }
    guide.checkReadings = 0;
    guide.checkBest = -INFINITY;
    enterStep(guide, PeakChecking, nowMs);
    return true;
}

bool peakRunning(const PeakGuide& guide)
{
    switch (guide.step) {
    case PeakIdle:
    case PeakNoDecibels:
    case PeakSkewElsewhere:
    case PeakDone:
    case PeakTryAgain:
    case PeakCoarse:
    case PeakRetuned: return false;
    default: return true;
    }
}

bool parsePeakEdge(const char* text, double* edgeDb)
{
    static const char* const words[] = {"0.5", "1", "3"};
    for (size_t i = 0; i < sizeof words / sizeof words[0]; ++i) {
        if (std::strcmp(text, words[i]) != 0) continue;
        *edgeDb = peakEdgeChoicesDb[i];
        return true;
    }
    return false;
}

// Whether the card reads whole decibels, as far as its counted values tell.
static bool noteStep(PeakGuide& guide, double value)
{
    if (std::fabs(value - std::round(value)) > 0.001) guide.fineSteps = true;
    if (guide.counted++ == 0) guide.firstValue = value;
    else if (value != guide.firstValue) guide.twoValues = true;
    return !guide.fineSteps && guide.twoValues && guide.counted >= wholeDecibelReadings;
}

// Before the bracketing begins: a figure to bracket by, a lock where the
// C/N is that figure, and for the skew a transponder it can be judged on.
static bool readyToBracket(PeakGuide& guide, const PeakReading& reading)
{
    if (reading.source == PeakSourceNone) {
        enterStep(guide, PeakNoDecibels, reading.atMs);
        return false;
    }
    if (guide.source == PeakSourceNone) guide.source = reading.source;
    if (!reading.hasValue) {
        if (guide.step != PeakNoLock) enterStep(guide, PeakNoLock, reading.atMs);
        return false;
    }
    if (guide.axis == PeakSkew) {
        guide.skew = reading.skew;
        if (reading.skew.kind == SkewNotYet) {
            if (guide.step != PeakSkewWaiting) enterStep(guide, PeakSkewWaiting, reading.atMs);
            return false;
        }
        if (reading.skew.kind != SkewHere) {
            enterStep(guide, PeakSkewElsewhere, reading.atMs);
            return false;
        }
    }
    return true;
}

// The way out to the first edge: it counts only once the reading has come
// over the top since the latest turn; a fall without that says the
// installer turns away from the peak.
static void seek(PeakGuide& guide, const PeakReading& reading, double value)
{
    if (reading.hasValue && value < guide.lowSinceTurn) guide.lowSinceTurn = value;
    if (!guide.risen && overTheTop(guide, value)) {
        guide.risen = true;
        if (guide.step == PeakWrongWay) enterStep(guide, PeakRising, reading.atMs);
    }
    if (guide.beyondEdge < readingsBeyond) return;
    if (guide.risen) {
        addMark(guide, PeakMarkEdgeOne, reading, value);
        guide.bestSinceEdge = value;
        guide.lowSinceTurn = reading.hasValue ? value : guide.best - guide.edgeDb;
        guide.beyondEdge = 0;
        guide.pastPeak = 0;
        enterStep(guide, PeakEdgeOne, reading.atMs);
    } else if (guide.step != PeakWrongWay) {
        guide.lowSinceTurn = reading.hasValue ? value : guide.best - guide.edgeDb;
        enterStep(guide, PeakWrongWay, reading.atMs);
    }
}

// The way back, over the top again and past the peak to the second edge.
static void comeBack(PeakGuide& guide, const PeakReading& reading, double value)
{
    if (value > guide.bestSinceEdge) guide.bestSinceEdge = value;
    if (reading.hasValue && value < guide.lowSinceTurn) guide.lowSinceTurn = value;
    if (overTheTop(guide, value)) guide.nearPeakAgain = true;
    if (!guide.nearPeakAgain) return;
    if (guide.beyondEdge >= readingsBeyond) {
        addMark(guide, PeakMarkEdgeTwo, reading, value);
        enterStep(guide, PeakEdgeTwo, reading.atMs);
        return;
    }
    guide.pastPeak = value <= guide.bestSinceEdge - passDb(guide.edgeDb) ? guide.pastPeak + 1 : 0;
    if (guide.step == PeakEdgeOne && guide.pastPeak >= readingsBeyond) {
        addMark(guide, PeakMarkPastPeak, reading, value);
        enterStep(guide, PeakPastPeak, reading.atMs);
    }
}

// The set point, read from its first refresh on (what the card measured
// before may be of where the dish was), against the best.
static void readSetPoint(PeakGuide& guide, const PeakReading& reading, double value)
{
    if (reading.atMs - guide.stepAtMs < reading.refreshMs) return;
    if (guide.checkReadings++ == 0) guide.checkFromMs = reading.atMs;
    if (value > guide.checkBest) guide.checkBest = value;
    if (guide.checkReadings < leastCheckReadings || reading.atMs - guide.checkFromMs < checkMs) return;
    // Judged on the figure as said, to a tenth of a dB.
    guide.belowDb = std::round((guide.best - guide.checkBest) * 10.0) / 10.0;
    if (!std::isfinite(guide.belowDb)) guide.belowDb = guide.best;
    if (guide.belowDb < 0.0) guide.belowDb = 0.0;
    addMark(guide, PeakMarkCheck, reading, std::isfinite(guide.checkBest) ? guide.checkBest : value);
    const bool done = guide.belowDb <= peakDoneWithinDb + 1e-9;
    if (done && guide.axis == PeakElevation) guide.elevationDone = true;
    enterStep(guide, done ? PeakDone : PeakTryAgain, reading.atMs);
}

static void bracket(PeakGuide& guide, const PeakReading& reading)
{
    // Without a lock the C/N has fallen further than any edge.
    const double value = reading.hasValue ? reading.value : -INFINITY;
    if (guide.step == PeakChecking) return readSetPoint(guide, reading, value);
    if (guide.step == PeakEdgeTwo) {
        if (reading.atMs - guide.stepAtMs >= markPauseMs) enterStep(guide, PeakSetHalfway, reading.atMs);
        return;
    }
    if (guide.step == PeakSetHalfway) return;  // the best stays as the edges were judged by
    if (value > guide.best) guide.best = value;
    guide.beyondEdge = value <= guide.best - guide.edgeDb ? guide.beyondEdge + 1 : 0;
    if (guide.step == PeakEdgeOne || guide.step == PeakPastPeak) return comeBack(guide, reading, value);
    seek(guide, reading, value);
}

bool peakTakeReading(PeakGuide& guide, const PeakReading& reading)
{
    if (!peakRunning(guide)) return false;
    const uint32_t changes = guide.changes;
    if (reading.tune != guide.tune) {
        enterStep(guide, PeakRetuned, reading.atMs);
        return true;
    }
    // A card measures its figures only so often: the readings between repeat its last measure.
    if (guide.counting && reading.atMs - guide.countedAtMs + paceSlackMs < reading.refreshMs) return false;
    guide.counting = true;
    guide.countedAtMs = reading.atMs;
    if (!guide.hasBest) {
        if (!readyToBracket(guide, reading)) return guide.changes != changes;
        guide.hasBest = true;
        guide.best = guide.lowSinceTurn = reading.value;
        noteStep(guide, reading.value);
        enterStep(guide, PeakSeeking, reading.atMs);
        return true;
    }
    if (reading.hasValue && noteStep(guide, reading.value) && guide.edgeDb <= wholeDecibelEdgeDb + 1e-9) {
        enterStep(guide, PeakCoarse, reading.atMs);
        return true;
    }
    bracket(guide, reading);
    return guide.changes != changes;
}
