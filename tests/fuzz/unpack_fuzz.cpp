// Arbitrary containers through the decoder: it must stay inside the input and
// the output buffer (both exactly sized, so the sanitizers see any stray
// access), and a success must mean the whole announced size was written.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "image/packed_image.h"

// The output buffer follows the input instead of being a fixed megabyte:
// announced sizes up to 64 KiB plus 256 bytes per input byte get a buffer of
// exactly their size (the success paths and the checksum), larger ones a
// buffer the decoder must stop at. 64 KiB keeps the farthest copies (and
// their length bonus) within reach. Nothing is cleared: the decoder writes
// every byte it later reads or reports.
static size_t outputCapacity(size_t inputSize, uint32_t announced)
{
    return std::min<size_t>(announced, 65536 + 256 * inputSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint32_t announced = packedImageSize(data, size);
    const size_t capacity = outputCapacity(size, announced);
    std::unique_ptr<uint8_t[]> out(new uint8_t[capacity]);
    const uint32_t written = unpackImage(data, size, out.get(), capacity);
    if (written != 0 && (written != announced || written > capacity)) std::abort();

    if (written != 0 && size >= packedHeaderSize) {
        // Without its checksum the same stream must decode to the same bytes.
        std::unique_ptr<uint8_t[]> unchecked(new uint8_t[size]);
        std::memcpy(unchecked.get(), data, size);
        std::memset(unchecked.get() + 6, 0, 4);
        std::unique_ptr<uint8_t[]> again(new uint8_t[capacity]);
        if (unpackImage(unchecked.get(), size, again.get(), capacity) != written) std::abort();
        if (std::memcmp(again.get(), out.get(), written) != 0) std::abort();
    }
    return 0;
}
