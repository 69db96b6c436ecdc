// One measurement, from the start that asked for a transponder until it
// ends (the caller decides when: the next start, the card released, or
// measurementIdleMs without a reading), gathered into a record entry and
// its thinned C/N series. Bounded however long it runs: the C/N and the
// quality are counted by value, and the series keeps its last
// seriesLimitPoints points. Platform-neutral; the caller supplies the
// clocks and keeps it from two threads at once.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "cardbase/record/record_entry.h"
#include "cardbase/signal_scale.h"

// The program is measuring while it asks for the status; this long without
// a status query, it has stopped.
constexpr uint32_t measurementIdleMs = 3000;
// One point a second, ten minutes at most.
constexpr uint32_t seriesPointMs = 1000;
constexpr size_t seriesLimitPoints = 600;

// What the card knows beside a reading, as it hands the reading on.
struct MeasurementContext {
    bool carrierToNoiseInDecibels = false;
    LinkMargin margin;  // of this reading
    NetworkReport network;
    std::vector<PositionTenths> expected;  // the catalogue's positions for the transponder
    std::string singleCable;               // "en50494,1,1210" (never the PIN) through a single-cable device
    std::string userBandNote;              // "another receiver uses user band 1" since the start, else ""
    LnbError lnbError;                     // the LNB's own error as the card knows it now
};

// Where the dish stands, when the card's settings file names it.
struct RecordSite {
    bool known = false;
    DishSite site{};
};

struct Measurement {
    bool running = false;
    RecordEntry entry;  // the start's parts, and the counts so far
    uint32_t startMs = 0;
    uint32_t lastReadingMs = 0;
    std::map<int32_t, uint32_t> carrierToNoise;  // hundredths of a dB as the readings show them, by count
    std::map<int32_t, uint32_t> quality;
    bool hasChoice = false;  // a modulation and code rate was named while locked
    LinkMargin choiceMargin;
    LinkMargin lastLockedMargin;
    std::deque<RecordSeriesPoint> series;
    // The LNB's error over the locked readings that had one, for its mean.
    int64_t lnbErrorSumKHz = 0;
    uint32_t lnbErrorReadings = 0;
    LnbError lnbError;  // the latest one, known or why not
};

// A new measurement of the transponder just asked for (the end of one
// running is the caller's, before). `unixMs` and `zoneMinutes` are the
// wall clock and the PC's offset from UTC; `nowMs` any millisecond clock.
void startMeasurement(Measurement& measurement, const std::string& id, const std::string& card, const CardTuning& asked,
                      int64_t unixMs, int32_t zoneMinutes, uint32_t nowMs);
void measureReading(Measurement& measurement, const SignalReading& reading, const MeasurementContext& context,
                    uint32_t nowMs);
// Whether the program has stopped asking: no reading for measurementIdleMs
// (counted from the start until the first reading).
bool measurementIdle(const Measurement& measurement, uint32_t nowMs);

// The entry as it stands: its figures, the margin at the median C/N, the
// pointing for the site (at the start's moment) where one is known.
RecordEntry measurementEntry(const Measurement& measurement, const RecordSite& site);
// The pointing alone (the costly part, a millisecond or so), for an entry
// taken without a site.
RecordPointing recordPointing(const RecordEntry& entry, const RecordSite& site);
std::vector<RecordSeriesPoint> measurementSeries(const Measurement& measurement);

// "20250131T101502Z-3f2a-7": the start in UTC, the recorder's tag and its count.
std::string measurementId(int64_t unixMs, const std::string& tag, uint32_t count);
