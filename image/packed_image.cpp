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

// One plain load on little-endian machines (the compiler does not always
// merge the byte loads, and the checksum runs over every output word).
inline uint32_t loadLittleEndian32(const uint8_t* p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
#else
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
#endif
}

// The stream is a sequence of 32-bit words read most significant bit first.
// The bits not yet taken from the current word sit left-aligned in `word`,
// with a 1 marker bit right below them and zeros under that: the marker's
// position is the only bit count there is. n bits are pending exactly when
// shifting the word left by n leaves it non-zero (the marker survives), so a
// read of several bits costs one shift and one test, like a read of one. The
// next stream word is loaded only when a bit of it is needed, so the reader
// never touches a word after the one that holds EndOfStream.
struct BitReader {
    uint32_t word;  // 0x80000000, the marker alone, when nothing is pending
    const uint8_t* next;
    const uint8_t* end;  // just past the last whole stream word
    bool overran;
};

// Past the last whole word the stream reads as zero bits: every token then
// completes within a few dozen bits and the one after it is an EndOfStream,
// so the decode loop stops by itself and `overran` is only looked at once, at
// the end.
inline uint32_t loadNextWord(BitReader& r)
{
    if (r.next == r.end) {
        r.overran = true;
        return 0;
    }
    const uint32_t w = loadLittleEndian32(r.next);
    r.next += 4;
    return w;
}

// n from 1 to 31. When fewer than n bits are pending, the last k of the n
// come from the next word; its other 32 - k bits become the pending ones,
// with the marker right below them.
inline uint32_t readBits(BitReader& r, unsigned n)
{
    const uint32_t rest = r.word << n;
    if (__builtin_expect(rest != 0, 1)) {
        const uint32_t value = r.word >> (32 - n);
        r.word = rest;
        return value;
    }
    const uint32_t pendingBits = r.word & (r.word - 1);  // the marker cleared
    const unsigned k = n - (31 - unsigned(__builtin_ctz(r.word)));
    const uint32_t w = loadNextWord(r);
    r.word = w << k | 1u << (k - 1);
    return pendingBits >> (32 - n) | w >> (32 - k);
}

inline uint32_t readBit(BitReader& r) { return readBits(r, 1); }

// A gamma code is read up to four pairs (data bit, continue bit) at a time
// through the top byte of the word. For each byte: the bits to take (up to and
// including the first pair that stops the code, or all 8), their data bits,
// and whether the code stops there.
struct GammaStep {
    uint8_t bitsUsed;
    uint8_t data;
    bool stops;
};
struct GammaTable {
    GammaStep step[256];
    constexpr GammaTable() : step()
    {
        for (int b = 0; b < 256; ++b) {
            int pairs = 0;
            int data = 0;
            bool stops = false;
            while (pairs < 4 && !stops) {
                data = data << 1 | (b >> (7 - 2 * pairs) & 1);
                stops = !(b >> (6 - 2 * pairs) & 1);
                ++pairs;
            }
            step[b] = {uint8_t(2 * pairs), uint8_t(data), stops};
        }
    }
};
static constexpr GammaTable gammaTable;

// Gamma code: pairs of (data bit, continue bit) below a leading 1. Returns 0,
// which no gamma code produces, when the value would not fit in 32 bits.
inline uint32_t readGamma(BitReader& r)
{
    uint64_t value = 1;
    for (;;) {
        // Below the pending bits the table sees the marker and zeros; a step
        // that would take the marker is left to the pair-by-pair reads.
        const GammaStep s = gammaTable.step[r.word >> 24];
        const uint32_t rest = r.word << s.bitsUsed;
        if (rest == 0) break;
        value = value << (s.bitsUsed / 2) | s.data;
        r.word = rest;
        if (value >> 32) return 0;
        if (s.stops) return uint32_t(value);
    }
    uint32_t pair;
    do {
        pair = readBits(r, 2);
        value = value << 1 | (pair >> 1);
        if (value >> 32) return 0;
    } while (pair & 1);
    return uint32_t(value);
}

// Smaller distances get the larger bonus: 4 below 128, then 0, 1, 2, 3 from
// 128, 639, 14335 and 65536 on. Compared, not branched on: the distance of one
// copy says nothing about the next one's.
inline uint32_t lengthBonus(uint32_t distance)
{
    return uint32_t(distance < 128) * 4 + uint32_t(distance >= 639) + uint32_t(distance >= 14335) +
           uint32_t(distance >= 65536);
}

// For a period d from 1 to 7: the mask of its d bytes in a little-endian
// 64-bit word, the multiplier that repeats them across the word (the copies
// do not overlap, so no carry mixes them), and the largest multiple of d up
// to 8, which is how far one store of the word may advance.
struct PeriodTable {
    uint64_t mask[8];
    uint64_t repeat[8];
    uint8_t step[8];
    constexpr PeriodTable() : mask(), repeat(), step()
    {
        for (int d = 1; d < 8; ++d) {
            mask[d] = (uint64_t(1) << (8 * d)) - 1;
            for (int at = 0; at < 8; at += d) repeat[d] |= uint64_t(1) << (8 * at);
            step[d] = uint8_t(8 - 8 % d);
        }
    }
};
static constexpr PeriodTable periodTable;

// Forward copy; overlapping source and destination repeat the last `distance`
// bytes. When `room` (the bytes from op to the end of the output) allows, the
// copy goes 16 or 8 bytes at a time and may write up to 15 bytes past its end,
// which the tokens after it overwrite.
inline void copyMatch(uint8_t* op, size_t distance, size_t length, size_t room)
{
    const uint8_t* src = op - distance;
    if (room >= length + 16) {
        uint8_t* const end = op + length;
        if (distance >= 16) {  // each move reads only bytes already final
            do {
                std::memcpy(op, src, 16);
                op += 16;
                src += 16;
            } while (op < end);
            return;
        }
        if (distance >= 8) {
            do {
                std::memcpy(op, src, 8);
                op += 8;
                src += 8;
            } while (op < end);
            return;
        }
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // A short period (a run of one pixel, say): 8 bytes of the pattern are
        // built once and stored again and again, each store advancing by a
        // whole number of periods, so nothing is read back from bytes just
        // stored. The load takes the period and a few bytes after it, still
        // inside the output, that the mask drops.
        uint64_t pattern;
        std::memcpy(&pattern, src, 8);
        pattern = (pattern & periodTable.mask[distance]) * periodTable.repeat[distance];
        const size_t step = periodTable.step[distance];
        do {
            std::memcpy(op, &pattern, 8);
            op += step;
        } while (op < end);
        return;
#endif
    }
    while (length--) *op++ = *src++;
}

uint32_t packedImageSize(const uint8_t* data, size_t dataLength)
{
    if (!data || dataLength < packedHeaderSize) return 0;
    if (data[0] != packedMagic0 || data[1] != packedMagic1) return 0;
    return loadLittleEndian32(data + 2);
}

uint32_t packedChecksum(const uint8_t* bytes, size_t count)
{
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

uint32_t unpackImage(const uint8_t* data, size_t dataLength, uint8_t* out, size_t outCapacity)
{
    if (!data || dataLength < packedHeaderSize) return 0;
    if (data[0] != packedMagic0 || data[1] != packedMagic1) return 0;
    const uint32_t unpackedSize = loadLittleEndian32(data + 2);
    const uint32_t expectedChecksum = loadLittleEndian32(data + 6);
    if (!out) outCapacity = 0;
    const size_t limit = outCapacity < unpackedSize ? outCapacity : unpackedSize;

    BitReader r;
    r.word = 0x80000000u;
    r.next = data + packedHeaderSize;
    r.end = r.next + (dataLength - packedHeaderSize) / 4 * 4;
    r.overran = false;

    uint8_t* op = out;
    uint8_t* const outEnd = out + limit;
    unsigned offsetLowBits = 8;
    uint32_t lastOffset = 1;
    // Until the first SetLiteralWidth a Literal is an error: literalEnd stays
    // at the output's start, so the one bounds test of a Literal fails.
    uint8_t* literalEnd = out;
    unsigned literalWidth = 8;
    uint32_t literalBase = 0;

    for (;;) {
        // A Literal is taken in one shift when the word holds all its bits.
        const uint32_t afterLiteral = r.word << (literalWidth + 1);
        if (int32_t(r.word) < 0 && afterLiteral != 0) {
            if (op >= literalEnd) return 0;
            *op++ = uint8_t(((r.word << 1) >> (32 - literalWidth)) + literalBase);
            r.word = afterLiteral;
            continue;
        }
        if (readBit(r)) {  // a Literal that crosses into the next word
            if (op >= literalEnd) return 0;
            *op++ = uint8_t(readBits(r, literalWidth) + literalBase);
            continue;
        }
        if (readBit(r)) {  // RepeatMatch or LongMatch
            const uint32_t g = readGamma(r);
            if (g == 0) return 0;
            // 64-bit so that neither a huge offset nor a huge length wraps on 32-bit targets
            uint64_t distance;
            uint64_t length;
            if (g == 2) {
                length = readGamma(r);
                distance = lastOffset;
            } else {
                distance = uint64_t(g - 3) << offsetLowBits | readBits(r, offsetLowBits);
                const uint32_t n = readGamma(r);
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
            const uint32_t f = readBits(r, 4);
            if (f == 1) {  // ZeroByte
                if (op == outEnd) return 0;
                *op++ = 0;
            } else if (f != 0) {  // NearByte
                const size_t distance = f - 1;
                if (op == outEnd || distance > size_t(op - out)) return 0;
                *op = op[-std::ptrdiff_t(distance)];
                ++op;
            } else if (readBit(r)) {  // RawBlock
                do {
                    if (size_t(outEnd - op) < 256) return 0;
                    for (int i = 0; i < 256; ++i) *op++ = uint8_t(readBits(r, 8));
                } while (readBit(r));
            } else {  // SetLiteralWidth
                const uint32_t c = readBit(r);
                literalWidth = 7 + c;
                literalBase = c ? 0 : readBits(r, 8);
                literalEnd = outEnd;
            }
            continue;
        }
        const uint32_t fields = readBits(r, 9);
        const uint32_t o = fields >> 2;
        const uint32_t m = fields & 3;
        if (o != 0) {  // ShortMatch
            const size_t length = m + 2;
            if (o > size_t(op - out) || length > size_t(outEnd - op)) return 0;
            lastOffset = o;
            copyMatch(op, o, length, size_t(outEnd - op));
            op += length;
        } else if (m == 0) {  // EndOfStream
            break;
        } else {  // SetOffsetBits
            const uint32_t bits = readBits(r, m + 3);
            if (bits == 0 || bits > 31) return 0;
            offsetLowBits = bits;
        }
    }

    if (r.overran || size_t(op - out) != unpackedSize) return 0;
    if (expectedChecksum != 0 && packedChecksum(out, unpackedSize) != expectedChecksum) return 0;
    return unpackedSize;
}
