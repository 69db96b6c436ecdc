// A generated stand-in for the skin picture, for measuring the packer and the
// decoder on data shaped like the real thing: flat panels, gradients, button
// faces in two states, glyphs with soft edges and a little texture.
#pragma once
#include <cstdint>
#include <vector>

// The payload layout the program unpacks: width, height (signed 32-bit little
// endian), then the first width x height x 3 bytes of a bottom-up 24-bit
// bitmap whose rows are padded to 4 bytes. rgbTopDown holds width x height
// pixels, top row first, 3 bytes each in the order red, green, blue.
std::vector<uint8_t> picturePayload(int32_t width, int32_t height, const std::vector<uint8_t>& rgbTopDown);

// A 646 x 200 picture payload (387,608 bytes), the same every time.
std::vector<uint8_t> syntheticSkinPayload();
