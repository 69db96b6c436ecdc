// Files named on azimora-dvb's command line are regular files only: a FIFO
// would stall the helper, a device such as /dev/zero never ends and a folder
// holds no text. Reading is bounded and opening never waits. POSIX.
#pragma once
#include <cstddef>
#include <string>

// The whole file, at most `limit` bytes; false with `error` set to words
// for the user ("is not a regular file", "is larger than 65536 bytes").
bool readRegularFile(const std::string& path, size_t limit, std::string* text, std::string* error);

// Opens for appending, creating it; -1 with `error` set.
int appendToRegularFile(const std::string& path, std::string* error);
