// What a packing round settles on, and the stream written from it: the
// tokens with the SetLiteralWidth and SetOffsetBits switches in front of
// them, as bits in the container's 32-bit little-endian words.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class TokenKind : uint8_t { Literal, ZeroByte, NearByte, ShortMatch, LongMatch, RepeatMatch, RawBlock };

struct Token {
    TokenKind kind;
    uint32_t position;
    uint32_t length;
    uint32_t distance;  // copy distance; 0 for the kinds that copy nothing
};

constexpr int literalWidth8 = 256;  // literal modes 0 to 255: seven bits above that base
constexpr int noSwitch = -1;

// What a round settles on besides its tokens: the SetLiteralWidth and
// SetOffsetBits tokens to put in front of a token (noSwitch for none).
struct Plan {
    std::vector<Token> tokens;
    std::vector<int> literalSwitch;
    std::vector<int> offsetSwitch;
    uint64_t bits = 0;
};

// Appends the stream of `plan` over `data`, EndOfStream last.
void writeStream(const uint8_t* data, const Plan& plan, std::vector<uint8_t>& out);
