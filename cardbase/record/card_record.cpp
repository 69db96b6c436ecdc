#include "cardbase/record/card_record.h"

#include <windows.h>

#include <new>
#include <vector>

#include "app/wall_clock.h"
#include "cardbase/card_clock.h"
#include "cardbase/module_thread.h"
#include "cardbase/record/record_store.h"
#include "cardbase/thread_name.h"

struct EndedMeasurement {
    RecordEntry entry;
    std::vector<RecordSeriesPoint> series;
};

struct CardRecord {
    std::string card;
    RecordSite site;
    std::string folder;
    std::string tag;        // this process's id and this record's number in it
    CRITICAL_SECTION lock;  // guards what follows: readings come on the card's thread
    bool tuned = false;
    CardTuning tuning;
    uint32_t count = 0;
    Measurement measurement;
    bool keptAside = false;
    uint32_t keptAtMs = 0;
    std::vector<EndedMeasurement> ended;  // to be written
    HANDLE wake = nullptr;
    HANDLE thread = nullptr;
    volatile LONG ending = 0;
};

// How often the thread looks for the idle end.
static const DWORD lookMs = 250;
// The end of the thread is waited for this long: it only writes a few lines.
static const DWORD endingMs = 10000;
// A program that tunes faster than the disk takes its lines loses the oldest.
static const size_t endedLimit = 64;
static volatile LONG recordsMade = 0;

// The running measurement as it stands, without its pointing, which the
// thread works out after the lock is let go.
static EndedMeasurement takenNow(const Measurement& running)
{
    return EndedMeasurement{measurementEntry(running, RecordSite()), measurementSeries(running)};
}

// With the lock held: the running measurement, if it has readings, goes to be written.
static void endMeasurement(CardRecord& record)
{
    Measurement& running = record.measurement;
    if (running.running && running.entry.readings > 0) {
        if (record.ended.size() >= endedLimit) record.ended.erase(record.ended.begin());
        record.ended.push_back(takenNow(running));
    }
    running.running = false;
    record.keptAside = false;
}

static void beginMeasurement(CardRecord& record, uint32_t nowMs)
{
    const int64_t unixMs = wallClockMs();
    startMeasurement(record.measurement, measurementId(unixMs, record.tag, ++record.count), record.card, record.tuning,
                     unixMs, zoneMinutesAt(unixMs), nowMs);
}

static void writeEnded(RecordStore& store, const RecordSite& site, std::vector<EndedMeasurement>& ended)
{
    for (EndedMeasurement& one : ended) {
        one.entry.pointing = recordPointing(one.entry, site);
        appendRecord(store, one.entry, one.series);
    }
    ended.clear();
}

static DWORD WINAPI recordThread(void* parameter)
{
    CardRecord& record = *static_cast<CardRecord*>(parameter);
    nameThisThread("record");
    RecordStore store;
    openRecordStore(store, record.folder, record.tag);
    for (;;) {
        WaitForSingleObject(record.wake, lookMs);
        const bool ending = record.ending != 0;
        std::vector<EndedMeasurement> ended;
        bool keep = false;
        EndedMeasurement aside;
        EnterCriticalSection(&record.lock);
        const uint32_t now = cardClockMs();
        if (ending || measurementIdle(record.measurement, now)) endMeasurement(record);
        ended.swap(record.ended);
        const Measurement& running = record.measurement;
        if (running.running && running.entry.readings > 0 &&
            (!record.keptAside || now - record.keptAtMs >= runningFileIntervalMs)) {
            keep = record.keptAside = true;
            record.keptAtMs = now;
            aside = takenNow(running);
        }
        LeaveCriticalSection(&record.lock);
        writeEnded(store, record.site, ended);
        if (keep) {
            aside.entry.pointing = recordPointing(aside.entry, record.site);
            keepRunning(store, aside.entry, aside.series);
        }
        if (ending) break;
    }
    closeRecordStore(store);
    return 0;
}

static void freeRecord(CardRecord* record)
{
    if (record->thread) CloseHandle(record->thread);
    if (record->wake) CloseHandle(record->wake);
    DeleteCriticalSection(&record->lock);
    delete record;
}

CardRecord* startCardRecord(const std::string& cardName, const RecordSite& site)
{
    const std::string folder = recordFolder();
    if (folder.empty()) return nullptr;
    CardRecord* record = new (std::nothrow) CardRecord();
    if (!record) return nullptr;
    InitializeCriticalSection(&record->lock);
    record->card = cardName;
    record->site = site;
    record->folder = folder;
    record->tag = std::to_string(GetCurrentProcessId()) + "." + std::to_string(InterlockedIncrement(&recordsMade));
    record->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (record->wake) record->thread = CreateThread(nullptr, 0, recordThread, record, 0, nullptr);
    if (!record->thread) {
        freeRecord(record);
        return nullptr;
    }
    return record;
}

void stopCardRecord(CardRecord* record)
{
    if (!record) return;
    // A thread that did not end in time still uses the record: it is left to it.
    if (endModuleThread(record->thread, &record->ending, record->wake, endingMs)) freeRecord(record);
}

std::string cardRecordFolder(const CardRecord* record) { return record ? record->folder : std::string(); }

void recordTuned(CardRecord* record, const CardTuning& tuning)
{
    if (!record) return;
    EnterCriticalSection(&record->lock);
    endMeasurement(*record);
    record->tuned = true;
    record->tuning = tuning;
    beginMeasurement(*record, cardClockMs());
    LeaveCriticalSection(&record->lock);
    SetEvent(record->wake);
}

void recordReading(CardRecord* record, const SignalReading& reading, const MeasurementContext& context)
{
    if (!record) return;
    EnterCriticalSection(&record->lock);
    const uint32_t now = cardClockMs();
    // The program measures again after a pause, without a new start.
    if (!record->measurement.running && record->tuned) beginMeasurement(*record, now);
    measureReading(record->measurement, reading, context, now);
    LeaveCriticalSection(&record->lock);
}
