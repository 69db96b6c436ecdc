// Turns rendered artwork into the program's resources: the unpacked skin payload
// (picture size and bottom-up 24-bit DIB pixels) and the 256-colour icon file.
#pragma once

#include <cstdint>
#include <vector>

// The skin payload: width and height as signed 32-bit little-endian numbers, then
// the first width * height * 3 bytes of the bottom-up 24-bit DIB pixel array
// (rows padded to skinStride) of the picture. `rgb` holds width * height pixels,
// top row first, three bytes each in the order red, green, blue.
std::vector<uint8_t> makeSkinPayload(const uint8_t* rgb, int32_t width, int32_t height);

// One square icon picture: size * size pixels, top row first, red, green, blue,
// alpha. Pixels with alpha below 128 become transparent.
struct IconPicture {
    int32_t size;
    std::vector<uint8_t> rgba;
};

// An icon picture reduced to 256 colours. palette[0] is black and is what every
// transparent pixel shows; the other entries are the picture's own colours.
struct IndexedPicture {
    int32_t size;
    std::vector<uint32_t> palette;     // 256 entries, 0x00RRGGBB
    std::vector<uint8_t> indices;      // size * size, top row first
    std::vector<uint8_t> transparent;  // size * size, 1 where the AND mask is set
};

IndexedPicture indexIconPicture(const IconPicture& picture);

// A complete .ico file with one 8-bit palettized entry (colour table, XOR pixels
// and AND mask) for each picture, in the order given.
std::vector<uint8_t> makeIconFile(const std::vector<IconPicture>& pictures);
