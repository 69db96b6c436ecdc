#include "image/skin_image.h"

#include <cstdlib>
#include <cstring>

#include "app/resource_data.h"
#include "image/packed_image.h"
#include "image/skin_pixels.h"

uint8_t* loadSkinImage(const char* resourceName, BITMAPINFO* header)
{
    size_t packedLength = 0;
    const uint8_t* packed = resourceBytes(nullptr, resourceName, &packedLength);

    uint32_t unpackedSize = packedImageSize(packed, packedLength);
    uint8_t* payload = unpackedSize ? static_cast<uint8_t*>(std::malloc(unpackedSize)) : nullptr;
    uint32_t written = payload ? unpackImage(packed, packedLength, payload, unpackedSize) : 0;

    int32_t width = 0;
    int32_t height = 0;
    uint8_t* pixels = makeSkinPixels(written ? payload : nullptr, written, &width, &height);
    std::free(payload);

    std::memset(header, 0, sizeof(BITMAPINFO));
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = width;
    header->bmiHeader.biHeight = height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = 24;
    header->bmiHeader.biCompression = BI_RGB;
    return pixels;
}
