// skinconv payload IN.rgb WIDTH HEIGHT OUT
//     raw top-down RGB picture -> unpacked skin payload (the input of qzpack)
// skinconv icon OUT.ico IN.rgba SIZE [IN.rgba SIZE ...]
//     raw top-down RGBA square pictures -> 256-colour icon file
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/skin/skin_convert.h"

static bool readFile(const char* path, std::vector<uint8_t>& data)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

static bool writeFile(const char* path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

static int usage()
{
    std::fprintf(stderr, "usage: skinconv payload IN.rgb WIDTH HEIGHT OUT\n"
                         "       skinconv icon OUT.ico IN.rgba SIZE [IN.rgba SIZE ...]\n");
    return 2;
}

static int convertPayload(const char* inPath, const char* widthText, const char* heightText, const char* outPath)
{
    const long width = std::strtol(widthText, nullptr, 10);
    const long height = std::strtol(heightText, nullptr, 10);
    std::vector<uint8_t> rgb;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return usage();
    if (!readFile(inPath, rgb)) {
        std::fprintf(stderr, "skinconv: cannot read %s\n", inPath);
        return 1;
    }
    if (rgb.size() != size_t(width) * size_t(height) * 3) {
        std::fprintf(stderr, "skinconv: %s holds %zu bytes, not %ld x %ld x 3\n", inPath, rgb.size(), width, height);
        return 1;
    }
    if (!writeFile(outPath, makeSkinPayload(rgb.data(), int32_t(width), int32_t(height)))) {
        std::fprintf(stderr, "skinconv: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

static int convertIcon(int argc, char** argv)
{
    std::vector<IconPicture> pictures;
    for (int i = 3; i + 1 < argc; i += 2) {
        IconPicture picture;
        picture.size = int32_t(std::strtol(argv[i + 1], nullptr, 10));
        if (picture.size <= 0 || picture.size > 256) return usage();
        if (!readFile(argv[i], picture.rgba) ||
            picture.rgba.size() != size_t(picture.size) * size_t(picture.size) * 4) {
            std::fprintf(stderr, "skinconv: %s is not a %d x %d RGBA picture\n", argv[i], picture.size, picture.size);
            return 1;
        }
        pictures.push_back(std::move(picture));
    }
    if (!writeFile(argv[2], makeIconFile(pictures))) {
        std::fprintf(stderr, "skinconv: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "payload") return convertPayload(argv[2], argv[3], argv[4], argv[5]);
    if (argc >= 5 && argc % 2 == 1 && std::string(argv[1]) == "icon") return convertIcon(argc, argv);
    return usage();
}
