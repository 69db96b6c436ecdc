// Where the program's own folder ends in its module path.
#pragma once
#include <cstddef>

// Length of the folder part of a module path of `length` characters: up to,
// not including, the last backslash found searching back to the second
// character; without one, the path minus its last character.
size_t moduleDirectoryLength(const char* path, size_t length);
