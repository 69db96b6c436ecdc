// Turning the unpacked skin payload (width, height, then width x height x 3
// pixel bytes of a bottom-up 24-bit picture) into a pixel buffer whose rows
// are padded to 4 bytes, as the bitmap drawing calls expect. Platform-neutral.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t skinWidth = 646;
constexpr int32_t skinHeight = 200;
constexpr size_t skinPayloadHeaderSize = 8;

// Bytes per pixel row: width x 3 rounded up to a multiple of 4.
uint32_t skinStride(int32_t width);

// Reads width and height from the payload. False when the payload is too
// short for them or for the pixel bytes they announce, or when either is not
// in 1 to 32767.
bool readSkinSize(const uint8_t* payload, size_t payloadLength, int32_t* width, int32_t* height);

// A new pixel buffer (std::malloc, height x skinStride(width) bytes) holding
// the payload's pixel bytes in their stored order and zeros after them. A
// payload that readSkinSize rejects (null included) gives a black picture of
// the skin's own size instead, so the window can still be drawn. Stores the
// dimensions of the buffer in width and height; null only when the
// allocation fails.
uint8_t* makeSkinPixels(const uint8_t* payload, size_t payloadLength, int32_t* width, int32_t* height);
