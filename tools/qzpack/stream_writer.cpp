#include "tools/qzpack/stream_writer.h"

#include <algorithm>

#include "tools/qzpack/stream_cost.h"

struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t word = 0;
    unsigned used = 0;

    void put(uint32_t value, unsigned count)
    {  // count up to 32
        while (count != 0) {
            unsigned take = std::min(count, 32 - used);
            uint32_t part = (value >> (count - take)) & (take == 32 ? 0xFFFFFFFFu : (uint32_t(1) << take) - 1);
            word = take == 32 ? part : (word << take) | part;
            used += take;
            count -= take;
            if (used == 32) flush();
        }
    }
    void putGamma(uint32_t value)
    {  // value 2 or more
        int top = 31 - __builtin_clz(value);
        for (int bit = top - 1; bit >= 0; --bit) {
            put(value >> bit & 1, 1);
            put(bit != 0, 1);
        }
    }
    void flush()
    {
        for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(word >> shift));
        word = 0;
        used = 0;
    }
    void finish()
    {
        if (used != 0) {
            word <<= 32 - used;
            flush();
        }
    }
};

void writeStream(const uint8_t* data, const Plan& plan, std::vector<uint8_t>& out)
{
    BitWriter w{out};
    int mode = literalWidth8;
    unsigned lowBits = 8;
    const std::vector<Token>& tokens = plan.tokens;
    for (size_t k = 0; k < tokens.size(); ++k) {
        const Token& t = tokens[k];
        if (plan.offsetSwitch[k] != noSwitch) {
            lowBits = unsigned(plan.offsetSwitch[k]);
            unsigned field = lowBits < 16 ? 4 : 5;
            w.put(0, 3 + 7);
            w.put(field - 3, 2);
            w.put(lowBits, field);
        }
        if (plan.literalSwitch[k] != noSwitch) {
            mode = plan.literalSwitch[k];
            w.put(0x20, 3 + 4 + 1);  // 001 0000 0
            w.put(mode == literalWidth8, 1);
            if (mode != literalWidth8) w.put(uint32_t(mode), 8);
        }
        switch (t.kind) {
        case TokenKind::Literal:
            w.put(1, 1);
            w.put(uint8_t(data[t.position] - (mode == literalWidth8 ? 0 : mode)), mode == literalWidth8 ? 8 : 7);
            break;
        case TokenKind::ZeroByte: w.put(0x11, 7); break;  // 001 0001
        case TokenKind::NearByte: w.put(0x10 | (t.distance + 1), 7); break;
        case TokenKind::ShortMatch:
            w.put(0, 3);
            w.put(t.distance, 7);
            w.put(t.length - 2, 2);
            break;
        case TokenKind::RepeatMatch:
            w.put(1, 2);
            w.putGamma(2);
            w.putGamma(t.length);
            break;
        case TokenKind::LongMatch:
            w.put(1, 2);
            w.putGamma((t.distance >> lowBits) + 3);
            w.put(t.distance & ((uint32_t(1) << lowBits) - 1), lowBits);
            w.putGamma(t.length - lengthBonus(t.distance));
            break;
        case TokenKind::RawBlock: {
            bool continues = k > 0 && tokens[k - 1].kind == TokenKind::RawBlock;
            if (!continues) w.put(0x21, 8);  // 001 0000 1
            for (uint32_t p = t.position; p < t.position + 256; ++p) w.put(data[p], 8);
            bool more = k + 1 < tokens.size() && tokens[k + 1].kind == TokenKind::RawBlock;
            w.put(more, 1);
            break;
        }
        }
    }
    w.put(0, 12);  // EndOfStream
    w.finish();
}
