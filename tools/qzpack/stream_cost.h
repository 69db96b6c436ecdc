// Bit costs of the stream's tokens, shared by the parser and the writer.
#pragma once
#include <cstdint>

inline uint32_t gammaBits(uint32_t value)
{  // value 2 or more
    return 2 * (31 - uint32_t(__builtin_clz(value)));
}

inline uint32_t lengthBonus(uint32_t distance)
{
    if (distance < 128) return 4;
    if (distance < 639) return 0;
    if (distance < 14335) return 1;
    if (distance < 65536) return 2;
    return 3;
}

constexpr uint32_t literal8Bits = 9;
constexpr uint32_t literal7Bits = 8;
constexpr uint32_t byteTokenBits = 7;  // ZeroByte and NearByte
constexpr uint32_t shortMatchBits = 12;
constexpr uint32_t endOfStreamBits = 12;
constexpr uint32_t rawBlockBits = 8 + 256 * 8 + 1;
constexpr uint32_t rawBlockMoreBits = 256 * 8 + 1;
constexpr uint32_t nearByteMaxDistance = 14;
constexpr uint32_t shortMatchMaxDistance = 127;
constexpr uint32_t shortMatchMaxLength = 5;

inline uint32_t repeatMatchBits(uint32_t length) { return 4 + gammaBits(length); }

// Distance part of a LongMatch: gamma of the high part plus the low bits.
inline uint32_t longDistanceBits(uint32_t distance, unsigned lowBits)
{
    return gammaBits((distance >> lowBits) + 3) + lowBits;
}

inline uint32_t setLiteralWidthBits(bool sevenBits) { return sevenBits ? 17 : 9; }

inline uint32_t setOffsetBitsBits(unsigned lowBits) { return lowBits < 16 ? 16 : 17; }
