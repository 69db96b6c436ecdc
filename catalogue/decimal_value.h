// Decimal reading shared by the catalogue and the typed entry.
#pragma once
#include <cstddef>
#include <cstdint>

// Reads a decimal number from exactly `length` characters, never looking past
// them: leading white space is skipped, one optional sign is taken, then digits
// up to the first other character. No digit at all gives 0. A value that does
// not fit in 32 bits sticks at INT32_MAX or INT32_MIN, as strtol does where long
// is 32 bits wide.
int32_t decimalValue(const char* text, size_t length);
