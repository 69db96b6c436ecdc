// Any 13 bytes: an accepted entry must hold values within the ranges, and a
// rejected one must leave polarization and banner alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "catalogue/typed_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char entry[typedEntryLength];
    std::memset(entry, ' ', sizeof entry);
    std::memcpy(entry, data, size < sizeof entry ? size : sizeof entry);
    TuningParameters tuning;
    tuning.polarization = -1;
    char banner[32];
    std::memset(banner, '#', sizeof banner);
    const StartResult result = parseTypedEntry(entry, tuning, banner);
    if (result == StartOk) {
        const bool cBand = tuning.frequencyMHz >= 3399 && tuning.frequencyMHz <= 4201;
        const bool kuBand = tuning.frequencyMHz >= 10700 && tuning.frequencyMHz <= 15000;
        if ((!cBand && !kuBand) || tuning.symbolRate < 1000 || tuning.symbolRate > 45000 ||
            tuning.diseqcCode < DiseqcNone || tuning.diseqcCode > DiseqcBB ||
            (tuning.polarization != Horizontal && tuning.polarization != Vertical) ||
            std::memcmp(banner, entry, sizeof entry) != 0 || banner[31] != '\0') {
            std::abort();
        }
    } else if (result != StartBadEntry || tuning.polarization != -1 || banner[0] != '#') {
        std::abort();
    }
    return 0;
}
