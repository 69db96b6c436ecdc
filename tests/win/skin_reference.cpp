#include "tests/win/skin_reference.h"

#include <windows.h>

#include <cstdlib>

#include "app/resource_data.h"
#include "image/packed_image.h"
#include "image/skin_pixels.h"

namespace {
struct Skin {
    uint8_t* pixels = nullptr;
    int32_t width = 0, height = 0;
};

const Skin& skin()
{
    static Skin loaded;
    if (loaded.pixels) return loaded;
    size_t size = 0;
    const uint8_t* data = resourceBytes(nullptr, "IMGRES", &size);
    std::vector<uint8_t> payload(packedImageSize(data, size));
    const uint32_t unpacked = unpackImage(data, size, payload.data(), payload.size());
    loaded.pixels = makeSkinPixels(payload.data(), unpacked, &loaded.width, &loaded.height);
    return loaded;
}
}  // namespace

uint32_t skinPixel(int x, int y)
{
    const Skin& s = skin();
    const uint8_t* p = s.pixels + static_cast<size_t>(s.height - 1 - y) * skinStride(s.width) + x * 3;
    return rgb(p[2], p[1], p[0]);
}

std::vector<uint32_t> skinCell(const CellRect& cell)
{
    std::vector<uint32_t> pixels;
    for (int y = cell.y; y < cell.y + cell.height; ++y)
        for (int x = cell.x; x < cell.x + cell.width; ++x) pixels.push_back(skinPixel(x, y));
    return pixels;
}
