// Reading a whole file into memory at once.
#pragma once
#include <windows.h>

#include <cstddef>

struct FileBytes {
    char* bytes;  // std::malloc'ed; null when empty
    size_t size;
};

// Reads the whole file with one call into a buffer of its size, opening it
// with the given sharing; a file that gives no size is read until it ends.
// False when it cannot be opened; a file that cannot be held in memory reads
// as empty.
bool readWholeFile(const char* path, DWORD shareMode, FileBytes* file);
