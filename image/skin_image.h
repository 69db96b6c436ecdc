// Loading the packed skin picture from the program's resources. Win32 only.
#pragma once
#include <windows.h>

#include <cstdint>

// Unpacks the RT_RCDATA resource `resourceName` of the program's own module,
// fills `header` (all 44 bytes: a bottom-up 24-bit BI_RGB BITMAPINFOHEADER and
// one unused colour entry) and returns a new pixel buffer of height rows of
// width x 3 bytes padded to 4, allocated with std::malloc (free it with
// std::free). A missing resource or one that does not unpack cleanly (bad
// magic, damaged stream, checksum mismatch, a payload too short for the size
// it announces) gives a black picture of the skin's size, 646 x 200. Null
// only when memory runs out.
uint8_t* loadSkinImage(const char* resourceName, BITMAPINFO* header);
