// Reading a whole file into memory at once.
#pragma once
#include <windows.h>

#include <cstddef>

struct FileBytes {
    char* bytes;  // std::malloc'ed; null when empty
    size_t size;
};

// Reads the whole file with one call into a buffer of the size the file
// gives, opening it with the given sharing. False when it cannot be opened;
// a file that gives no size (a device, say) or that cannot be held in
// memory reads as empty.
bool readWholeFile(const char* path, DWORD shareMode, FileBytes* file);
