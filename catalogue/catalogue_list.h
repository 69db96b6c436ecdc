// Turning the bytes of satellite.ini into the lines of the satellite list.
#pragma once
#include <cstddef>

// Receives one list line: `length` characters at `text`, with a zero byte at
// text[length] so that the text can be handed to the list control as it is.
// The text is only valid during the call.
typedef void (*CatalogueLineSink)(void* context, const char* text, size_t length);

// The longest line the list is given; longer names are cut to this.
const size_t catalogueLineCapacity = 256;
// Shorter names are filled up with blanks to this width.
const size_t catalogueLineWidth = 64;

// Walks the file once and calls addLine at every "]", in file order.
// The name is what follows the last "[" (or the file's start) before the "]";
// names under 64 characters are filled with blanks to 64, longer ones are given
// as they stand, up to 256 characters. Bytes between a "]" and the next "[" are
// not collected, and a "]" with no "[" since the previous one repeats that line.
void fillCatalogueList(const char* bytes, size_t size, CatalogueLineSink addLine, void* context);
