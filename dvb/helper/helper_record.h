// azimora-dvb's own measurements in the record of measurements
// (cardbase/record), in $XDG_DATA_HOME/azimora: each tune it makes on its
// own behalf (--status --tune) is one measurement, fed each reading the
// worker takes once, kept aside every runningFileIntervalMs while it runs,
// and written when it ends. Serving dvbcard.dll records nothing here: the
// card records what it measures. Platform-neutral; the caller supplies the
// clocks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/record/measurement.h"
#include "cardbase/record/record_store.h"
#include "dvb/helper/frontend/frontend_worker.h"

struct HelperRecord {
    RecordStore store;
    bool open = false;
    std::string card;
    std::string singleCable;  // "en50494,1,1210" through a single-cable device, else ""
    RecordSite site;
    Measurement measurement;
    std::vector<PositionTenths> expected;  // the catalogue's positions for the transponder
    uint32_t count = 0;
    uint32_t lastNumber = 0;  // the worker's latest reading taken in (its number since the tune)
    bool keptAside = false;
    uint32_t keptAtMs = 0;
};

// False, with the problem in record.store.problem, when the record cannot
// be kept: the measurement goes on without it.
bool openHelperRecord(HelperRecord& record, const std::string& folder, const std::string& tag, const std::string& card,
                      const RecordSite& site);
void closeHelperRecord(HelperRecord& record);

// A tune begins a measurement (one running ends first).
void helperRecordTuned(HelperRecord& record, const CardTuning& tuning, const std::vector<PositionTenths>& expected,
                       int64_t unixMs, int32_t zoneMinutes, uint32_t nowMs);
// The worker's latest reading, taken in once; `user` is --modcod's word.
void helperRecordReading(HelperRecord& record, const LatestReading& latest, const ModcodWord& user, uint32_t nowMs);
// The measurement running ends and is written; false when it could not be.
bool helperRecordEnd(HelperRecord& record);
