// qzpack: packs a file into the program's "QZ" container, or unpacks one.
//   qzpack IN OUT             pack IN (any bytes) into OUT, checked by unpacking
//   qzpack -d IN OUT          unpack IN into OUT
//   qzpack --synthetic OUT    write a generated 646 x 200 picture payload (for measurements)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/packed_image.h"
#include "tools/qzpack/packer.h"
#include "tools/qzpack/synthetic_picture.h"
#include "tools/qzpack/unpack_check.h"

// The parse keeps about 200 bytes per input byte.
static constexpr size_t largestInput = size_t(8) << 20;

static bool readFile(const char* path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

static bool writeFile(const char* path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

static int fail(const std::string& message)
{
    std::fprintf(stderr, "qzpack: %s\n", message.c_str());
    return 1;
}

static int pack(const char* inPath, const char* outPath)
{
    std::vector<uint8_t> input;
    if (!readFile(inPath, input)) return fail(std::string("cannot read ") + inPath);
    if (input.size() > largestInput) return fail(std::string(inPath) + " is larger than 8 MiB");
    std::vector<uint8_t> packed = packImage(input.data(), input.size());

    std::vector<uint8_t> check(input.size() + 1);
    uint32_t written = unpackImage(packed.data(), packed.size(), check.data(), input.size());
    if (written != input.size() || !std::equal(input.begin(), input.end(), check.begin()))
        return fail("internal error: the packed stream does not unpack to the input");
    if (!writeFile(outPath, packed)) return fail(std::string("cannot write ") + outPath);
    std::printf("%s: %zu -> %zu bytes (%.2f%%)\n", inPath, input.size(), packed.size(),
                input.empty() ? 0.0 : 100.0 * double(packed.size()) / double(input.size()));
    return 0;
}

static int unpack(const char* inPath, const char* outPath)
{
    std::vector<uint8_t> packed;
    if (!readFile(inPath, packed)) return fail(std::string("cannot read ") + inPath);
    std::vector<uint8_t> output;
    UnpackVerdict verdict = unpackChecked(packed.data(), packed.size(), output);
    if (verdict != UnpackVerdict::Ok) return fail(std::string(inPath) + ": " + describeVerdict(verdict));
    if (!writeFile(outPath, output)) return fail(std::string("cannot write ") + outPath);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--synthetic") == 0) {
        if (!writeFile(argv[2], syntheticSkinPayload())) return fail(std::string("cannot write ") + argv[2]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "-d") == 0) return unpack(argv[2], argv[3]);
    if (argc == 3 && argv[1][0] != '-') return pack(argv[1], argv[2]);
    std::fprintf(stderr, "usage: qzpack IN OUT           pack IN into a QZ container\n"
                         "       qzpack -d IN OUT        unpack a QZ container\n"
                         "       qzpack --synthetic OUT  write a generated 646 x 200 picture payload\n");
    return 2;
}
