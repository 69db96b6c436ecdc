// Reading one entry of satellite.ini into tuning parameters.
#pragma once
#include <cstddef>
#include <cstdint>

#include "app/app_types.h"

enum CatalogueOutcome {
    CatalogueOk,             // the entry is good; tuning and bannerText hold it
    CatalogueBadFrequency,   // "Invalid parameter of transponder frequency ..."
    CatalogueBadSymbolRate,  // "Invalid parameter of symbol rate ..."
};

// Finds entry `index` (0 for the file's first entry, otherwise the entry after
// the index-th ";") in the file's bytes and reads its name and parameters.
//
// What is changed, by outcome:
// - entry found, either way: bannerText is set to the name's first 32
//   characters, filled with blanks to position 30 and a zero at 31 (a name of
//   32 or more characters leaves no zero byte); polarization is set from the
//   first non-digit after "=" (0 for h/H, 1 for v/V, 3 otherwise), and left
//   alone when the 11 examined bytes are all digits; frequencyMHz is stored.
// - CatalogueBadFrequency after that: symbolRate is left alone.
// - CatalogueBadSymbolRate or CatalogueOk: symbolRate is stored as well.
// - entry not found (a negative index, fewer ";" than the index, no "]" after
//   the name's start, or an entry cut off by the file's end: fewer than 11
//   bytes after the "=" and no ";" among them): nothing at all is changed,
//   neither tuning nor bannerText, and the outcome is CatalogueBadFrequency,
//   since the file holds no usable transponder there. A last entry that ends
//   the file without a line end is read from the bytes it has.
// diseqcCode is never touched: a catalogue start keeps the last typed one.
// No byte outside bytes[0 .. size - 1] is ever read.
CatalogueOutcome examineCatalogueEntry(const char* bytes, size_t size, int32_t index, TuningParameters& tuning,
                                       char bannerText[32]);
