#include "tools/qzpack/unpack_check.h"

#include <cstring>
#include <new>

#include "image/packed_image.h"

UnpackVerdict unpackChecked(const uint8_t* packed, size_t packedLength, std::vector<uint8_t>& out)
{
    if (!packed || packedLength < packedHeaderSize || packed[0] != packedMagic0 || packed[1] != packedMagic1)
        return UnpackVerdict::BadMagic;
    const uint32_t size = packedImageSize(packed, packedLength);
    try {
        out.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return UnpackVerdict::TooLarge;
    }
    // The decoder's 0 for failure is also the size of an empty payload, so an
    // empty payload always passes.
    if (unpackImage(packed, packedLength, out.data(), out.size()) == size) return UnpackVerdict::Ok;
    // Decoding again without the checksum tells a damaged stream from a wrong checksum.
    std::vector<uint8_t> unchecked(packed, packed + packedLength);
    std::memset(unchecked.data() + 6, 0, 4);
    bool streamOk = unpackImage(unchecked.data(), unchecked.size(), out.data(), out.size()) == size;
    out.clear();
    return streamOk ? UnpackVerdict::ChecksumMismatch : UnpackVerdict::DamagedStream;
}

const char* describeVerdict(UnpackVerdict verdict)
{
    switch (verdict) {
    case UnpackVerdict::Ok: return "ok";
    case UnpackVerdict::BadMagic: return "not a packed image (bad magic)";
    case UnpackVerdict::DamagedStream: return "damaged stream";
    case UnpackVerdict::ChecksumMismatch: return "checksum mismatch";
    case UnpackVerdict::TooLarge: return "unpacked size larger than memory allows";
    }
    return "unknown";
}
