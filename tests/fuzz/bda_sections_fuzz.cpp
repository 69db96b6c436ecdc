// Any bytes as the media samples a demultiplexer might hand the BDA bridge
// (each prefixed by one byte of its length in units of 8, so that whole and
// cut samples both occur), taken apart into sections and gathered a few ms
// apart: every section passed on lies within its sample, and whatever is
// gathered gives an identity only from a whole NIT, with a position in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bda/bda_sections.h"

static void check(bool holds)
{
    if (!holds) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SectionGathering gathering;
    uint32_t nowMs = 0;
    size_t at = 0;
    while (at < size) {
        const size_t length = static_cast<size_t>(data[at]) * 8;
        ++at;
        const size_t available = size - at < length ? size - at : length;
        const uint8_t* sample = data + at;
        at += available;
        size_t passed = 0;
        eachSection(sample, available, [&](const uint8_t* section, size_t sectionSize) {
            check(section >= sample && section + sectionSize <= sample + available && sectionSize >= 3);
            passed += sectionSize;
            gatherSection(gathering, section, sectionSize, nowMs);
        });
        check(passed <= available);
        nowMs += 700;
        NetworkIdentity identity;
        if (!gatheredIdentity(gathering, nowMs, &identity)) continue;
        check(gathering.nitWhole && identity.known);
        check(identity.certainty == PositionUnknown || (identity.position != 0 && std::abs(identity.position) <= 1800));
    }
    return 0;
}
