// The packer: whatever it is given must come back byte for byte through the
// program's own decoder, and the checking unpacker must tell failures apart.
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "image/packed_image.h"
#include "tests/native/committed_file.h"
#include "tools/qzpack/packer.h"
#include "tools/qzpack/synthetic_picture.h"
#include "tools/qzpack/unpack_check.h"

static std::vector<uint8_t> randomBytes(size_t n, uint32_t seed, int lowest = 0, int highest = 255)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(lowest, highest);
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out) b = uint8_t(byte(random));
    return out;
}

// Packs, checks the header, unpacks into an exact-size buffer; returns the packed size.
static size_t roundTrip(const std::vector<uint8_t>& data, const PackSettings& settings = PackSettings())
{
    std::vector<uint8_t> packed = packImage(data.data(), data.size(), settings);
    EXPECT_EQ(packedImageSize(packed.data(), packed.size()), data.size());
    EXPECT_EQ(packed.size() % 4, 2u);
    uint32_t checksum = packed[6] | packed[7] << 8 | packed[8] << 16 | uint32_t(packed[9]) << 24;
    EXPECT_EQ(checksum, packedChecksum(data.data(), data.size()));
    std::vector<uint8_t> out(data.size());
    EXPECT_EQ(unpackImage(packed.data(), packed.size(), out.data(), out.size()), data.size());
    EXPECT_TRUE(out == data);
    return packed.size();
}

// Settings that keep the whole-picture cases quick under the sanitizers; the
// full settings are measured by tools/qzpack/compare_sizes.sh.
static PackSettings quickSettings()
{
    PackSettings quick;
    quick.passes = 1;
    quick.arrivals = 2;
    quick.search.chainDepth = 32;
    quick.search.otherDistances = 0;
    return quick;
}

static std::vector<uint8_t> committedSkinPayload()
{
    const std::vector<uint8_t> packed = committedBytes("resources/skin.qz");
    std::vector<uint8_t> payload;
    if (!packed.empty() && unpackChecked(packed.data(), packed.size(), payload) != UnpackVerdict::Ok) payload.clear();
    return payload;
}

TEST(QzPack, SmallAndDegenerateInputs)
{
    EXPECT_EQ(roundTrip({}), 14u);  // header and one word holding the end
    roundTrip({0x42});
    roundTrip({0, 0, 0, 0, 0});
    roundTrip(std::vector<uint8_t>(100000, 0));
    roundTrip(std::vector<uint8_t>(100001, 0xA5));
    std::vector<uint8_t> stripes;
    for (int i = 0; i < 5000; ++i) stripes.push_back(uint8_t(i / 3 % 2 ? 0x10 : 0xF0));
    roundTrip(stripes);
}

TEST(QzPack, IncompressibleDataCostsLittleMoreThanItsSize)
{
    std::vector<uint8_t> data = randomBytes(60000, 7);
    size_t packed = roundTrip(data);
    EXPECT_LT(packed, data.size() + data.size() / 200 + 64);  // raw blocks: 2049 bits per 256 bytes
}

TEST(QzPack, NarrowByteRangesAndText)
{
    roundTrip(randomBytes(20000, 11, 100, 227));  // fits seven-bit literals above a base
    roundTrip(randomBytes(20000, 12, 0, 3));
    std::string text;
    std::mt19937 random(3);
    const char* words[] = {"dish ", "signal ", "quality ", "transponder ", "11344 ", "H ", "27500\n", "satellite "};
    while (text.size() < 50000) text += words[random() % 8];
    roundTrip(std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(QzPack, CopiesAcrossEveryLengthBonusBound)
{
    // random bytes with stretches copied from exactly the bound distances,
    // so the parse has to price (and the writer encode) each bonus class
    std::vector<uint8_t> data = randomBytes(140000, 5);
    size_t at = 70000;
    for (uint32_t distance : {127u, 128u, 638u, 639u, 14334u, 14335u, 65535u, 65536u}) {
        for (size_t length : {2, 3, 4, 5, 6, 7, 40}) {
            for (size_t k = 0; k < length; ++k) data[at + k] = data[at + k - distance];
            at += length + 50;
        }
    }
    size_t packed = roundTrip(data);
    EXPECT_LT(packed, data.size());
}

TEST(QzPack, PictureShapedData)
{
    std::vector<uint8_t> picture = syntheticSkinPayload();
    ASSERT_EQ(picture.size(), 387608u);
    size_t packed = roundTrip(picture, quickSettings());
    // a guard against the parse getting worse: about 24,650 bytes
    EXPECT_LT(packed, 26000u);

    // rows that are not a multiple of 4 bytes wide, noise and a few repeated
    // strips, with the full settings
    std::vector<uint8_t> rgb = randomBytes(333 * 41 * 3, 9, 120, 135);
    for (size_t row = 10; row < 41; row += 3) std::copy(rgb.begin(), rgb.begin() + 999, rgb.begin() + long(row * 999));
    roundTrip(picturePayload(333, 41, rgb));
}

TEST(QzPack, CommittedSkinRepacksToTheSamePayload)
{
    std::vector<uint8_t> payload = committedSkinPayload();
    if (payload.empty()) GTEST_SKIP() << "resources/skin.qz is absent or does not unpack";
    ASSERT_EQ(payload.size(), 387608u);
    roundTrip(payload, quickSettings());
}

TEST(QzPackUnpack, VerdictsTellFailuresApart)
{
    std::string text = "the quick brown fox jumps over the lazy dog, the quick brown fox";
    std::vector<uint8_t> data(text.begin(), text.end());
    std::vector<uint8_t> packed = packImage(data.data(), data.size());
    std::vector<uint8_t> out;
    EXPECT_EQ(unpackChecked(packed.data(), packed.size(), out), UnpackVerdict::Ok);
    EXPECT_EQ(out, data);

    std::vector<uint8_t> wrongSum = packed;
    wrongSum[9] ^= 0x80;
    EXPECT_EQ(unpackChecked(wrongSum.data(), wrongSum.size(), out), UnpackVerdict::ChecksumMismatch);

    std::vector<uint8_t> cut(packed.begin(), packed.end() - 4);
    EXPECT_EQ(unpackChecked(cut.data(), cut.size(), out), UnpackVerdict::DamagedStream);

    std::vector<uint8_t> longer = packed;
    longer[2] += 1;  // one byte more announced than the stream holds
    EXPECT_EQ(unpackChecked(longer.data(), longer.size(), out), UnpackVerdict::DamagedStream);

    std::vector<uint8_t> notPacked = packed;
    notPacked[0] = 'B';
    EXPECT_EQ(unpackChecked(notPacked.data(), notPacked.size(), out), UnpackVerdict::BadMagic);
    EXPECT_EQ(unpackChecked(packed.data(), 9, out), UnpackVerdict::BadMagic);
}
