#pragma once
#include <cstddef>

// Number of characters of the built-in default entry that go into the typed
// entry: everything before the last ";" among its first 13 bytes; -1 when
// there is none.
int defaultEntryLength(const char* resource, size_t size);
