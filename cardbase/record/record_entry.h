// One measurement of one transponder as the record keeps it, and its lines:
// the entry's line of the record's CSV and the lines of its thinned C/N
// series in the second CSV, keyed by the measurement's id. The columns are
// one table, which writes the header and every line alike (and names each
// column's meaning for the documents' check). Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"
#include "cardbase/lnb_error.h"
#include "cardbase/margin/link_margin.h"
#include "cardbase/network/network_watch.h"
#include "cardbase/pointing/look_angles.h"

// The least, the middle and the greatest of the locked readings; the
// middle one of an even number is the lower of the two.
struct RecordSpread {
    bool known = false;
    double minimum = 0.0;
    double median = 0.0;
    double peak = 0.0;
};

struct RecordPointing {
    bool known = false;
    DishSite site{};
    double satelliteLongitudeDeg = 0.0;  // east positive
    double azimuthDeg = 0.0;             // from true north
    bool hasMagneticAzimuth = false;
    double magneticAzimuthDeg = 0.0;  // what a compass reads
    double elevationDeg = 0.0;
    double skewDeg = 0.0;  // the LNB's turn, clockwise seen from behind the dish
};

struct RecordEntry {
    std::string id;
    int64_t startUnixMs = 0;  // when the transponder was asked for
    int32_t zoneMinutes = 0;  // the PC's offset from UTC then
    uint32_t durationMs = 0;  // from then to the last reading
    std::string card;         // UTF-8
    CardTuning asked;         // the transponder as the program asked for it
    uint32_t readings = 0;
    uint32_t lockedReadings = 0;
    bool locked = false;  // at least once
    uint32_t timeToLockMs = 0;
    bool carrierToNoiseInDecibels = false;  // else the C/N and margin columns stay empty
    RecordSpread carrierToNoiseDb;          // of the locked readings, with the C/N in dB
    RecordSpread qualityPercent;            // of the locked readings
    LinkMargin margin;                      // at the median C/N
    NetworkReport network;                  // the network's word, as it was last known while locked
    std::vector<PositionTenths> expected;   // the catalogue's positions for the transponder
    RecordPointing pointing;
    bool interrupted = false;  // kept aside while running: the program ended before the measurement
    std::string remark;        // the measurer's own words for the note ("survey of 19.2E"), UTF-8
    std::string singleCable;   // "en50494,1,1210" (never the PIN) through a single-cable device, else ""
    std::string userBandNote;  // "another receiver uses user band 1" when the stream changed under the tune
    LnbError lnbError;         // the mean over the locked readings that had one, or why none
};

// What the columns "verdict" and the phone page's colours say: "good",
// "marginal", "failing" (the margin's verdict), "locked" (no margin to
// judge), "no lock".
std::string entryVerdict(const RecordEntry& entry);

struct RecordColumn {
    const char* name;
    const char* meaning;  // with its unit, for the documents
    std::string (*value)(const RecordEntry& entry);
};
extern const RecordColumn recordColumns[];
extern const size_t recordColumnCount;

// The header line and an entry's line, each ended with CR LF. A file
// whose header is another (an older version's, without single_cable) is
// moved aside before the next line is added (record_store.h).
std::vector<std::string> recordColumnNames();
std::string recordHeaderLine();
std::string recordLine(const RecordEntry& entry);

// One point a second of the thinned C/N series.
struct RecordSeriesPoint {
    uint32_t second = 0;  // since the transponder was asked for
    bool locked = false;
    float carrierToNoiseDb = 0.0f;
    int32_t qualityPercent = 0;
};

struct SeriesColumn {
    const char* name;
    const char* meaning;
};
extern const SeriesColumn seriesColumns[];
extern const size_t seriesColumnCount;

std::vector<std::string> seriesColumnNames();
std::string seriesHeaderLine();
// The series' lines; the C/N stays empty without lock or without a C/N in dB.
std::string seriesLines(const std::string& id, bool carrierToNoiseInDecibels,
                        const std::vector<RecordSeriesPoint>& series);

// "H", "V" or "" (no letter), as the phone page shows it.
const char* recordPolarization(int32_t polarization);
// A C/N figure as the record and the phone page's readings write it: two decimals.
std::string decibelText(double decibels);
