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
    SectionWatch watch;
    std::vector<std::vector<uint8_t>> queue;
    HANDLE wake = nullptr;  // auto-reset: sections queued, a new reading, or the end
    HANDLE thread = nullptr;
    volatile LONG stopping = 0;
    // The card and, once started, the thread: whichever lets go last frees the reader.
    volatile LONG holders = 1;
    IMpeg2Data* tables = nullptr;  // the thread's own, where sections are asked for table by table
};

// A reader held by the card; null without memory or an event.
SectionReader* createSectionReader();
// Starts the thread; `tables` (may be null) gains a reference of the thread's.
bool startSectionReader(SectionReader& reader, IMpeg2Data* tables);

// Through a single-cable device: the PAT's stream id is watched while locked.
void sectionReaderWatchBand(SectionReader& reader);
// A new start: what was gathered belongs to the transponder before.
void sectionReaderRestart(SectionReader& reader);
// The lock of the latest reading; a lost lock begins a new reading.
void sectionReaderLock(SectionReader& reader, bool locked);
// Bytes of whole sections, from any thread; kept only while wanted.
void offerSections(SectionReader& reader, const BYTE* bytes, size_t size);
// The identity found for the current lock, once.
bool takeSectionIdentity(SectionReader& reader, NetworkIdentity* identity);
// That the stream's id changed under a steady tune (another receiver took the user band), once.
bool takeSectionBandShared(SectionReader& reader);

// Tells the thread to end, without waiting for it.
void askSectionReaderToStop(SectionReader& reader);
// Waits up to timeoutMs for the thread to end, then lets go of the reader
// (null afterwards). A thread still in a call into the graph keeps the
// reader and its reference to the filter, and frees both once the call
// returns; this module then stays loaded for good. False in that case.
bool endSectionReader(SectionReader*& reader, DWORD timeoutMs);
