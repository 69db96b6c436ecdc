// Arbitrary containers through the decoder: it must stay inside the input and
// the output buffer (both exactly sized, so the sanitizers see any stray
// access), and a success must mean the whole announced size was written.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/packed_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint32_t announced = packedImageSize(data, size);
    // Large announced sizes are decoded into a smaller buffer: the decoder
    // must stop at the buffer's end all the same.
    std::vector<uint8_t> out(std::min<size_t>(announced, size_t(1) << 20));
    const uint32_t written = unpackImage(data, size, out.data(), out.size());
    if (written != 0 && (written != announced || written > out.size())) std::abort();

    if (written != 0 && size >= packedHeaderSize) {
        // Without its checksum the same stream must decode to the same bytes.
        std::vector<uint8_t> unchecked(data, data + size);
        std::memset(unchecked.data() + 6, 0, 4);
        std::vector<uint8_t> again(out.size());
        if (unpackImage(unchecked.data(), unchecked.size(), again.data(), again.size()) != written) std::abort();
        if (again != out) std::abort();
    }
    return 0;
}
