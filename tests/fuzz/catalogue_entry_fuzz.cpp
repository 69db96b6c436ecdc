// The first two bytes choose the entry index (signed, little-endian); the rest
// is the catalogue file. Nothing may be read beyond the file, and an accepted
// entry must lie within the ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalogue/catalogue_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const int32_t index = static_cast<int16_t>(data[0] | (data[1] << 8));
    // An exact-size copy, so that the sanitizer sees any read past the file.
    std::vector<char> file(data + 2, data + size);
    TuningParameters tuning;
    char banner[32];
    std::memset(banner, '#', sizeof banner);
    const CatalogueOutcome outcome = examineCatalogueEntry(file.data(), file.size(), index, tuning, banner);
    if (tuning.diseqcCode != DiseqcNone) {
        std::abort();
    }
    if (outcome == CatalogueOk) {
        const bool cBand = tuning.frequencyMHz >= 3400 && tuning.frequencyMHz <= 4200;
        const bool kuBand = tuning.frequencyMHz >= 10700 && tuning.frequencyMHz <= 15000;
        if ((!cBand && !kuBand) || tuning.symbolRate < 1000 || tuning.symbolRate > 45000) {
            std::abort();
        }
    }
    return 0;
}
