#include "image/skin_pixels.h"

#include <cstdlib>
#include <cstring>

static int32_t loadLittleEndianSigned32(const uint8_t* p)
{
    uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return int32_t(u);
}

static constexpr int32_t largestSide = 32767;

uint32_t skinStride(int32_t width) { return (uint32_t(width) * 3 + 3) & ~uint32_t(3); }

bool readSkinSize(const uint8_t* payload, size_t payloadLength, int32_t* width, int32_t* height)
{
    if (!payload || payloadLength < skinPayloadHeaderSize) return false;
    int32_t w = loadLittleEndianSigned32(payload);
    int32_t h = loadLittleEndianSigned32(payload + 4);
    if (w < 1 || w > largestSide || h < 1 || h > largestSide) return false;
    uint64_t pixelBytes = uint64_t(w) * uint64_t(h) * 3;
    if (pixelBytes > payloadLength - skinPayloadHeaderSize) return false;
    *width = w;
    *height = h;
    return true;
}

uint8_t* makeSkinPixels(const uint8_t* payload, size_t payloadLength, int32_t* width, int32_t* height)
{
    int32_t w = skinWidth;
    int32_t h = skinHeight;
    bool usable = readSkinSize(payload, payloadLength, &w, &h);
    if (!usable) {
        w = skinWidth;
        h = skinHeight;
    }
    size_t bufferSize = size_t(skinStride(w)) * size_t(h);
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(bufferSize));
    if (!pixels) return nullptr;
    size_t copied = usable ? size_t(w) * size_t(h) * 3 : 0;
    if (copied) std::memcpy(pixels, payload + skinPayloadHeaderSize, copied);
    std::memset(pixels + copied, 0, bufferSize - copied);
    *width = w;
    *height = h;
    return pixels;
}
