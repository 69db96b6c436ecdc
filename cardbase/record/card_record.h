// The record of a card substitute's measurements: each start that asks for
// a transponder begins a measurement, the readings handed to the program
// fill it, and it ends at the next start, when the card is released, or
// when the program has asked for no status for measurementIdleMs. A thread
// of its own keeps the files (record_store.h) in the user's record folder,
// so that no reading waits for a disk: it notices the idle end, keeps the
// running measurement aside every runningFileIntervalMs, and writes each
// ended one. Win32.
#pragma once
#include <string>

#include "cardbase/record/measurement.h"

struct CardRecord;

// Null when the record cannot be kept (no folder, no thread): the card
// measures as before. `cardName` is UTF-8.
CardRecord* startCardRecord(const std::string& cardName, const RecordSite& site);
// The running measurement ends and is written; the thread's end is waited
// for with a bound. Null does nothing.
void stopCardRecord(CardRecord* record);

// The folder the record is kept in.
std::string cardRecordFolder(const CardRecord* record);

// A complete start: the measurement running ends, a new one begins.
void recordTuned(CardRecord* record, const CardTuning& tuning);
// A reading handed to the program, with what the card knows beside it.
void recordReading(CardRecord* record, const SignalReading& reading, const MeasurementContext& context);
