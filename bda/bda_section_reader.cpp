#include "bda/bda_section_reader.h"

#include <new>

#include "bda/bda_driver_thread.h"
#include "cardbase/card_clock.h"

// Enough for every section of a big NIT with its PAT and SDT; a reader that
// falls behind drops what comes beyond, and the stream repeats it.
static constexpr size_t maxQueuedSections = 64;
// How long the thread sleeps when there is nothing to do, so that it sees
// the end even if a wake-up were lost.
static constexpr DWORD idleWaitMs = 500;

// The tables asked for one by one, each with the time it may take: a
// stream repeats its PAT at least every 0.5 s, its SDT every 2 s, its NIT
// every 10 s.
struct TableRequest {
    PID pid;
    TID tid;
    DWORD timeoutMs;
};
static const TableRequest tableRequests[] = {
    {patPid, patTable, 1000},
    {sdtPid, sdtActualTable, 2500},
    {nitPid, nitActualTable, 10500},
};

SectionReader* createSectionReader()
{
    SectionReader* reader = new (std::nothrow) SectionReader;
    if (!reader) return nullptr;
    reader->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!reader->wake) {
        delete reader;
        return nullptr;
    }
    InitializeCriticalSection(&reader->lock);
    return reader;
}

static void letGo(SectionReader* reader)
{
    if (InterlockedDecrement(&reader->holders) != 0) return;
    CloseHandle(reader->wake);
    DeleteCriticalSection(&reader->lock);
    delete reader;
}

template <typename Work>
static auto underLock(SectionReader& reader, Work work) -> decltype(work())
{
    EnterCriticalSection(&reader.lock);
    auto result = work();
    LeaveCriticalSection(&reader.lock);
    return result;
}

// What the thread knows of the reading it gathers for.
struct Gathering {
    uint32_t generation = 0;
    SectionGathering sections;
};

// Starts again when the reading has changed; true while sections are wanted.
static bool followReading(SectionReader& reader, Gathering& gathering)
{
    uint32_t generation = 0;
    const bool wanted = underLock(reader, [&] {
        generation = reader.watch.generation;
        return sectionsWanted(reader.watch);
    });
    if (generation != gathering.generation) {
        gathering.generation = generation;
        gathering.sections = SectionGathering();
    }
    return wanted;
}

static void reportIdentity(SectionReader& reader, const Gathering& gathering)
{
    NetworkIdentity identity;
    if (!gatheredIdentity(gathering.sections, cardClockMs(), &identity)) return;
    underLock(reader, [&] {
        sectionWatchFound(reader.watch, gathering.generation, identity);
        return true;
    });
}

// A section of the current reading; a PAT's stream id also goes to the user band's watch.
static void takeSection(SectionReader& reader, Gathering& gathering, const uint8_t* bytes, size_t size)
{
    gatherSection(gathering.sections, bytes, size, cardClockMs());
    uint16_t streamId = 0;
    if (!patStreamIdOf(bytes, size, &streamId)) return;
    underLock(reader, [&] {
        sectionWatchStreamId(reader.watch, gathering.generation, streamId);
        return true;
    });
}

// Sections pushed by the sink: those queued for the current reading.
static void takeQueued(SectionReader& reader, Gathering& gathering)
{
    WaitForSingleObject(reader.wake, idleWaitMs);
    std::vector<std::vector<uint8_t>> batch;
    const uint32_t generation = underLock(reader, [&] {
        batch.swap(reader.queue);
        return reader.watch.generation;
    });
    followReading(reader, gathering);
    if (generation != gathering.generation) return;  // queued for a reading gone since
    for (const std::vector<uint8_t>& section : batch) takeSection(reader, gathering, section.data(), section.size());
    reportIdentity(reader, gathering);
}

// One table asked of the filter; false when it gave none in time.
static bool askTable(SectionReader& reader, Gathering& gathering, const TableRequest& request)
{
    ISectionList* sections = nullptr;
    if (FAILED(reader.tables->GetTable(request.pid, request.tid, nullptr, request.timeoutMs, &sections)) || !sections)
        return false;
    const uint32_t generation = gathering.generation;
    WORD count = 0;
    // A table that took its time may belong to a reading gone since.
    if (followReading(reader, gathering) && generation == gathering.generation &&
        SUCCEEDED(sections->GetNumberOfSections(&count))) {
        for (WORD i = 0; i < count; ++i) {
            DWORD length = 0;
            BYTE* bytes = nullptr;
            if (SUCCEEDED(sections->GetSectionData(i, &length, &bytes)) && bytes)
                takeSection(reader, gathering, bytes, length);
        }
    }
    sections->Release();
    return true;
}

// Tables asked for in turn while sections are wanted.
static void askTables(SectionReader& reader, Gathering& gathering)
{
    if (!followReading(reader, gathering)) {
        WaitForSingleObject(reader.wake, idleWaitMs);
        return;
    }
    bool anyCame = false;
    for (const TableRequest& request : tableRequests) {
        if (reader.stopping || !followReading(reader, gathering)) return;
        // Once the identity is known, only the PAT is watched.
        if (request.pid != patPid && underLock(reader, [&] { return reader.watch.found; })) continue;
        anyCame = askTable(reader, gathering, request) || anyCame;
        reportIdentity(reader, gathering);
    }
    // A filter that fails at once must not make this thread spin.
    if (!anyCame) WaitForSingleObject(reader.wake, idleWaitMs);
}

static DWORD WINAPI sectionThreadMain(void* parameter)
{
    SectionReader& reader = *static_cast<SectionReader*>(parameter);
    {
        Gathering gathering;
        while (!reader.stopping) {
            if (reader.tables) askTables(reader, gathering);
            else takeQueued(reader, gathering);
        }
    }
    if (reader.tables) reader.tables->Release();
    reader.tables = nullptr;
    letGo(&reader);
    return 0;
}

bool startSectionReader(SectionReader& reader, IMpeg2Data* tables)
{
    reader.stopping = 0;
    reader.tables = tables;
    if (tables) tables->AddRef();
    InterlockedIncrement(&reader.holders);
    reader.thread = CreateThread(nullptr, 0, sectionThreadMain, &reader, 0, nullptr);
    if (reader.thread) return true;
    InterlockedDecrement(&reader.holders);
    if (tables) tables->Release();
    reader.tables = nullptr;
    return false;
}

void sectionReaderWatchBand(SectionReader& reader)
{
    underLock(reader, [&] {
        reader.watch.watchingBand = true;
        return true;
    });
}

void sectionReaderRestart(SectionReader& reader)
{
    underLock(reader, [&] {
        sectionWatchStart(reader.watch);
        reader.queue.clear();
        return true;
    });
    SetEvent(reader.wake);
}

void sectionReaderLock(SectionReader& reader, bool locked)
{
    const bool anew = underLock(reader, [&] {
        const bool begun = sectionWatchLock(reader.watch, locked);
        if (begun) reader.queue.clear();
        return begun;
    });
    if (anew) SetEvent(reader.wake);
}

void offerSections(SectionReader& reader, const BYTE* bytes, size_t size)
{
    const bool queued = underLock(reader, [&] {
        if (!sectionsWanted(reader.watch)) return false;
        bool any = false;
        eachSection(bytes, size, [&](const uint8_t* section, size_t length) {
            if (reader.queue.size() >= maxQueuedSections) return;
            reader.queue.emplace_back(section, section + length);
            any = true;
        });
        return any;
    });
    if (queued) SetEvent(reader.wake);
}

bool takeSectionIdentity(SectionReader& reader, NetworkIdentity* identity)
{
    return underLock(reader, [&] { return takeFoundIdentity(reader.watch, identity); });
}

bool takeSectionBandShared(SectionReader& reader)
{
    return underLock(reader, [&] { return takeBandShared(reader.watch); });
}

void askSectionReaderToStop(SectionReader& reader)
{
    InterlockedExchange(&reader.stopping, 1);
    SetEvent(reader.wake);
}

bool endSectionReader(SectionReader*& reader, DWORD timeoutMs)
{
    if (!reader) return true;
    bool ended = true;
    if (reader->thread) {
        ended = endModuleThread(reader->thread, &reader->stopping, reader->wake, timeoutMs);
        CloseHandle(reader->thread);
        reader->thread = nullptr;
    }
    letGo(reader);
    reader = nullptr;
    return ended;
}
