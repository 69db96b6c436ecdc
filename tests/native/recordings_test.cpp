#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/native/committed_file.h"

namespace {

static std::vector<uint8_t> readRecording(const std::string& name)
{
    return committedBytes("resources/sounds/" + name);
}

static uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
static uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }
static int16_t signed16(const std::vector<uint8_t>& b, size_t at) { return static_cast<int16_t>(le16(b, at)); }

// The chunks of a RIFF WAVE image, each checked to lie inside the file.
struct Chunk {
    std::string id;
    size_t body;
    uint32_t size;
};

static std::vector<Chunk> chunksOf(const std::vector<uint8_t>& wav)
{
    std::vector<Chunk> chunks;
    if (wav.size() < 12) {
        ADD_FAILURE() << "shorter than a RIFF header";
        return chunks;
    }
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE");
    EXPECT_EQ(le32(wav, 4), wav.size() - 8) << "RIFF size";
    size_t at = 12;
    while (at + 8 <= wav.size()) {
        Chunk chunk{std::string(wav.begin() + at, wav.begin() + at + 4), at + 8, le32(wav, at + 4)};
        if (chunk.body + chunk.size > wav.size()) {
            ADD_FAILURE() << chunk.id << " chunk runs past the end";
            return chunks;
        }
        chunks.push_back(chunk);
        at = chunk.body + chunk.size + (chunk.size & 1);
    }
    EXPECT_EQ(at, wav.size()) << "bytes after the last chunk";
    return chunks;
}

// Only a format chunk and a data chunk, in that order: no fact chunk.
static void expectFmtThenData(const std::vector<Chunk>& chunks, uint32_t fmtSize)
{
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].id, "fmt ");
    EXPECT_EQ(chunks[0].size, fmtSize);
    EXPECT_EQ(chunks[1].id, "data");
}

struct AdpcmLayout {
    uint32_t rate;
    uint32_t blockAlign;
    uint32_t samplesPerBlock;
};

// Checks one Microsoft ADPCM digit word and returns its length in milliseconds.
static double checkAdpcmWord(const std::string& name, const AdpcmLayout& layout)
{
    SCOPED_TRACE(name);
    const std::vector<uint8_t> wav = readRecording(name);
    const std::vector<Chunk> chunks = chunksOf(wav);
    expectFmtThenData(chunks, 50);
    if (chunks.size() != 2 || chunks[0].size != 50) return 1e9;
    const size_t fmt = chunks[0].body;
    EXPECT_EQ(le16(wav, fmt), 2u) << "format tag";
    EXPECT_EQ(le16(wav, fmt + 2), 1u) << "channels";
    EXPECT_EQ(le32(wav, fmt + 4), layout.rate);
    // Only a buffer size hint: codecs round it either way.
    EXPECT_NEAR(le32(wav, fmt + 8), double(layout.rate) * layout.blockAlign / layout.samplesPerBlock, 1.0)
        << "bytes per second";
    EXPECT_EQ(le16(wav, fmt + 12), layout.blockAlign);
    EXPECT_EQ(le16(wav, fmt + 14), 4u) << "bits per sample";
    EXPECT_EQ(le16(wav, fmt + 16), 32u) << "extra format bytes";
    EXPECT_EQ(le16(wav, fmt + 18), layout.samplesPerBlock);
    // A block: 7-byte header, then two 4-bit samples a byte after its first two.
    EXPECT_EQ((layout.blockAlign - 7) * 2 + 2, layout.samplesPerBlock);
    EXPECT_EQ(le16(wav, fmt + 20), 7u) << "coefficient pairs";
    const int16_t standard[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(signed16(wav, fmt + 22 + 4 * i), standard[i][0]) << "pair " << i;
        EXPECT_EQ(signed16(wav, fmt + 24 + 4 * i), standard[i][1]) << "pair " << i;
    }

    const Chunk& data = chunks[1];
    EXPECT_GT(data.size, 0u);
    EXPECT_EQ(data.size % layout.blockAlign, 0u) << "whole blocks only";
    for (size_t block = data.body; block < data.body + data.size; block += layout.blockAlign)
        EXPECT_LT(wav[block], 7) << "predictor of the block at " << block;
    const double samples = double(data.size / layout.blockAlign) * layout.samplesPerBlock;
    return samples * 1000.0 / layout.rate;
}

}  // namespace

TEST(Recordings, ToneIsPcmOf7024Samples)
{
    const std::vector<uint8_t> wav = readRecording("tone.wav");
    const std::vector<Chunk> chunks = chunksOf(wav);
    ASSERT_NO_FATAL_FAILURE(expectFmtThenData(chunks, 16));
    const size_t fmt = chunks[0].body;
    EXPECT_EQ(le16(wav, fmt), 1u) << "format tag";
    EXPECT_EQ(le16(wav, fmt + 2), 1u) << "channels";
    EXPECT_EQ(le32(wav, fmt + 4), 8000u);
    EXPECT_EQ(le32(wav, fmt + 8), 16000u) << "bytes per second";
    EXPECT_EQ(le16(wav, fmt + 12), 2u) << "block align";
    EXPECT_EQ(le16(wav, fmt + 14), 16u) << "bits per sample";
    EXPECT_EQ(chunks[1].size, 7024u * 2);

    // Soft start and end (no click each time it repeats), and no clipping.
    const size_t first = chunks[1].body;
    const size_t last = first + chunks[1].size - 2;
    EXPECT_LT(std::abs(signed16(wav, first)), 512);
    EXPECT_LT(std::abs(signed16(wav, last)), 512);
    int peak = 0;
    for (size_t at = first; at <= last; at += 2) peak = std::max(peak, std::abs(int(signed16(wav, at))));
    EXPECT_GT(peak, 16000) << "loud enough to hear outdoors";
    EXPECT_LT(peak, 32767);
}

TEST(Recordings, EnglishDigitsAreAdpcmShorterThanTheDigitGap)
{
    for (int digit = 0; digit < 10; ++digit) {
        const double ms = checkAdpcmWord("en" + std::to_string(digit) + ".wav", {44100, 1024, 2036});
        EXPECT_GE(ms, 150.0) << "en" << digit;
        EXPECT_LT(ms, 600.0) << "en" << digit;
    }
}

TEST(Recordings, RussianDigitsAreAdpcmShorterThanTheDigitGap)
{
    for (int digit = 0; digit < 10; ++digit) {
        const double ms = checkAdpcmWord("ru" + std::to_string(digit) + ".wav", {22050, 512, 1012});
        EXPECT_GE(ms, 150.0) << "ru" << digit;
        EXPECT_LT(ms, 600.0) << "ru" << digit;
    }
}
