// Decoder of the "QZ" packed-image container.
//
// A stream that does not follow the token rules is a failed decode (result 0):
// a Literal before the first SetLiteralWidth, SetOffsetBits with 0 or more than
// 31 bits, a copy from distance 0 or from before the start of the output, more
// output than the unpacked size (or than the caller's buffer holds), a stream
// that runs out of whole words before its EndOfStream, and an EndOfStream that
// comes before the output reaches the unpacked size. The last rule keeps the
// checksum honest: it covers the header's count of bytes, so every one of them
// must have come from the stream.
#include "image/packed_image.h"

#include <cstddef>
#include <cstring>

namespace {

uint32_t loadLittleEndian32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The stream is a sequence of 32-bit words read most significant bit first.
// Up to two words' worth of pending bits sit at the top of a 64-bit buffer;
// a word is loaded only when fewer than 33 bits are pending, so the loads,
// not the bit reads, carry the one branch that depends on the input's end.
struct BitReader {
    uint64_t bits;   // pending bits, left-aligned; the rest are zero
    unsigned count;  // number of pending bits
    const uint8_t* next;
    const uint8_t* end;  // just past the last whole stream word
    bool overran;
};

inline void refill(BitReader& r) {
    if (r.count <= 32 && r.next != r.end) {
        r.bits |= uint64_t(loadLittleEndian32(r.next)) << (32 - r.count);
        r.next += 4;
        r.count += 32;
    }
}

// n from 1 to 32. Past the last whole word the stream reads as zero bits:
// every token then completes within a few dozen bits and the one after it is
// an EndOfStream, so the decode loop stops by itself and `overran` is only
// looked at once, at the end.
inline uint32_t readBits(BitReader& r, unsigned n) {
    if (r.count < n) {
        refill(r);
        if (r.count < n) {
            r.overran = true;
            r.count = n;
        }
    }
    uint32_t value = uint32_t(r.bits >> (64 - n));
    r.bits <<= n;
    r.count -= n;
    return value;
}

inline uint32_t readBit(BitReader& r) {
    return readBits(r, 1);
}

// For each byte of a gamma code (four pairs of data bit, continue bit): the
// number of pairs up to and including the first one that stops the code, or
// 0 when all four continue (bits 4 to 6), and the data bits of those pairs
// (bits 0 to 3).
struct GammaTable {
    uint8_t entry[256];
    constexpr GammaTable() : entry() {
        for (int b = 0; b < 256; ++b) {
            int pairs = 0;
            int data = 0;
            for (int k = 0; k < 4; ++k) {
                data = data << 1 | (b >> (7 - 2 * k) & 1);
                if (!(b >> (6 - 2 * k) & 1)) {
                    pairs = k + 1;
                    break;
                }
            }
            entry[b] = uint8_t(pairs << 4 | data);
        }
    }
};
constexpr GammaTable kGamma;

// Gamma code: pairs of (data bit, continue bit) below a leading 1. Returns 0,
// which no gamma code produces, when the value would not fit in 32 bits.
inline uint32_t readGamma(BitReader& r) {
    uint64_t value = 1;
    for (;;) {
        if (r.count < 8) {
            refill(r);
            if (r.count < 8) break;  // near the end: pair by pair below
        }
        uint8_t e = kGamma.entry[r.bits >> 56];
        unsigned pairs = e >> 4;
        if (pairs != 0) {
            value = value << pairs | (e & 15);
            r.bits <<= 2 * pairs;
            r.count -= 2 * pairs;
            return value >> 32 ? 0 : uint32_t(value);
        }
        value = value << 4 | (e & 15);
        r.bits <<= 8;
        r.count -= 8;
        if (value >> 32) return 0;
    }
    uint32_t pair;
    do {
        pair = readBits(r, 2);
        value = value << 1 | (pair >> 1);
        if (value >> 32) return 0;
    } while (pair & 1);
    return uint32_t(value);
}

inline uint32_t lengthBonus(uint32_t distance) {
    if (distance < 128) return 4;
    if (distance < 639) return 0;
    if (distance < 14335) return 1;
    if (distance < 65536) return 2;
    return 3;
}

// Forward copy; overlapping source and destination repeat the last `distance`
// bytes. When `room` (the bytes from op to the end of the output) allows, the
// copy goes 8 bytes at a time and may write up to 7 bytes past its end, which
// the tokens after it overwrite.
inline void copyMatch(uint8_t* op, size_t distance, size_t length, size_t room) {
    const uint8_t* src = op - distance;
    if (room >= length + 8) {
        uint8_t* const end = op + length;
        if (distance >= 8) {  // each move reads only bytes already final
            do {
                std::memcpy(op, src, 8);
                op += 8;
                src += 8;
            } while (op < end);
            return;
        }
        // A short period (a run of one pixel, say): 8 bytes of the pattern are
        // built once and stored again and again, each store advancing by the
        // largest multiple of the period that fits, so nothing is read back
        // from bytes just stored.
        uint8_t pattern[8];
        for (size_t i = 0; i < 8; ++i) pattern[i] = src[i % distance];
        const size_t step = 8 - 8 % distance;
        do {
            std::memcpy(op, pattern, 8);
            op += step;
        } while (op < end);
        return;
    }
    while (length--) *op++ = *src++;
}

}  // namespace

uint32_t packedImageSize(const uint8_t* data, size_t dataLength) {
    if (!data || dataLength < kPackedHeaderSize) return 0;
    if (data[0] != kPackedMagic0 || data[1] != kPackedMagic1) return 0;
    return loadLittleEndian32(data + 2);
}

uint32_t packedChecksum(const uint8_t* bytes, size_t count) {
    if (!bytes || count < 4) return 0;
    uint32_t sum = 0;
    auto mix = [&sum](uint32_t w) {
        sum += w;
        sum ^= ((w << 1) | (w >> 31)) + 1;
    };
    size_t i = 0;
    for (; i + 4 <= count; i += 4) mix(loadLittleEndian32(bytes + i));
    if (i != count) mix(loadLittleEndian32(bytes + count - 4));
    return sum;
}

uint32_t unpackImage(const uint8_t* data, size_t dataLength, uint8_t* out, size_t outCapacity) {
    if (!data || dataLength < kPackedHeaderSize) return 0;
    if (data[0] != kPackedMagic0 || data[1] != kPackedMagic1) return 0;
    const uint32_t unpackedSize = loadLittleEndian32(data + 2);
    const uint32_t expectedChecksum = loadLittleEndian32(data + 6);
    if (!out) outCapacity = 0;
    const size_t limit = outCapacity < unpackedSize ? outCapacity : unpackedSize;

    BitReader r;
    r.bits = 0;
    r.count = 0;
    r.next = data + kPackedHeaderSize;
    r.end = r.next + (dataLength - kPackedHeaderSize) / 4 * 4;
    r.overran = false;

    uint8_t* op = out;
    uint8_t* const outEnd = out + limit;
    unsigned offsetLowBits = 8;
    uint32_t lastOffset = 1;
    unsigned literalWidth = 0;  // 0 until the stream sets it
    uint32_t literalBase = 0;

    for (;;) {
        refill(r);
        if (readBit(r)) {  // Literal
            if (op == outEnd || literalWidth == 0) return 0;
            *op++ = uint8_t(readBits(r, literalWidth) + literalBase);
            continue;
        }
        if (readBit(r)) {  // RepeatMatch or LongMatch
            uint32_t g = readGamma(r);
            if (g == 0) return 0;
            // 64-bit so that neither a huge offset nor a huge length wraps on 32-bit targets
            uint64_t distance;
            uint64_t length;
            if (g == 2) {
                length = readGamma(r);
                distance = lastOffset;
            } else {
                distance = uint64_t(g - 3) << offsetLowBits | readBits(r, offsetLowBits);
                uint32_t n = readGamma(r);
                if (n == 0 || distance > uint64_t(op - out)) return 0;
                length = n + lengthBonus(uint32_t(distance));
                lastOffset = uint32_t(distance);
            }
            if (length == 0 || distance == 0 || distance > uint64_t(op - out) || length > uint64_t(outEnd - op))
                return 0;
            copyMatch(op, size_t(distance), size_t(length), size_t(outEnd - op));
            op += length;
            continue;
        }
        if (readBit(r)) {  // the 4-bit selector group
            uint32_t f = readBits(r, 4);
            if (f == 1) {  // ZeroByte
                if (op == outEnd) return 0;
                *op++ = 0;
            } else if (f != 0) {  // NearByte
                size_t distance = f - 1;
                if (op == outEnd || distance > size_t(op - out)) return 0;
                *op = op[-std::ptrdiff_t(distance)];
                ++op;
            } else if (readBit(r)) {  // RawBlock
                do {
                    if (size_t(outEnd - op) < 256) return 0;
                    for (int i = 0; i < 256; ++i) *op++ = uint8_t(readBits(r, 8));
                } while (readBit(r));
            } else {  // SetLiteralWidth
                uint32_t c = readBit(r);
                literalWidth = 7 + c;
                literalBase = c ? 0 : readBits(r, 8);
            }
            continue;
        }
        uint32_t o = readBits(r, 7);
        uint32_t m = readBits(r, 2);
        if (o != 0) {  // ShortMatch
            size_t length = m + 2;
            if (o > size_t(op - out) || length > size_t(outEnd - op)) return 0;
            lastOffset = o;
            copyMatch(op, o, length, size_t(outEnd - op));
            op += length;
        } else if (m == 0) {  // EndOfStream
            break;
        } else {  // SetOffsetBits
            uint32_t bits = readBits(r, m + 3);
            if (bits == 0 || bits > 31) return 0;
            offsetLowBits = bits;
        }
    }

    if (r.overran || size_t(op - out) != unpackedSize) return 0;
    if (expectedChecksum != 0 && packedChecksum(out, unpackedSize) != expectedChecksum) return 0;
    return unpackedSize;
}
