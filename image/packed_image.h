// The packed-image container "QZ": a 10-byte header (magic, unpacked size,
// checksum) followed by a bit stream of 32-bit little-endian words holding an
// LZ77-style code. Platform-neutral; the decoder is the only part the program
// itself needs, the packer lives in tools/qzpack.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t packedHeaderSize = 10;
constexpr uint8_t packedMagic0 = 0x51;  // 'Q'
constexpr uint8_t packedMagic1 = 0x5A;  // 'Z'

// The unpacked size field of the container; 0 for a null pointer, a container
// shorter than its header or a wrong magic.
uint32_t packedImageSize(const uint8_t* data, size_t dataLength);

// Decodes the container into out and returns the number of bytes written,
// which is always the header's unpacked size on success. Returns 0 when the
// magic is wrong (nothing written), when the stream does not decode cleanly to
// exactly the unpacked size (see packed_image.cpp), or when the checksum does
// not match (the decoded bytes stay in out). Never reads outside
// data[0, dataLength) nor writes outside out[0, min(outCapacity, unpacked size)).
uint32_t unpackImage(const uint8_t* data, size_t dataLength, uint8_t* out, size_t outCapacity);

// Sum/xor/rotate checksum over the 32-bit little-endian words of bytes[0, count);
// a tail shorter than a word is covered by one last word overlapping its
// predecessor. Fewer than 4 bytes give 0.
uint32_t packedChecksum(const uint8_t* bytes, size_t count);
