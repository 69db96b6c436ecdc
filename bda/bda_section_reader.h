// The bridge's reading of the tuned stream's sections, on a thread of its
// own so that it never holds up a reading: sections come either pushed by
// the graph's section sink (the demultiplexer's thread hands them over, and
// they wait here in a short queue) or asked for table by table from a filter
// that offers IMpeg2Data. What they tell is gathered per reading
// (bda_sections.h): a new start or a lost lock begins a new one, and only
// while locked are sections wanted at all. The identity found waits here
// until the card takes it.
#pragma once
#include <windows.h>

#include <vector>

#include "bda/bda_ids.h"
#include "bda/bda_sections.h"

struct SectionReader {
    CRITICAL_SECTION lock;  // guards the watch and the queue
    bool opened = false;
    SectionWatch watch;
    std::vector<std::vector<uint8_t>> queue;
    HANDLE wake = nullptr;  // auto-reset: sections queued, a new reading, or the end
    HANDLE thread = nullptr;
    volatile LONG stopping = 0;
    IMpeg2Data* tables = nullptr;  // the thread's, where sections are asked for table by table
};

bool openSectionReader(SectionReader& reader);
// Starts the thread; `tables` (may be null) gains a reference of the reader's.
bool startSectionReader(SectionReader& reader, IMpeg2Data* tables);

// A new start: what was gathered belongs to the transponder before.
void sectionReaderRestart(SectionReader& reader);
// The lock of the latest reading; a lost lock begins a new reading.
void sectionReaderLock(SectionReader& reader, bool locked);
// Bytes of whole sections, from any thread; kept only while wanted.
void offerSections(SectionReader& reader, const BYTE* bytes, size_t size);
// The identity found for the current lock, once.
bool takeSectionIdentity(SectionReader& reader, NetworkIdentity* identity);

// Ends the thread within timeoutMs. False when it still waits in a call
// into the graph: it is then left with everything it uses (never freed),
// and so is this module.
bool stopSectionReader(SectionReader& reader, DWORD timeoutMs);
// After a stop that ended the thread, or when it never started.
void closeSectionReader(SectionReader& reader);
