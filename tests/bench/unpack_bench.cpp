// Unpacking the skin picture against zlib's inflate of the same bytes packed
// at deflate level 9. Uses resources/skin.qz when it is there, and always a
// generated picture of the same size.
#include <benchmark/benchmark.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zlib.h>

#include "image/packed_image.h"
#include "tools/qzpack/packer.h"
#include "tools/qzpack/synthetic_picture.h"

namespace {

struct Sample {
    std::vector<uint8_t> payload;
    std::vector<uint8_t> packed;    // QZ container
    std::vector<uint8_t> deflated;  // zlib stream, level 9
};

static Sample makeSample(std::vector<uint8_t> payload, std::vector<uint8_t> packed)
{
    Sample s;
    s.payload = std::move(payload);
    s.packed = packed.empty() ? packImage(s.payload.data(), s.payload.size()) : std::move(packed);
    uLongf length = compressBound(uLong(s.payload.size()));
    s.deflated.resize(length);
    compress2(s.deflated.data(), &length, s.payload.data(), uLong(s.payload.size()), 9);
    s.deflated.resize(length);
    return s;
}

const Sample& syntheticSample()
{
    static const Sample sample = makeSample(syntheticSkinPayload(), {});
    return sample;
}

const Sample* committedSkinSample()
{
    static const Sample* sample = []() -> const Sample* {
        std::ifstream in(std::string(AZM_SOURCE_DIR) + "/resources/skin.qz", std::ios::binary);
        std::vector<uint8_t> packed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        uint32_t size = packedImageSize(packed.data(), packed.size());
        if (size == 0) return nullptr;
        std::vector<uint8_t> payload(size);
        if (unpackImage(packed.data(), packed.size(), payload.data(), payload.size()) != size) return nullptr;
        return new Sample(makeSample(std::move(payload), std::move(packed)));
    }();
    return sample;
}

static void runUnpack(benchmark::State& state, const Sample* s)
{
    if (!s) {
        state.SkipWithError("resources/skin.qz is absent");
        return;
    }
    std::vector<uint8_t> out(s->payload.size());
    for (auto _ : state) {
        uint32_t written = unpackImage(s->packed.data(), s->packed.size(), out.data(), out.size());
        benchmark::DoNotOptimize(written);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
    state.counters["packed_bytes"] = double(s->packed.size());
}

static void runInflate(benchmark::State& state, const Sample* s)
{
    if (!s) {
        state.SkipWithError("resources/skin.qz is absent");
        return;
    }
    std::vector<uint8_t> out(s->payload.size());
    for (auto _ : state) {
        uLongf length = uLongf(out.size());
        int result = uncompress(out.data(), &length, s->deflated.data(), uLong(s->deflated.size()));
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
    state.counters["packed_bytes"] = double(s->deflated.size());
}

static void BM_UnpackSkin(benchmark::State& state) { runUnpack(state, committedSkinSample()); }
static void BM_InflateSkin(benchmark::State& state) { runInflate(state, committedSkinSample()); }
static void BM_UnpackSynthetic(benchmark::State& state) { runUnpack(state, &syntheticSample()); }
static void BM_InflateSynthetic(benchmark::State& state) { runInflate(state, &syntheticSample()); }

BENCHMARK(BM_UnpackSkin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InflateSkin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnpackSynthetic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InflateSynthetic)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
