// The "QZ" decoder against hand-built streams: the documented vectors, each
// token's semantics, and streams that break the rules (which must fail
// cleanly; buffers are sized exactly so that AddressSanitizer catches any
// access outside them).
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "image/packed_image.h"

namespace {

// Writes a stream token by token, most significant bit of each word first.
struct StreamBuilder {
    std::vector<uint32_t> words;
    uint32_t current = 0;
    int used = 0;

    StreamBuilder& bit(uint32_t b)
    {
        current = current << 1 | (b & 1);
        if (++used == 32) {
            words.push_back(current);
            current = 0;
            used = 0;
        }
        return *this;
    }
    StreamBuilder& bits(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) bit(value >> i);
        return *this;
    }
    StreamBuilder& gamma(uint32_t value)
    {
        int top = 31 - __builtin_clz(value);
        for (int k = top - 1; k >= 0; --k) bit(value >> k).bit(k != 0);
        return *this;
    }
    StreamBuilder& width8() { return bits(0x20, 8).bit(1); }
    StreamBuilder& width7(uint8_t base) { return bits(0x20, 8).bit(0).bits(base, 8); }
    StreamBuilder& literal(uint32_t value, int width = 8) { return bit(1).bits(value, width); }
    StreamBuilder& text(const char* s)
    {
        while (*s) literal(uint8_t(*s++));
        return *this;
    }
    StreamBuilder& repeat(uint32_t length) { return bits(1, 2).gamma(2).gamma(length); }
    StreamBuilder& longMatch(uint32_t distance, uint32_t n, int lowBits = 8)
    {
        bits(1, 2).gamma((distance >> lowBits) + 3);
        return bits(distance & ((1u << lowBits) - 1), lowBits).gamma(n);
    }
    StreamBuilder& zeroByte() { return bits(0x11, 7); }
    StreamBuilder& nearByte(uint32_t f) { return bits(0x10 | f, 7); }
    StreamBuilder& shortMatch(uint32_t o, uint32_t m) { return bits(0, 3).bits(o, 7).bits(m, 2); }
    StreamBuilder& offsetBits(uint32_t b, int field) { return bits(0, 10).bits(uint32_t(field - 3), 2).bits(b, field); }
    StreamBuilder& end() { return bits(0, 12); }

    // The container; a partly filled last word is padded with zero bits.
    std::vector<uint8_t> container(uint32_t size, uint32_t checksum = 0) const
    {
        std::vector<uint32_t> all = words;
        if (used) all.push_back(current << (32 - used));
        std::vector<uint8_t> out = {0x51, 0x5A};
        for (uint32_t v : {size, checksum})
            for (int s = 0; s < 32; s += 8) out.push_back(uint8_t(v >> s));
        for (uint32_t w : all)
            for (int s = 0; s < 32; s += 8) out.push_back(uint8_t(w >> s));
        return out;
    }
};

struct Decoded {
    uint32_t result;
    std::vector<uint8_t> bytes;
};

// Decodes into a heap buffer of exactly `capacity` bytes (the header's size by default).
static Decoded decode(const std::vector<uint8_t>& packed, long capacity = -1)
{
    size_t size = capacity >= 0 ? size_t(capacity) : packedImageSize(packed.data(), packed.size());
    std::vector<uint8_t> input(packed);  // exact size, so reads past the end are caught
    std::vector<uint8_t> out(size, 0xEE);
    uint32_t result = unpackImage(input.data(), input.size(), out.data(), out.size());
    return {result, out};
}

static std::string asText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

static const std::vector<uint8_t> abcContainer = {0x51, 0x5A, 0x09, 0x00, 0x00, 0x00, 0xE3, 0xEC, 0xEC, 0xE0, 0x56,
                                                  0x6C, 0xD8, 0x20, 0x00, 0x28, 0x0F, 0x30, 0x00, 0x00, 0x00, 0x00};

}  // namespace

TEST(PackedImageVectors, TwentyTwoByteContainerUnpacksToAbcabcabc)
{
    EXPECT_EQ(packedImageSize(abcContainer.data(), abcContainer.size()), 9u);
    Decoded d = decode(abcContainer);
    EXPECT_EQ(d.result, 9u);
    EXPECT_EQ(asText(d.bytes), "abcabcabc");
    // the test's own writer produces the same bits for the same tokens
    StreamBuilder b;
    b.width8().text("abc").shortMatch(3, 3).nearByte(4).end();
    EXPECT_EQ(b.container(9, 0xE0ECECE3), abcContainer);
}

TEST(PackedImageVectors, SkinStreamFirstWordSetsWidthThenWritesThePictureWidth)
{
    // 0x20E1A044: SetLiteralWidth 8, Literal 0x86, Literal 0x02, then the
    // first five bits of a ZeroByte that ends in the next word.
    StreamBuilder b;
    b.bits(0x20E1A044, 32).bits(0x1, 2).zeroByte().end();
    std::vector<uint8_t> packed = b.container(4);
    EXPECT_EQ(packed[10], 0x44);
    EXPECT_EQ(packed[13], 0x20);
    Decoded d = decode(packed);
    EXPECT_EQ(d.result, 4u);
    EXPECT_EQ(d.bytes, (std::vector<uint8_t>{0x86, 0x02, 0x00, 0x00}));
}

TEST(PackedChecksum, DocumentedExamplesAndOverlappingTail)
{
    auto sum = [](const std::string& s) {
        return packedChecksum(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(sum("abcd"), 0xACA5A6A2u);
    EXPECT_EQ(sum("abcdef"), 0xDFC1C3C2u);
    EXPECT_EQ(sum("abc"), 0u);
    EXPECT_EQ(sum(""), 0u);
    EXPECT_EQ(packedChecksum(nullptr, 8), 0u);
    // nine bytes are summed as the words at 0, 4 and 5: the same as twelve
    // bytes laid out as those three words one after another
    EXPECT_EQ(sum("ABCDEFGHI"), sum("ABCDEFGHFGHI"));
    EXPECT_NE(sum("ABCDEFGHI"), sum("ABCDEFGHJ"));
}

TEST(PackedImageTokens, LongMatchLengthBonusAtEveryBound)
{
    struct Bound {
        uint32_t distance;
        uint32_t bonus;
    };
    for (Bound bound : {Bound{127, 4}, Bound{128, 0}, Bound{638, 0}, Bound{639, 1}, Bound{14334, 1}, Bound{14335, 2},
                        Bound{65535, 2}, Bound{65536, 3}}) {
        SCOPED_TRACE(bound.distance);
        // 'M' then 'x' repeated from distance 1 fill `distance` bytes; the
        // LongMatch then copies from the very first byte.
        StreamBuilder b;
        b.width8().text("Mx").repeat(bound.distance - 2).longMatch(bound.distance, 2).end();
        const uint32_t size = bound.distance + 2 + bound.bonus;
        Decoded d = decode(b.container(size));
        ASSERT_EQ(d.result, size);
        EXPECT_EQ(d.bytes[bound.distance], 'M');
        EXPECT_EQ(d.bytes[bound.distance + 1], 'x');
        EXPECT_EQ(d.bytes[size - 1], 'x');
        EXPECT_EQ(decode(b.container(size - 1)).result, 0u);
        EXPECT_EQ(decode(b.container(size + 1)).result, 0u);
    }
}

TEST(PackedImageTokens, RepeatMatchReusesTheLastMatchDistanceOnly)
{
    StreamBuilder before;
    before.width8().text("ab").repeat(3).end();
    EXPECT_EQ(asText(decode(before.container(5)).bytes), "abbbb");  // distance 1 before any match

    StreamBuilder after;
    after.width8().text("abcd").shortMatch(2, 0).nearByte(6).repeat(2).end();
    Decoded d = decode(after.container(9));
    EXPECT_EQ(d.result, 9u);
    EXPECT_EQ(asText(d.bytes), "abcdcdbdb");  // the NearByte (distance 5) leaves distance 2 in place
}

TEST(PackedImageTokens, ByteTokensAndOverlappingCopies)
{
    StreamBuilder near;
    near.width8().text("q").nearByte(2).zeroByte().end();
    EXPECT_EQ(decode(near.container(3)).bytes, (std::vector<uint8_t>{'q', 'q', 0}));

    StreamBuilder run;
    run.width8().text("z").shortMatch(1, 3).end();
    EXPECT_EQ(asText(decode(run.container(6)).bytes), "zzzzzz");

    StreamBuilder pattern;
    pattern.width8().text("abc").longMatch(3, 2).longMatch(3, 30).end();  // 6 bytes, then 34
    Decoded d = decode(pattern.container(43));
    EXPECT_EQ(d.result, 43u);
    for (size_t i = 0; i < d.bytes.size(); ++i) ASSERT_EQ(d.bytes[i], "abc"[i % 3]) << i;
}

TEST(PackedImageTokens, SevenBitLiteralsAddTheirBaseModulo256)
{
    StreamBuilder b;
    b.width7(0xF0).literal(0x20, 7).literal(0x0F, 7).width8().literal(0xAB).width7(0x00).literal(0x7F, 7).end();
    Decoded d = decode(b.container(4));
    EXPECT_EQ(d.result, 4u);
    EXPECT_EQ(d.bytes, (std::vector<uint8_t>{0x10, 0xFF, 0xAB, 0x7F}));
}

TEST(PackedImageTokens, RawBlocksChainWhileTheirContinueBitIsSet)
{
    std::vector<uint8_t> expected(512);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = uint8_t(i * 7 + 3);
    StreamBuilder b;
    b.bits(0x21, 8);
    for (size_t i = 0; i < 256; ++i) b.bits(expected[i], 8);
    b.bit(1);
    for (size_t i = 256; i < 512; ++i) b.bits(expected[i], 8);
    b.bit(0).width8().literal(0x55).end();
    expected.push_back(0x55);
    Decoded d = decode(b.container(513, packedChecksum(expected.data(), expected.size())));
    EXPECT_EQ(d.result, 513u);
    EXPECT_EQ(d.bytes, expected);
}

TEST(PackedImageTokens, SetOffsetBitsWithEachFieldWidth)
{
    struct Case {
        uint32_t bits;
        int field;
    };
    for (Case c : {Case{3, 4}, Case{15, 4}, Case{20, 5}, Case{31, 6}}) {
        SCOPED_TRACE(c.bits);
        StreamBuilder b;
        b.width8().text("Mx").repeat(698).offsetBits(c.bits, c.field).longMatch(700, 2, int(c.bits)).end();
        Decoded d = decode(b.container(703));  // distance 700 adds 1
        ASSERT_EQ(d.result, 703u);
        EXPECT_EQ(d.bytes[700], 'M');
        EXPECT_EQ(d.bytes[702], 'x');
    }
}

TEST(PackedImageChecksum, ZeroFieldIsUncheckedAndMismatchKeepsTheBytes)
{
    std::vector<uint8_t> unchecked = abcContainer;
    std::memset(&unchecked[6], 0, 4);
    EXPECT_EQ(decode(unchecked).result, 9u);

    std::vector<uint8_t> wrong = abcContainer;
    wrong[6] ^= 1;
    Decoded d = decode(wrong);
    EXPECT_EQ(d.result, 0u);
    EXPECT_EQ(asText(d.bytes), "abcabcabc");
}

TEST(PackedImageRejects, MissingHeaderOrWrongMagicWritesNothing)
{
    EXPECT_EQ(packedImageSize(nullptr, 22), 0u);
    EXPECT_EQ(packedImageSize(abcContainer.data(), 9), 0u);
    std::vector<uint8_t> wrong = abcContainer;
    wrong[1] = 'Y';
    EXPECT_EQ(packedImageSize(wrong.data(), wrong.size()), 0u);
    Decoded d = decode(wrong, 9);
    EXPECT_EQ(d.result, 0u);
    EXPECT_EQ(d.bytes, std::vector<uint8_t>(9, 0xEE));
    EXPECT_EQ(unpackImage(nullptr, 22, d.bytes.data(), 9), 0u);
    EXPECT_EQ(unpackImage(abcContainer.data(), 22, nullptr, 0), 0u);
}

TEST(PackedImageRejects, StreamsThatBreakTheTokenRules)
{
    struct Case {
        const char* what;
        StreamBuilder stream;
        uint32_t size;
    };
    std::vector<Case> cases;
    auto add = [&cases](const char* what, uint32_t size) -> StreamBuilder& {
        cases.push_back({what, StreamBuilder(), size});
        return cases.back().stream;
    };
    add("literal before any width", 1).literal('a').end();
    add("zero offset bits", 1).offsetBits(0, 4).width8().literal('a').end();
    add("32 offset bits", 1).offsetBits(32, 6).width8().literal('a').end();
    add("63 offset bits", 1).offsetBits(63, 6).width8().literal('a').end();
    add("long match from distance 0", 8).width8().text("ab").longMatch(0, 2).end();
    add("long match before the output", 20).width8().text("abcdefghij").longMatch(300, 10).end();
    add("short match before the output", 4).width8().text("ab").shortMatch(5, 0).end();
    add("near byte before the output", 3).width8().text("ab").nearByte(4).end();
    add("repeat with nothing written", 2).repeat(2).end();
    add("more output than the size", 2).width8().text("abc").end();
    add("copy past the size", 5).width8().text("ab").shortMatch(1, 3).end();
    StreamBuilder& raw = add("raw block past the size", 100);
    raw.bits(0x21, 8);
    for (int i = 0; i < 256; ++i) raw.bits(0, 8);
    raw.bit(0).end();
    add("end before the size", 4).width8().text("abc").end();
    StreamBuilder& overflow = add("gamma beyond 32 bits", 4);
    overflow.width8().text("ab").bits(1, 2);
    for (int i = 0; i < 40; ++i) overflow.bit(1).bit(1);
    overflow.bits(0, 2).end();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decode(c.stream.container(c.size)).result, 0u);
    }
}

TEST(PackedImageRejects, RunningOutOfWordsBeforeTheEnd)
{
    // every shortened container: cut inside the header, at a word boundary
    // or inside a word; the exact-size copies let the sanitizer catch overreads
    for (size_t length = 0; length < abcContainer.size(); ++length) {
        SCOPED_TRACE(length);
        std::vector<uint8_t> cut(abcContainer.begin(), abcContainer.begin() + long(length));
        std::vector<uint8_t> out(9);
        EXPECT_EQ(unpackImage(cut.empty() ? nullptr : cut.data(), cut.size(), out.data(), out.size()), 0u);
    }
    // a stream made only of literals, with no zero padding to read as an end
    StreamBuilder b;
    b.width8();
    for (int i = 0; i < 31; ++i) b.literal(0xFF);
    EXPECT_EQ(b.used, 0);
    EXPECT_EQ(decode(b.container(40)).result, 0u);
}

TEST(PackedImageRejects, OutputStopsAtTheCallersCapacity)
{
    StreamBuilder b;
    b.width8().text("a").repeat(1000000).end();
    std::vector<uint8_t> packed = b.container(0xFFFFFFFFu);
    Decoded d = decode(packed, 16);
    EXPECT_EQ(d.result, 0u);
    EXPECT_EQ(asText(d.bytes), "a" + std::string(15, '\xEE'));
    EXPECT_EQ(decode(abcContainer, 5).result, 0u);
}

TEST(PackedImageRejects, RandomStreamsStayInsideTheirBuffers)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        StreamBuilder b;
        b.width8();
        int words = 1 + int(random() % 24);
        for (int i = 0; i < words * 32; ++i) b.bit(random() % 3 == 0);
        uint32_t size = random() % 300;
        Decoded d = decode(b.container(size), long(random() % 320));
        EXPECT_LE(d.result, size);
    }
}

namespace {

// What the tokens of the boundary tests write, applied the plain way.
struct Expected {
    std::vector<uint8_t> bytes;
    Expected& text(const char* s)
    {
        while (*s) bytes.push_back(uint8_t(*s++));
        return *this;
    }
    Expected& copy(size_t distance, size_t length)
    {
        while (length--) bytes.push_back(bytes[bytes.size() - distance]);
        return *this;
    }
};

}  // namespace

TEST(PackedImageWordBoundaries, EveryTokenDecodesAtEveryBitPosition)
{
    // A SetLiteralWidth is 9 bits, so 0 to 31 of them in front shift the same
    // tokens through all 32 positions in a word: every field, gamma code and
    // literal straddles a word boundary in some of the runs.
    Expected e;
    e.text("Mx").copy(1, 9000).copy(9001, 300 + 1).copy(9001, 300 + 1);  // long gammas, 8 low bits
    e.text("\x10\xFF").bytes.push_back(0);                               // 7-bit literals (one wraps), ZeroByte
    e.copy(3, 2 + 4).copy(1, 1).copy(7, 5).copy(14, 1).copy(7, 70000);   // 31 low bits, near, short
    e.copy(9000, 2 + 1).copy(9000, 40);                                  // 5 low bits, repeat
    std::vector<uint8_t> raw(512);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = uint8_t(i * 13 + 1);
    e.bytes.insert(e.bytes.end(), raw.begin(), raw.end());
    e.text("z");
    const uint32_t size = uint32_t(e.bytes.size());
    const uint32_t checksum = packedChecksum(e.bytes.data(), size);

    for (int shift = 0; shift < 32; ++shift) {
        SCOPED_TRACE(shift);
        StreamBuilder b;
        for (int i = 0; i < shift; ++i) b.width8();
        b.width8().text("Mx").repeat(9000).longMatch(9001, 300).repeat(301);
        b.width7(0xF0).literal(0x20, 7).literal(0x0F, 7).zeroByte();
        b.offsetBits(31, 6).longMatch(3, 2, 31).nearByte(2).shortMatch(7, 3).nearByte(15).repeat(70000);
        b.offsetBits(20, 5).longMatch(9000, 2, 20).repeat(40);
        b.bits(0x21, 8);
        for (size_t i = 0; i < 256; ++i) b.bits(raw[i], 8);
        b.bit(1);
        for (size_t i = 256; i < 512; ++i) b.bits(raw[i], 8);
        b.bit(0).width8().literal('z').end();
        Decoded d = decode(b.container(size, checksum));
        ASSERT_EQ(d.result, size);
        ASSERT_EQ(d.bytes, e.bytes);
    }
}

TEST(PackedImageWordBoundaries, StreamIsReadUpToTheWordHoldingItsEndAndNoFurther)
{
    // EndOfStream ending at each of the 32 bit positions of its last word, the
    // 32nd being the word's last bit. The container stops right after that
    // word: a reader that loaded one word ahead would find none and fail.
    // Without that word the stream lacks the end token's last bits.
    for (int shift = 0; shift < 32; ++shift) {
        SCOPED_TRACE(shift);
        StreamBuilder b;
        for (int i = 0; i < shift; ++i) b.width8();
        b.width8().text("abc").shortMatch(3, 1).end();
        std::vector<uint8_t> exact = b.container(6);
        Decoded d = decode(exact);
        EXPECT_EQ(d.result, 6u);
        EXPECT_EQ(asText(d.bytes), "abcabc");
        std::vector<uint8_t> cut(exact.begin(), exact.end() - 4);
        EXPECT_EQ(decode(cut, 6).result, 0u);
        std::vector<uint8_t> trailing = exact;
        trailing.insert(trailing.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34});
        EXPECT_EQ(decode(trailing).result, 6u);
    }
}
