// Built-in data (RT_RCDATA resources), used in place.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Bytes of the named resource of `module` (null: the program's own module);
// they stay valid while the module is loaded. Null when the resource is
// missing. Its size goes to `size` when one is given (0 when missing).
const uint8_t* resourceBytes(HMODULE module, const char* name, size_t* size = nullptr);

// The program's own data, valid for the whole run.
inline const uint8_t* loadResourceData(const char* name) { return resourceBytes(nullptr, name); }
