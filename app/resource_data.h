// The program's own built-in data (RT_RCDATA resources), used in place.
#pragma once
#include <cstddef>
#include <cstdint>

// Bytes of the named resource; they stay valid for the whole run. Null when
// the resource is missing.
const uint8_t* loadResourceData(const char* name);
// Size in bytes of the named resource; 0 when it is missing.
size_t resourceDataSize(const char* name);
